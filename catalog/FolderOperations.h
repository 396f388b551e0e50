// Creating folders and disk entries by name. Both record an insert step.
#pragma once

#include <optional>
#include <string>

#include "catalog/EditSupport.h"

namespace shelfmark {

// Why a name cannot be a new item's name (empty, or holding "\" or "/", which paths use), or
// nothing when it can.
std::optional<std::string> InvalidNameReason(std::string_view name);

// Create Folder: under `target` (a folder, or a shortcut to one), in sorted position, dated now.
// Without a name the prompter asks for one (Cancel: Unchanged). A name that is not valid or
// that the folder already holds (case-insensitively) is reported and nothing changes. `created`
// receives the new folder.
EditStatus CreateFolder(CatalogDocument& document, CatalogItem* target,
                        std::optional<std::string> name, CatalogItem** created = nullptr);

// Add Disk Name: a disk of `type` that was never read, under `target` or, when that is no
// folder, the nearest folder above it; sorted, dated now, with the root's next Disk ID and
// internal number (both counters raised), no volume serial number and the first 16 characters
// of the name as its volume label.
EditStatus AddDiskByName(CatalogDocument& document, CatalogItem* target, const std::string& name,
                         MediaType type, CatalogItem** created = nullptr);

}  // namespace shelfmark
