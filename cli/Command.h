// The subcommands of shelfmark-cli. Each command file registers its commands with a static
// CommandRegistration, so adding a command touches no shared list.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark::cli {

// Exit statuses of the tool.
// kExitIncomplete: the command did its work but some of its input could not be read (a read
// that skipped unreadable directories or files); what it wrote is complete otherwise.
enum ExitStatus : int { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2, kExitIncomplete = 3 };

struct Command {
    std::string_view name;     // e.g. "info"
    std::string_view summary;  // one line for the command list
    std::string_view usage;    // full help text: synopsis, options, notes
    int (*run)(const std::vector<std::string>& args);  // arguments after the command name
};

class CommandRegistration {
public:
    explicit CommandRegistration(const Command& command);
};

const std::vector<Command>& AllCommands();
const Command* FindCommand(std::string_view name);

// Prints "shelfmark-cli: <message>" on standard error and returns kExitFailure. The message is one
// line; control characters in it (from names) are shown as escapes.
int Fail(std::string_view message);
// Why the input file `path` cannot be read ("No such file or directory", "it is a directory",
// ...), or none when it opens for reading.
std::optional<std::string> CannotReadReason(const std::string& path);
// Fails with "cannot open 'PATH': REASON".
int FailCannotOpen(const std::string& path, const std::string& reason);

// Prints the message and the command's synopsis hint on standard error and returns kExitUsage.
int UsageError(const Command& command, std::string_view message);

}  // namespace shelfmark::cli
