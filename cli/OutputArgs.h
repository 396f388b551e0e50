// The arguments every command that writes one file starts with: "-o OUT" (or "--output OUT"),
// required, next to what the command declares itself (e.g. "--force").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/ArgParser.h"
#include "cli/Command.h"

namespace shelfmark::cli {

// Declares -o/--output on `parser`, parses `args` and sets `output`. Returns kExitSuccess, or
// the usage error already printed: an argument the parser refuses, or no -o ("-o `outputName`
// is required").
int ParseWithOutput(const Command& command, const std::vector<std::string>& args,
                    std::string_view outputName, ArgParser& parser, std::string& output);

}  // namespace shelfmark::cli
