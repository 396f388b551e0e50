// The password commands as document operations: Set Password and Enter/Remove Password. Only
// containers are protected (other items are reported with the wrong-kind message and skipped).
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "catalog/EditSupport.h"

namespace shelfmark {

class RememberedPasswords;

struct SetPasswordRequest {
    std::string password;
    bool encryptNames = false;
    bool remember = false;
};

// Set Password: one set-password step labelled "Set Password" naming the items it protected.
// An item already protected (or with an encrypted name) is reported with "'%s' is already
// password-protected!" and skipped. With remember, the password is remembered per item.
EditStatus SetPassword(CatalogDocument& document, std::span<CatalogItem* const> items,
                       const SetPasswordRequest& request, RememberedPasswords* remembered);

// The Set Password dialog's OK: the password and its confirmation must be equal; otherwise
// "Passwords do not match!" is shown and the dialog stays open (false).
bool PasswordsConfirmed(std::string_view password, std::string_view confirmation,
                        Prompter& prompter);

// The Enter Password dialog's answer.
struct EnterPasswordAnswer {
    std::string password;
    bool removeProtection = false;
    bool remember = false;
};
// Asks for the password of the item with the given path text; `again` after a wrong one.
// Nothing: cancelled (`rememberTicked` tells whether the remember box was ticked then).
using AskEnterPassword = std::function<std::optional<EnterPasswordAnswer>(
    const std::string& pathText, bool again, bool& rememberTicked)>;

// Enter/Remove Password: for each protected item the dialog is asked until the password
// matches or the user cancels (which stops the command, forgetting the item's remembered
// password when the remember box was ticked). Removing the protection takes the lock and
// records one remove-password step per item, so that each can be undone with its own
// password; a refused lock unlocks without removing. Unprotected items are reported with
// "'%s' is not password-protected!".
EditStatus EnterPassword(CatalogDocument& document, std::span<CatalogItem* const> items,
                         const AskEnterPassword& ask, RememberedPasswords* remembered);

// The undo hooks for the two password steps.
void InstallPasswordUndo(CatalogDocument& document);

}  // namespace shelfmark
