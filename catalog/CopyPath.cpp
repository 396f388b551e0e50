#include "catalog/CopyPath.h"

#include "catalog/LocateDisk.h"
#include "catalog/MediumPath.h"

namespace shelfmark {

std::string CopyPathText(const CatalogTree& tree, std::span<const CatalogItem* const> items,
                         const std::vector<Volume>& drives) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        const CatalogItem* item = items[i];
        if (i > 0)
            text += '\n';
        const CatalogItem* disk = item->disk();
        const std::optional<Volume> medium =
            disk != nullptr ? FindMountedMedium(*disk, drives) : std::nullopt;
        text += medium ? RealPathOnMedium(*item, *medium) : tree.pathText(item, pathmode::Display);
    }
    return text;
}

}  // namespace shelfmark
