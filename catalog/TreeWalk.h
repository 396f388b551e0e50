// Depth-first walks over a subtree without recursion and without a stack: the walk goes down
// through firstChild and back up through parent, so any depth is fine and nothing allocates.
#pragma once

#include "catalog/CatalogItem.h"

namespace shelfmark {

namespace detail {
template <bool IgnoreLocks, typename Enter, typename Visit>
bool Walk(const CatalogItem* start, Enter&& enter, Visit&& visit) {
    auto children = [](const CatalogItem* item) {
        return IgnoreLocks ? item->firstChildIgnoringLock() : item->firstChild();
    };
    CatalogItem* item = children(start);
    while (item) {
        if (!visit(*item))
            return false;
        CatalogItem* const inner = children(item);
        if (inner && enter(static_cast<const CatalogItem&>(*item))) {
            item = inner;
            continue;
        }
        while (!item->next()) {
            item = item->parent();
            if (!item || item == start)
                return true;
        }
        item = item->next();
    }
    return true;
}
}  // namespace detail

// Visits every item below `start` (not start itself) in pre-order, children in list order.
// After visit(item), the walk goes into item's children when enter(item) is true. A locked item
// reads as empty: the walk never shows what lies below one (nor below `start` when it is locked).
// visit returns false to stop the walk; WalkBelow then returns false.
// visit may reorder or add children of the item it is given, but must not unlink that item.
template <typename Enter, typename Visit>
bool WalkBelow(const CatalogItem* start, Enter&& enter, Visit&& visit) {
    return detail::Walk<false>(start, enter, visit);
}

// WalkBelow through the raw child links, into locked items too: only for code that keeps the
// tree's structure (counting the file's records, sorting, numbering disks, protecting names).
template <typename Enter, typename Visit>
bool WalkBelowIgnoringLocks(const CatalogItem* start, Enter&& enter, Visit&& visit) {
    return detail::Walk<true>(start, enter, visit);
}

// Enter predicates.
inline bool EnterContainers(const CatalogItem& item) {
    return item.isContainer();
}
inline bool EnterAll(const CatalogItem&) {
    return true;
}

// The first disk below `start`, depth-first, for which match(disk) holds; the walk enters only
// folders that are not locked, so it sees the disks a user can reach. Null when none matches.
template <typename Match>
CatalogItem* FindDiskInFolders(const CatalogItem* start, Match&& match) {
    CatalogItem* found = nullptr;
    auto enter = [](const CatalogItem& item) {
        return item.isFolder() && !item.isShortcut() && !item.isLocked();
    };
    WalkBelow(start, enter, [&](CatalogItem& item) {
        if (item.isDisk() && !item.isShortcut() && match(static_cast<const CatalogItem&>(item))) {
            found = &item;
            return false;
        }
        return true;
    });
    return found;
}

// CountItems of one item: the items below it, entering containers only (the records the file
// writer writes below it); 0 for a non-container.
inline uint64_t CountItemsBelow(const CatalogItem& item) {
    if (!item.isContainer())
        return 0;
    uint64_t count = 0;
    WalkBelowIgnoringLocks(&item, EnterContainers, [&count](CatalogItem&) {
        ++count;
        return true;
    });
    return count;
}

}  // namespace shelfmark
