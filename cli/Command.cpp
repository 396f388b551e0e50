#include "cli/Command.h"

#include <algorithm>
#include <iostream>

namespace shelfmark::cli {

static std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

CommandRegistration::CommandRegistration(const Command& command) {
    auto& commands = Registry();
    commands.insert(std::upper_bound(commands.begin(), commands.end(), command,
                                     [](const Command& a, const Command& b) { return a.name < b.name; }),
                    command);
}

const std::vector<Command>& AllCommands() { return Registry(); }

const Command* FindCommand(std::string_view name) {
    for (const Command& command : Registry())
        if (command.name == name)
            return &command;
    return nullptr;
}

int Fail(std::string_view message) {
    std::cerr << "shelfmark-cli: " << message << '\n';
    return kExitFailure;
}

int UsageError(const Command& command, std::string_view message) {
    std::cerr << "shelfmark-cli " << command.name << ": " << message << "\n"
              << "Try 'shelfmark-cli help " << command.name << "'.\n";
    return kExitUsage;
}

}  // namespace shelfmark::cli
