// shelfmark-cli: the headless face of Shelfmark, for scripts and servers.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CatalogPasswords.h"
#include "cli/Command.h"
#include "cli/HelpText.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::cli {

bool IsHiddenCommand(std::string_view name) {
    return name.starts_with("__");
}

void PrintHelp(std::ostream& out) {
    out << "Usage: shelfmark-cli COMMAND [ARGUMENTS...]\n"
           "       shelfmark-cli --help | --version\n"
           "\n"
           "Shelfmark catalogues disks, folders and their files into catalog files (.tkd).\n"
           "\n"
           "Commands:\n";
    for (const Command& command : AllCommands()) {
        if (IsHiddenCommand(command.name))
            continue;
        std::string name(command.name);
        name.resize(std::max<size_t>(name.size() + 2, 14), ' ');
        out << "  " << name << command.summary << '\n';
    }
    out << "\nRun 'shelfmark-cli help COMMAND' for the options of a command.\n"
           "Every command that opens a catalog takes --password-file FILE (the password on\n"
           "its first line) for password-protected items; on a terminal it asks instead.\n"
           "Exit status: 0 success, 1 failure (with a message on standard error), 2 usage error.\n";
}

namespace {

int RunHelp(const std::vector<std::string>& args) {
    if (args.empty()) {
        PrintHelp(std::cout);
        return kExitSuccess;
    }
    const Command* command = FindCommand(args[0]);
    if (!command) {
        std::cerr << "shelfmark-cli: unknown command '" << shelfmark::text::ForTerminal(args[0])
                  << "'\n";
        return kExitUsage;
    }
    std::cout << command->usage;
    return kExitSuccess;
}

const CommandRegistration kHelp({"help", "show the commands, or the options of one command",
                                 "Usage: shelfmark-cli help [COMMAND]\n", RunHelp});

}  // namespace
}  // namespace shelfmark::cli

int main(int argc, char** argv) {
    using namespace shelfmark::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        PrintHelp(std::cout);
        return kExitSuccess;
    }
    if (args[0] == "--version") {
        std::cout << kVersion << '\n';
        return kExitSuccess;
    }
    const Command* command = FindCommand(args[0]);
    if (!command) {
        std::cerr << "shelfmark-cli: unknown command '" << shelfmark::text::ForTerminal(args[0])
                  << "'\nTry 'shelfmark-cli --help'.\n";
        return kExitUsage;
    }
    args.erase(args.begin());
    if (std::string error; !TakePasswordFileOption(args, error)) {
        std::cerr << "shelfmark-cli: " << shelfmark::text::ForTerminal(error) << '\n';
        return kExitFailure;
    }
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << command->usage;
            return kExitSuccess;
        }
    }
    return command->run(args);
}
