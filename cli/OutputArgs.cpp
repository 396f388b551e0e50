#include "cli/OutputArgs.h"

#include <optional>

namespace shelfmark::cli {

int ParseWithOutput(const Command& command, const std::vector<std::string>& args,
                    std::string_view outputName, ArgParser& parser, std::string& output) {
    parser.option("output").alias("-o", "output");
    if (!parser.parse(args))
        return UsageError(command, parser.error());
    const std::optional<std::string> value = parser.value("output");
    if (!value)
        return UsageError(command, "-o " + std::string(outputName) + " is required");
    output = *value;
    return kExitSuccess;
}

}  // namespace shelfmark::cli
