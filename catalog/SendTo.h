// Send to: the real files and directories of catalogued items, copied from their media into a
// folder of the file system. Each item's disk is located first (the mounted media, else the
// insert-disk prompt); nothing in the catalog changes, so no lock is taken and no undo step
// recorded.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "catalog/InsertDiskPrompt.h"
#include "foundation/CancelFlag.h"

namespace shelfmark {

class CatalogDocument;
class CatalogItem;

struct SendToResult {
    size_t sent = 0;         // items copied whole
    size_t failed = 0;       // items reported and skipped
    bool cancelled = false;  // the user cancelled the insert-disk prompt, or the flag was set
};

// Copies each item (a file, or a directory, archive file or disk with everything below it on
// the medium) to `targetFolder`/<its name on the medium>. Items that are no part of a disk
// (folders, shortcuts) and entries inside archives are reported with the wrong-kind message;
// a name that already exists in the target, a source that is missing on the medium and a copy
// that fails are reported with the path and the reason, and the next item follows. Cancelling
// the insert-disk prompt stops the command. `drives` are ListDrives()'s volumes.
SendToResult SendToFolder(CatalogDocument& document, std::span<CatalogItem* const> items,
                          const std::string& targetFolder, const std::vector<Volume>& drives,
                          InsertDiskDialog* dialog, const CancelFlag* cancel = nullptr);

}  // namespace shelfmark
