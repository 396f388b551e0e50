// One undoable change of the catalog, as the document keeps it (at most kMaxUndoSteps, newest
// last). A step names the items the command acted on and keeps, by kind, what undoing needs.
//
// Ownership: items a step keeps detached (the deleted items of a Delete step while it is not
// undone, the saved copies of AttributeChange and SubtreeReplacement steps) live in the tree's
// memory but belong to the step; the document frees them when it drops the step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

class CatalogItem;

inline constexpr size_t kMaxUndoSteps = 32;

enum class UndoKind : uint8_t {
    Insert = 1,
    Delete = 2,
    Rename = 3,
    Move = 4,
    AttributeChange = 5,
    SubtreeReplacement = 6,
    SetPassword = 7,
    RemovePassword = 8,
};

struct UndoStep {
    UndoKind kind = UndoKind::Insert;
    // RemovePassword only: whether the names below the first item were stored encrypted.
    uint32_t nameWasEncrypted = 0;
    // The items the command acted on; count() of them.
    std::vector<CatalogItem*> items;
    // The command's menu text made plain (MenuLabel); nothing when the command gives no text.
    std::optional<std::string> label;
    // Delete and Move: the former parent of each item (nullptr: the top level), and the sibling
    // it followed there (nullptr: it was first). The operation fills the sibling in as it takes
    // each item away, so that undoing in reverse order puts every item back exactly
    // where it was, also in a list that is not in tree order (after a rename).
    std::vector<CatalogItem*> formerParents;
    std::vector<CatalogItem*> formerPrevious;
    // Rename: the old name of each item.
    std::vector<std::string> oldNames;
    // AttributeChange: a detached copy of each item without children. SubtreeReplacement: a
    // detached copy of each item that holds the item's former children.
    std::vector<CatalogItem*> copies;
    // SetPassword: the password that was set. RemovePassword: the password that was removed.
    std::string password;
    // Delete: the items are detached and owned by the step (false once they are back).
    bool ownsItems = false;

    uint32_t count() const { return uint32_t(items.size()); }
};

// A menu text as an undo label: every "&" removed, cut before the first line break, every
// "..." removed ("Re&name\nF2" gives "Rename", "C&opy to folder..." gives "Copy to folder").
std::string MenuLabel(std::string_view menuText);

}  // namespace shelfmark
