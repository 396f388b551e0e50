// Words of a command line as a POSIX shell splits them, without any expansion: what a batch
// script's line holds. Blanks (space, tab, CR) separate words; '...' keeps everything inside;
// "..." keeps everything but the escapes \" \\ \$ \`; a backslash outside quotes keeps the next
// character. Quotes and backslashes join into the word around them, as in a shell.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark::text {

// The words of `line`; nothing, with `error` saying which quote is open, when a quote is not
// closed.
std::optional<std::vector<std::string>> SplitShellWords(std::string_view line, std::string& error);

}  // namespace shelfmark::text
