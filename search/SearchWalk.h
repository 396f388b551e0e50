// The search walk over the catalog tree: every item below the start item in pre-order, subtrees
// of locked items unseen, each item of a chosen kind and category state tested against the
// prepared search. Folds each item's texts as it meets them; the snapshot scan
// (SearchSnapshot.h) finds the same items in the same order without doing that work again.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "search/PreparedSearch.h"

namespace shelfmark {
class CancelFlag;
class CatalogItem;
}  // namespace shelfmark

namespace shelfmark::search {

// The item's own test: date, text, size and conditions (kind and category are the walk's).
bool ItemMatches(const PreparedSearch& search, const CatalogItem& item);

// The hits below `start` (never start itself) in walk order. The cancel flag, when given, is
// read after each item; a cancelled walk returns the hits found so far.
std::vector<const CatalogItem*> SearchTree(const PreparedSearch& search, const CatalogItem& start,
                                           const CancelFlag* cancel = nullptr);

// The same walk handing each hit to `onHit` as it is found, for a window that shows hits while
// the walk goes on. The walk ends early when `onHit` returns false (the hit could not be kept)
// or the cancel flag is set.
void SearchTree(const PreparedSearch& search, const CatalogItem& start, const CancelFlag* cancel,
                const std::function<bool(const CatalogItem*)>& onHit);

}  // namespace shelfmark::search
