// The tool's own texts that more than one place prints: the version and the general help
// (`--help`), which the manual page is also made from, so that the two cannot drift apart.
#pragma once

#include <ostream>
#include <string_view>

namespace shelfmark::cli {

inline constexpr const char kVersion[] = "3.30.2004";

// The general help: what the tool is, the commands with their one-line summaries (hidden
// helper commands, named "__...", left out), and the notes that hold for every command.
void PrintHelp(std::ostream& out);

// Hidden commands serve the shell and the build (completion, the manual page); help leaves
// them out.
bool IsHiddenCommand(std::string_view name);

}  // namespace shelfmark::cli
