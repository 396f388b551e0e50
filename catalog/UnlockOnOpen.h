// Opening a file with protected containers: each locked container, depth-first and entering
// only what is unlocked, is unlocked with its remembered password or, when there is none or it
// no longer matches, with the password the user gives. Cancel leaves the item locked: its
// contents stay hidden from every walk and are saved unchanged.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "catalog/CatalogTree.h"

namespace shelfmark {

class CatalogDocument;
class RememberedPasswords;

// Asks for the password of the item with this path text; nothing: cancelled.
using AskPassword = std::function<std::optional<std::string>(const std::string& pathText)>;

// Unlocks what it can below (and including) `scope`. `remembered` and `ask` may be empty.
void UnlockProtectedItems(CatalogTree& tree, CatalogItem* scope,
                          const RememberedPasswords* remembered, const AskPassword& ask);

// Makes the document unlock protected items this way whenever it reads a file.
void InstallUnlockOnOpen(CatalogDocument& document, const RememberedPasswords* remembered,
                         AskPassword ask);

}  // namespace shelfmark
