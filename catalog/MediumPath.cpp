#include "catalog/MediumPath.h"

#include <algorithm>

#include "catalog/DiskNames.h"

namespace shelfmark {

std::vector<std::string> PathOnMedium(const CatalogItem& item) {
    const CatalogItem* disk = item.disk();
    if (disk == nullptr)
        return {};
    std::vector<std::string> components;
    for (const CatalogItem* step = &item; step != disk; step = step->parent())
        components.emplace_back(step->name());
    // The base directory is kept in the catalog's own form, "\" between its folders.
    std::string_view base = disk->textAttribute(attr::BaseDirectory).value_or("");
    std::vector<std::string> baseComponents;
    while (!base.empty()) {
        const size_t separator = base.find('\\');
        const std::string_view folder = base.substr(0, separator);
        if (!folder.empty())
            baseComponents.emplace_back(folder);
        base =
            separator == std::string_view::npos ? std::string_view() : base.substr(separator + 1);
    }
    components.insert(components.end(), baseComponents.rbegin(), baseComponents.rend());
    std::reverse(components.begin(), components.end());
    return components;
}

std::string JoinOnMedium(std::string_view mountPoint, const std::vector<std::string>& components) {
    return DiskPathOf(std::string(mountPoint), components);
}

std::string RealPathOnMedium(const CatalogItem& item, const Volume& volume) {
    return JoinOnMedium(volume.mountPoint, PathOnMedium(item));
}

}  // namespace shelfmark
