// Opening catalogued files from their medium with the desktop's default application.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "catalog/CatalogItem.h"
#include "platform/volumes/Volumes.h"

namespace shelfmark {

class CatalogDocument;
class InsertDiskDialog;

// Opens a real path; false with `error` saying why (platform/desktop's
// OpenWithDefaultApplication outside tests).
using FileOpener = std::function<bool(const std::string& path, std::string& error)>;

struct OpenOnMediumResult {
    // The first container among the items: it is not opened on the medium, the tree view shows
    // it instead. Null when there was none, or when the catalog was reloaded on the way.
    CatalogItem* containerToShow = nullptr;
    size_t opened = 0;      // files the opener accepted
    bool refused = false;   // an item was reported and skipped, or a file could not be opened
    bool notFound = false;  // a disk's medium was not found: the command ended there
    // The catalog was reloaded while a new serial was stored: the command ended after that
    // disk's files, and no item reference survives.
    bool catalogReloaded = false;
};

// Opens the items on their media. Shortcuts stand for their targets. Each container after the
// first is reported with "Only one directory can be opened." and an item inside an archive with
// "This command cannot be used with an item of this kind.", both captioned with the item's
// display path. The files are then handled disk by disk: the disk is located (LocateDisk, with
// the insert-disk prompt through `dialog`), and nothing further is opened when it is not found.
// A file that is not on the medium gives "Path '%s' not found."; an opener failure is shown
// with the path as caption.
OpenOnMediumResult OpenOnMedium(CatalogDocument& document, std::span<CatalogItem* const> items,
                                const std::vector<Volume>& drives, InsertDiskDialog* dialog,
                                const FileOpener& opener);

}  // namespace shelfmark
