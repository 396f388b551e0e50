#include "tests/search/SearchTestCatalog.h"

namespace shelfmark::testing {

CatalogItem* Add(CatalogTree& tree, CatalogItem* parent, const char* name, uint16_t flags,
                 uint64_t size, int32_t date) {
    CatalogItem* item = tree.createItem(name, parent, Last, flags);
    tree.setSize(item, size);
    item->setDate(date);
    return item;
}

std::vector<std::string> Names(const std::vector<const CatalogItem*>& items) {
    std::vector<std::string> names;
    for (const CatalogItem* item : items)
        names.emplace_back(item->name());
    return names;
}

}  // namespace shelfmark::testing
