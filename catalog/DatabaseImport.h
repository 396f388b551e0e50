// Importing other catalog files into a folder of the open catalog. Each file is read by the
// catalog reader's import variant into a temporary folder beside the root, which takes the
// file's root attributes and is thrown away with them: the file's category and
// extra-information definitions, its disk counters and a password on its root never reach the
// open catalog. Its disks get fresh internal numbers from the open catalog, shortcuts are
// resolved among the file's own items and then point at their new places, and the file's
// top-level items go into the target folder in sorted position, folder sizes following. Nothing
// is matched or merged: importing a file twice gives two copies.
//
// Files of the old formats are converted; their items go straight under the target, in file
// order. The catalog's depth rule holds: what would lie deeper than kMaxFileLevels below the
// root is left out (with a warning naming the file).
#pragma once

#include <span>
#include <string>
#include <vector>

#include "catalog/EditSupport.h"

namespace shelfmark {

struct ImportReport {
    // The top-level items placed in the target folder, all files together.
    std::vector<CatalogItem*> imported;
    // Files that could not be opened, each with the system's reason; they are skipped silently.
    std::vector<std::pair<std::string, std::string>> unreadable;
    // Files the reader rejected (not a catalog, damaged, too old, too new), with its message.
    std::vector<std::string> rejected;
    // The file whose root password was not given: it added nothing, and the files after it were
    // not read. Empty when every file was read.
    std::string passwordNotGiven;
};

// The folder an import puts items into: `target` with a shortcut followed. Null, with the
// "wrong kind" error or the depth error reported, when it is not an unlocked folder with room
// for one more level.
CatalogItem* ImportTargetFolder(CatalogDocument& document, CatalogItem* target);

// Imports the files, in the order given, into `target` (a folder that is not locked; a shortcut
// to one is followed). Follows the editing discipline: the lock first (Refused: nothing
// changed), then one insert step labelled "Import .TKD file(s)" with every item imported, so
// one Undo takes the whole import back. Unchanged when nothing was imported. The document's
// hooks unlock protected items as on opening; a file whose root stays locked (its password was
// not given) adds nothing and ends the import. A root that was unlocked loses its protection:
// the names below it stay decrypted.
EditStatus ImportCatalogFiles(CatalogDocument& document, std::span<const std::string> files,
                              CatalogItem* target, ImportReport* report = nullptr);

}  // namespace shelfmark
