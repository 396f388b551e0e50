// Delete: items leave the catalog with everything below them. With undo they stay detached,
// owned by the delete step, until it is undone or dropped.
#pragma once

#include <span>

#include "catalog/EditSupport.h"

namespace shelfmark {

struct DeleteOptions {
    // Without undo the items are freed at once, and with them every undo step (an older step
    // could name one of them).
    bool undoable = true;
    // Ask "Do you really want to delete ...?" first (not while Shift is held).
    bool askFirst = true;
};

// The question before deleting the items: their one display name, or their count.
std::string DeleteQuestion(const CatalogTree& tree, std::span<CatalogItem* const> items);
// The same question for `count` things (rows of a list too): "Do you really want to delete
// '%s'?" with `oneName` for one, "Do you really want to delete the %d objects?" otherwise.
std::string DeleteQuestion(size_t count, std::string_view oneName);

// The catalog root is never deleted (reported as an item of the wrong kind). A folder's or a
// disk's size leaves the folders above it. No at the question: Unchanged.
EditStatus DeleteItems(CatalogDocument& document, std::span<CatalogItem* const> items,
                       DeleteOptions options = {});

}  // namespace shelfmark
