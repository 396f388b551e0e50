// The text "Copy path to clipboard" puts on the clipboard for the selected items.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "catalog/CatalogTree.h"
#include "platform/volumes/Volumes.h"

namespace shelfmark {

// One line per item, in order, joined by "\n" (none after the last): the item's real path when
// the medium of its disk is mounted (FindMountedMedium), else its display form ("Label:\Docs\a"),
// which an item outside any disk always gets. `drives` as ListDrives gives them.
std::string CopyPathText(const CatalogTree& tree, std::span<const CatalogItem* const> items,
                         const std::vector<Volume>& drives);

}  // namespace shelfmark
