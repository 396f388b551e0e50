// Catalog paths as the commands take them: plain names from the root down, separated by "\" or
// "/"; "" or "/" is the root.
#pragma once

#include <string>

#include "catalog/CatalogTree.h"

namespace shelfmark::cli {

// The path with every "/" turned into the catalog's "\".
inline std::string CatalogPath(std::string path) {
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

// The item at the path (names compared case-insensitively, locked folders not entered); null
// when there is none.
inline CatalogItem* FindItem(const CatalogTree& tree, const std::string& path) {
    const std::string catalogPath = CatalogPath(path);
    if (catalogPath.find_first_not_of('\\') == std::string::npos)
        return tree.root();
    return tree.resolvePath(catalogPath, nullptr);
}

}  // namespace shelfmark::cli
