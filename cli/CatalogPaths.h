// Catalog paths as the commands take them: names separated by "\" or "/", "" or "/" for the
// catalog root.
#pragma once

#include <string>

#include "catalog/CatalogTree.h"

namespace shelfmark::cli {

// The path with every "/" turned into the catalog's "\".
std::string CatalogPath(std::string path);
// The item at the path (honouring locks), the root for an empty path; null when none.
CatalogItem* FindItem(const CatalogTree& tree, const std::string& path);

}  // namespace shelfmark::cli
