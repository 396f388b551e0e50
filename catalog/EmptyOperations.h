// Empty archives and empty disks: the contents read from inside archives, or everything read
// from disks, leave the catalog; the archives become plain files, the disks stay with their
// attributes. One subtree-replacement step keeps the selected items' former subtrees.
#pragma once

#include <span>

#include "catalog/EditSupport.h"

namespace shelfmark {

enum class EmptyWhat { Archives, Disks };

// Every archive (or disk) in and below the selected items, entering folders, disks and
// directories and leaving locked items alone. Asks first unless askFirst is false; No:
// Unchanged.
EditStatus EmptyItems(CatalogDocument& document, std::span<CatalogItem* const> items,
                      EmptyWhat what, bool askFirst = true);

}  // namespace shelfmark
