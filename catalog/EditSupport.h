// What the catalog operations (the *Operations.h files) share: the editing discipline's steps
// and the few tree edits every operation and every undo uses, each keeping folder sizes right
// and telling the document's observers.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogDocument.h"

namespace shelfmark {

// How an operation ended.
enum class EditStatus {
    Done,       // the catalog changed and carries one new undo step (when undoable)
    Unchanged,  // cancelled, or nothing to do: the lock went back unless changes are unsaved
    Refused,    // the lock was refused, or taking it reloaded the file: nothing changed here
};

// Takes the file lock for a command on items the caller holds. False when the lock is refused,
// and also when taking it reloaded the file (the caller's items are gone with the old tree; the
// observers heard a reset).
bool BeginEdit(CatalogDocument& document);
// A command that ends without a change: ReleaseLock without force. Returns Unchanged.
EditStatus EndUnchanged(CatalogDocument& document);

// A menu entry's text from the language file (section Menu_Item or Menu_Mainframe): what
// recordUndo takes as the label.
std::string MenuText(std::string_view section, int key);
// A message pattern with its first "%s" (or "%d") replaced; the pattern never reaches printf.
std::string FillPattern(std::string_view pattern, std::string_view marker, std::string_view value);

// The selection check: the items `accept` takes, in order, each once. Each other item is reported
// with the "wrong kind" message (key 81) captioned with its display path.
std::vector<CatalogItem*> KeepKinds(CatalogDocument& document, std::span<CatalogItem* const> items,
                                    const std::function<bool(const CatalogItem&)>& accept);

// Folders and disks carry the sizes of what they hold up to their folders; moving, copying or
// deleting one changes the folders above it.
bool CarriesFolderSize(const CatalogItem& item);
// The sibling before the item in its parent's (or the top level's) list; null for the first.
CatalogItem* PreviousSibling(const CatalogTree& tree, const CatalogItem* item);
// Whether `item` is `inner` or one of its ancestors.
bool Contains(const CatalogItem* item, const CatalogItem* inner);

// Takes an item out of the tree: observers are told, a folder's or disk's size leaves the
// folders above it, and the item is freed (keep = false) or detached with its subtree.
// Returns the sibling it followed (null when it was first).
CatalogItem* TakeOut(CatalogDocument& document, CatalogItem* item, bool keep);
// Links a detached item back under parent after `previous` (null: first), adding its size to
// the folders above when it carries one, and tells observers it was inserted.
void PutBack(CatalogDocument& document, CatalogItem* item, CatalogItem* parent,
             CatalogItem* previous);
// Moves a linked item under newParent at `position` (Sorted, or a sibling to follow, or First)
// with the size rule; false (nothing changed) when newParent lies inside the item.
bool MoveWithSizes(CatalogDocument& document, CatalogItem* item, CatalogItem* newParent,
                   CatalogItem* position);

// The catalog's depth rule (kMaxFileLevels): whether `levels` more levels fit below `folder`;
// when not, the error naming the folder is reported and false returned.
bool RoomBelow(CatalogDocument& document, const CatalogItem& folder, int levels = 1);
// How many levels the item's subtree spans below it: 0 for an item without children.
int LevelsBelow(const CatalogItem& item);

// Copies the children of `source` (and, depth-first, theirs) under `target`, appended after its
// present children, never below the catalog's deepest level (kMaxFileLevels). visibleOnly:
// locked items are copied without their contents. `skip` (may be null) is never entered or copied: the copy being made
// when a folder is copied into itself.
void CopyChildren(CatalogTree& tree, const CatalogItem* source, CatalogItem* target,
                  bool visibleOnly, const CatalogItem* skip = nullptr);

// The time now as an item date.
int32_t DateNow();

}  // namespace shelfmark
