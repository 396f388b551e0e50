#include "search/SearchWalk.h"

#include "catalog/CatalogItem.h"
#include "foundation/CancelFlag.h"

namespace shelfmark::search {

bool ItemMatches(const PreparedSearch& search, const CatalogItem& item) {
    if (!DateAccepted(search, item.date()))
        return false;
    bool found = TextHolds(search, ComparableText(search, item.name()));
    if (!found && search.inDescription) {
        if (const auto description = item.textAttribute(attr::Description))
            found = TextHolds(search, ComparableText(search, *description));
    }
    if (!found && search.inExtraInfo) {
        for (const ItemAttribute& attribute : item.attributes()) {
            if (attribute.valueClass() == AttributeClass::Text &&
                TextHolds(search, ComparableText(search, attribute.text()))) {
                found = true;
                break;
            }
        }
    }
    if (!found)
        return false;
    if (!SizeAccepted(search, item.flags(), item.size()))
        return false;
    return ConditionsHold(search, item);
}

std::vector<const CatalogItem*> SearchTree(const PreparedSearch& search, const CatalogItem& start,
                                           const CancelFlag* cancel) {
    std::vector<const CatalogItem*> hits;
    SearchTree(search, start, cancel, [&hits](const CatalogItem* hit) {
        hits.push_back(hit);
        return true;
    });
    return hits;
}

void SearchTree(const PreparedSearch& search, const CatalogItem& start, const CancelFlag* cancel,
                const std::function<bool(const CatalogItem*)>& onHit) {
    // The category state of each level from the start item down to the current item's parent.
    std::vector<bool> states{StartCategoryState(search, start)};
    const CatalogItem* item = start.firstChild();
    while (item) {
        const std::optional<uint32_t> categories = item->numberAttribute(attr::Categories);
        const bool state = CategoryState(search, categories.has_value(), categories.value_or(0),
                                         states.back());
        if (state && search.kindOn[size_t(KindOf(item->flags()))] && ItemMatches(search, *item) &&
            !onHit(item))
            return;
        if (cancel && cancel->isSet())
            break;
        const CatalogItem* child = item->isContainer() ? item->firstChild() : nullptr;
        if (child) {
            states.push_back(state);
            item = child;
            continue;
        }
        while (!item->next()) {
            item = item->parent();
            if (!item || item == &start)
                return;
            states.pop_back();
        }
        item = item->next();
    }
}

}  // namespace shelfmark::search
