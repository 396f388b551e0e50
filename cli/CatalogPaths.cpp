#include "cli/CatalogPaths.h"

namespace shelfmark::cli {

std::string CatalogPath(std::string path) {
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

CatalogItem* FindItem(const CatalogTree& tree, const std::string& path) {
    const std::string catalogPath = CatalogPath(path);
    if (catalogPath.find_first_not_of('\\') == std::string::npos)
        return tree.root();
    return tree.resolvePath(catalogPath, nullptr);
}

}  // namespace shelfmark::cli
