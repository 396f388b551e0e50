// password set | unlock | remove: protecting catalog containers with a password.
#include <unistd.h>

#include <iostream>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogPath.h"
#include "catalog/PasswordOperations.h"
#include "catalog/PasswordProtection.h"
#include "catalog/RememberedPasswords.h"
#include "cli/ArgParser.h"
#include "cli/CatalogPasswords.h"
#include "cli/Command.h"
#include "cli/TerminalPrompter.h"
#include "foundation/Utf8Text.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark::cli {
namespace {

int RunPassword(const std::vector<std::string>& args);
const Command kPasswordCommand{
    "password", "protect catalog items with a password, unlock them or remove it",
    "Usage: shelfmark-cli password set FILE PATH... [--encrypt-names] [--remember]\n"
    "       shelfmark-cli password unlock FILE PATH [--remember]\n"
    "       shelfmark-cli password remove FILE PATH...\n"
    "\n"
    "set protects the containers (folders, disks, directories, archives, the root\n"
    "\"/\") at the catalog PATHs with one password and saves FILE: their contents are\n"
    "hidden until the password is given. --encrypt-names also stores the names of\n"
    "everything inside encrypted, so the file does not reveal them.\n"
    "unlock checks the password of PATH. remove takes the protection off and saves.\n"
    "--remember keeps the password (obscured) in the settings, so the item opens\n"
    "without asking from then on.\n"
    "\n"
    "The password is never given on the command line: it is the first line of the\n"
    "file named by --password-file FILE, or it is asked on the terminal without echo.\n",
    RunPassword};
const CommandRegistration kPassword(kPasswordCommand);

int RunPassword(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.flag("encrypt-names").flag("remember");
    if (!parser.parse(args))
        return UsageError(kPasswordCommand, parser.error());
    const std::vector<std::string>& positionals = parser.positionals();
    if (positionals.size() < 3)
        return UsageError(kPasswordCommand, "expected set, unlock or remove, FILE and a PATH");
    const std::string& action = positionals[0];
    if (action != "set" && action != "unlock" && action != "remove")
        return UsageError(kPasswordCommand, "expected set, unlock or remove");
    if (action == "unlock" && positionals.size() != 3)
        return UsageError(kPasswordCommand, "unlock takes one PATH");
    if (parser.has("encrypt-names") && action != "set")
        return UsageError(kPasswordCommand, "--encrypt-names belongs to set");

    CountingPrompter prompter;
    prompter.reloadChangedCatalogs();
    CatalogDocument document(prompter);
    UnlockWhenOpening(document);
    InstallPasswordUndo(document);
    const std::string& file = positionals[1];
    if (!document.openCatalogFile(file))
        return kExitFailure;
    if (action != "unlock" && !document.lockForEditing())
        return kExitFailure;
    std::vector<CatalogItem*> items;
    for (size_t i = 2; i < positionals.size(); ++i) {
        CatalogItem* item = ResolveCatalogPath(document.tree(), positionals[i]);
        if (!item)
            return Fail("no item '" + positionals[i] + "' in the catalog");
        items.push_back(item);
    }
    RememberedPasswords remembered(SettingsStore::Instance());
    const bool remember = parser.has("remember");
    const int errors = prompter.errors;

    if (action == "set") {
        const std::optional<std::string> password = CommandPassword("the new protection", true);
        if (!password)
            return Fail("no password: give --password-file FILE or run on a terminal");
        SetPassword(document, items, {*password, parser.has("encrypt-names"), remember},
                    &remembered);
    } else {
        bool wrong = false;
        bool given = false;
        auto ask = [&](const std::string& pathText, bool again,
                       bool&) -> std::optional<EnterPasswordAnswer> {
            if (again) {
                wrong = true;
                return std::nullopt;
            }
            std::optional<std::string> password = CommandPassword(pathText, false);
            if (!password)
                return std::nullopt;
            given = true;
            return EnterPasswordAnswer{*password, action == "remove", remember};
        };
        for (CatalogItem* item : items) {
            wrong = false;
            given = false;
            CatalogItem* one[] = {item};
            const EditStatus status = EnterPassword(document, one, ask, &remembered);
            if (status == EditStatus::Refused)
                return kExitFailure;
            if (wrong)
                return Fail("wrong password for '" +
                            document.tree().pathText(item, pathmode::Display |
                                                               pathmode::FolderChain) +
                            "'");
            if (item->isProtected() && !given)
                return Fail("no password: give --password-file FILE or run on a terminal");
        }
        if (action == "unlock")
            std::cout << "The password is right.\n";
    }
    if (prompter.errors > errors)
        return kExitFailure;
    if (!document.isModified())
        return kExitSuccess;
    return document.saveCatalogFile(file) ? kExitSuccess : kExitFailure;
}

}  // namespace
}  // namespace shelfmark::cli
