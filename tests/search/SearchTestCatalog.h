// Building blocks for search tests: a tree made item by item, and names of the hits.
#pragma once

#include <string>
#include <vector>

#include "catalog/CatalogTree.h"

namespace shelfmark::testing {

// Adds an item under parent (last in its list) with a size and a date.
CatalogItem* Add(CatalogTree& tree, CatalogItem* parent, const char* name, uint16_t flags = 0,
                 uint64_t size = 0, int32_t date = 0);

// The names of the items, in order.
std::vector<std::string> Names(const std::vector<const CatalogItem*>& items);

}  // namespace shelfmark::testing
