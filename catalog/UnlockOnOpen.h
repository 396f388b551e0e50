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
class Prompter;
class RememberedPasswords;

// Asks for the password of the item with this path text; nothing: cancelled.
using AskPassword = std::function<std::optional<std::string>(const std::string& pathText)>;

// Asks through the prompter: a secret text request captioned with the Enter Password command,
// labelled with the item's path text. The prompter must outlive the returned function.
AskPassword AskThroughPrompter(Prompter& prompter);

// Unlocks what it can below (and including) `scope`. `remembered` and `ask` may be empty.
void UnlockProtectedItems(CatalogTree& tree, CatalogItem* scope,
                          const RememberedPasswords* remembered, const AskPassword& ask);

// Makes the document unlock protected items this way whenever it reads a file, and whenever it
// imports one: the imported file's root is then unlocked first, so that its password can be
// taken off (a root left locked ends the import). Without `ask`, the document's prompter asks.
void InstallUnlockOnOpen(CatalogDocument& document, const RememberedPasswords* remembered,
                         AskPassword ask = {});

}  // namespace shelfmark
