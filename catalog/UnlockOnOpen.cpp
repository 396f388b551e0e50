#include "catalog/UnlockOnOpen.h"

#include "catalog/CatalogDocument.h"
#include "catalog/PasswordProtection.h"
#include "catalog/RememberedPasswords.h"
#include "catalog/TreeWalk.h"
#include "catalog/UndoStep.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

namespace {

void UnlockOne(CatalogTree& tree, CatalogItem& item, const RememberedPasswords* remembered,
               const AskPassword& ask) {
    const std::string pathText =
        tree.pathText(&item, pathmode::Display | pathmode::FolderChain);
    std::optional<std::string> password;
    if (remembered)
        password = remembered->recall(RememberedPasswordName(tree, item));
    for (;;) {
        if (!password && ask)
            password = ask(pathText);
        if (!password)
            return;
        if (Unlock(tree, &item, *password, false))
            return;
        password.reset();
    }
}

}  // namespace

void UnlockProtectedItems(CatalogTree& tree, CatalogItem* scope,
                          const RememberedPasswords* remembered, const AskPassword& ask) {
    if (!scope)
        return;
    if (scope->isLocked())
        UnlockOne(tree, *scope, remembered, ask);
    // The safe walk enters an item only once it is unlocked, so this visits exactly what the
    // user can reach after each answer.
    WalkBelow(scope, EnterContainers, [&](CatalogItem& item) {
        if (item.isLocked())
            UnlockOne(tree, item, remembered, ask);
        return true;
    });
}

AskPassword AskThroughPrompter(Prompter& prompter) {
    return [&prompter](const std::string& pathText) {
        return prompter.askText({MenuLabel(Str(236)), pathText, {}, true});
    };
}

void InstallUnlockOnOpen(CatalogDocument& document, const RememberedPasswords* remembered,
                         AskPassword ask) {
    if (!ask)
        ask = AskThroughPrompter(document.prompter());
    document.hooks().unlockProtected = [remembered, ask = std::move(ask)](
                                           CatalogTree& tree, CatalogItem* scope) {
        UnlockProtectedItems(tree, scope, remembered, ask);
    };
}

}  // namespace shelfmark
