// Move and copy to a folder, and creating shortcuts there. Only folders, disks and shortcuts
// are moved or copied (others are reported and skipped); anything may get a shortcut.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "catalog/EditSupport.h"

namespace shelfmark {

// Asks for the folder the items go to (the prompt text is given); null cancels. The desktop
// program shows its folder chooser; without one a command with no target is cancelled.
using ChooseFolder = std::function<CatalogItem*(const std::string& prompt)>;

// Move to folder: each item that does not contain the target goes under it in sorted position,
// its size leaving the old folders and joining the new ones. One move step for the items moved;
// Unchanged when none could move.
EditStatus MoveToFolder(CatalogDocument& document, std::span<CatalogItem* const> items,
                        CatalogItem* target, const ChooseFolder& choose = {});

// Copy to folder: a deep copy of each item (locked contents left out, nothing below the
// catalog's deepest level) appended to the target's children, its size added to the target's folders. Copies keep
// every attribute, internal disk numbers too. One insert step with the copies.
EditStatus CopyToFolder(CatalogDocument& document, std::span<CatalogItem* const> items,
                        CatalogItem* target, const ChooseFolder& choose = {},
                        std::vector<CatalogItem*>* copies = nullptr);

// Create shortcuts: for each item, a shortcut to its final target (a shortcut to a shortcut
// points at what that one points at) in sorted position in the target folder, named after the
// target, with "Shortcut to " in front when addShortcutTo (the bAddShortcutTo setting). One
// insert step with the shortcuts.
EditStatus CreateShortcuts(CatalogDocument& document, std::span<CatalogItem* const> items,
                           CatalogItem* target, bool addShortcutTo, const ChooseFolder& choose = {},
                           std::vector<CatalogItem*>* shortcuts = nullptr);

}  // namespace shelfmark
