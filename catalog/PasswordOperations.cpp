#include "catalog/PasswordOperations.h"

#include "catalog/PasswordProtection.h"
#include "catalog/RememberedPasswords.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

namespace {

constexpr unsigned kPasswordPathMode = pathmode::Display | pathmode::FolderChain;

std::vector<CatalogItem*> KeepContainers(CatalogDocument& document,
                                         std::span<CatalogItem* const> items) {
    return KeepKinds(document, items, [](const CatalogItem& item) {
        return item.isContainer() && !item.isShortcut();
    });
}

}  // namespace

bool PasswordsConfirmed(std::string_view password, std::string_view confirmation,
                        Prompter& prompter) {
    if (password == confirmation)
        return true;
    prompter.error(LanguageTexts::Instance().text("Dlg_SetPassword", 5));
    return false;
}

EditStatus SetPassword(CatalogDocument& document, std::span<CatalogItem* const> items,
                       const SetPasswordRequest& request, RememberedPasswords* remembered) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    const std::vector<CatalogItem*> containers = KeepContainers(document, items);
    CatalogTree& tree = document.tree();
    std::vector<CatalogItem*> chosen;
    for (CatalogItem* item : containers) {
        if (item->isProtected() || item->hasAttribute(attr::EncryptedName)) {
            document.prompter().error(FillPattern("'%s' is already password-protected!", "%s",
                                                  item->name()));
            continue;
        }
        chosen.push_back(item);
    }
    if (chosen.empty())
        return EndUnchanged(document);
    UndoStep& step =
        document.recordUndo(UndoKind::SetPassword, chosen, MenuText("Strings", 235));
    step.password = request.password;
    for (CatalogItem* item : chosen) {
        if (request.remember && remembered)
            remembered->remember(RememberedPasswordName(tree, *item), request.password);
        Protect(tree, item, request.password, request.encryptNames);
        document.notifyChanged(*item);
    }
    document.setModified();
    return EditStatus::Done;
}

EditStatus EnterPassword(CatalogDocument& document, std::span<CatalogItem* const> items,
                         const AskEnterPassword& ask, RememberedPasswords* remembered) {
    const std::vector<CatalogItem*> containers = KeepContainers(document, items);
    CatalogTree& tree = document.tree();
    bool changed = false;
    for (CatalogItem* item : containers) {
        if (!item->isProtected()) {
            document.prompter().error(
                FillPattern("'%s' is not password-protected!", "%s", item->name()));
            continue;
        }
        const std::string pathText = tree.pathText(item, kPasswordPathMode);
        for (bool again = false;; again = true) {
            bool rememberTicked = false;
            const std::optional<EnterPasswordAnswer> answer = ask(pathText, again, rememberTicked);
            if (!answer) {
                if (rememberTicked && remembered)
                    remembered->forget(RememberedPasswordName(tree, *item));
                return changed ? EditStatus::Done : EndUnchanged(document);
            }
            if (!PasswordMatches(*item, answer->password))
                continue;
            const uint64_t generation = document.treeGeneration();
            bool remove = answer->removeProtection && document.lockForEditing();
            if (document.treeGeneration() != generation)
                return EditStatus::Refused;  // the file was read again: the items are gone
            if (remove) {
                UndoStep& step = document.recordUndo(UndoKind::RemovePassword, {&item, 1},
                                                     MenuText("Strings", 236));
                step.password = answer->password;
                step.nameWasEncrypted = NamesEncryptedBelow(*item);
            }
            Unlock(tree, item, answer->password, remove);
            if (answer->remember && remembered)
                remembered->remember(RememberedPasswordName(tree, *item), answer->password);
            document.notifyChanged(*item);
            if (remove) {
                document.setModified();
                changed = true;
            }
            break;
        }
    }
    return changed ? EditStatus::Done : EditStatus::Unchanged;
}

void InstallPasswordUndo(CatalogDocument& document) {
    CatalogDocument::UndoHooks& hooks = document.undoHooks();
    hooks.removeProtection = [&document](CatalogItem* item, const std::string& password) {
        const bool done = Unlock(document.tree(), item, password, true);
        if (done)
            document.notifyChanged(*item);
        return done;
    };
    hooks.protect = [&document](CatalogItem* item, const std::string& password,
                                bool encryptNames) {
        const bool done = Protect(document.tree(), item, password, encryptNames);
        if (done)
            document.notifyChanged(*item);
        return done;
    };
}

}  // namespace shelfmark
