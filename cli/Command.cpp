#include "cli/Command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "foundation/Utf8Text.h"

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
    std::cerr << "shelfmark-cli: " << text::ForTerminal(message) << '\n';
    return kExitFailure;
}

std::optional<std::string> CannotReadReason(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::string(std::strerror(errno));
    struct stat info {};
    std::optional<std::string> reason;
    if (::fstat(fd, &info) != 0)
        reason = std::strerror(errno);
    else if (S_ISDIR(info.st_mode))
        reason = "it is a directory";
    ::close(fd);
    return reason;
}

int FailCannotOpen(const std::string& path, const std::string& reason) {
    return Fail("cannot open '" + path + "': " + reason);
}

int UsageError(const Command& command, std::string_view message) {
    std::cerr << "shelfmark-cli " << command.name << ": " << text::ForTerminal(message) << "\n"
              << "Try 'shelfmark-cli help " << command.name << "'.\n";
    return kExitUsage;
}

}  // namespace shelfmark::cli
