#include "cli/CatalogPasswords.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>

#include "catalog/CatalogDocument.h"
#include "catalog/RememberedPasswords.h"
#include "catalog/UnlockOnOpen.h"
#include "foundation/Utf8Text.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark::cli {
namespace {

// The password given by --password-file for this run of the tool.
std::optional<std::string>& FilePassword() {
    static std::optional<std::string> password;
    return password;
}

// One line from the terminal without echo; nothing at end of input or for an empty line.
std::optional<std::string> AskWithoutEcho(const std::string& prompt) {
    if (::isatty(STDIN_FILENO) != 1)
        return std::nullopt;
    std::cerr << prompt << std::flush;
    termios saved{};
    const bool restore = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (restore) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (restore)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << '\n';
    if (!read || line.empty())
        return std::nullopt;
    return line;
}

RememberedPasswords& Remembered() {
    static RememberedPasswords remembered(SettingsStore::Instance());
    return remembered;
}

AskPassword Asker() {
    // A password file is tried once per item: a wrong one leaves the item locked.
    auto tried = std::make_shared<std::set<std::string>>();
    return [tried](const std::string& pathText) -> std::optional<std::string> {
        if (FilePassword()) {
            if (!tried->insert(pathText).second)
                return std::nullopt;
            return FilePassword();
        }
        return AskWithoutEcho("Password for " + text::ForTerminal(pathText) +
                              " (empty to leave it locked): ");
    };
}

}  // namespace

bool TakePasswordFileOption(std::vector<std::string>& args, std::string& error) {
    constexpr std::string_view kOption = "--password-file";
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--")
            break;
        std::string file;
        size_t taken = 1;
        if (args[i] == kOption) {
            if (i + 1 >= args.size()) {
                error = "--password-file needs a FILE";
                return false;
            }
            file = args[i + 1];
            taken = 2;
        } else if (args[i].starts_with(std::string(kOption) + "=")) {
            file = args[i].substr(kOption.size() + 1);
        } else {
            continue;
        }
        std::ifstream in(file, std::ios::binary);
        std::string line;
        if (!in || (!std::getline(in, line) && !in.eof())) {
            error = "cannot read the password file '" + file + "': " + std::strerror(errno);
            return false;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        FilePassword() = line;
        args.erase(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i + taken));
        --i;
    }
    return true;
}

std::optional<std::string> CommandPassword(const std::string& what, bool confirm) {
    if (FilePassword())
        return FilePassword();
    std::optional<std::string> password = AskWithoutEcho("Password for " + what + ": ");
    if (!password || !confirm)
        return password;
    if (AskWithoutEcho("Once more: ") != password) {
        std::cerr << "shelfmark-cli: Passwords do not match!\n";
        return std::nullopt;
    }
    return password;
}

std::function<void(CatalogTree&, CatalogItem*)> CatalogUnlocker() {
    AskPassword ask = Asker();
    return [ask](CatalogTree& tree, CatalogItem* scope) {
        UnlockProtectedItems(tree, scope, &Remembered(), ask);
    };
}

void UnlockWhenOpening(CatalogDocument& document) {
    InstallUnlockOnOpen(document, &Remembered(), Asker());
}

}  // namespace shelfmark::cli
