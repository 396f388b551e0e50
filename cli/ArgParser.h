// A small parser for "--option value", "--option=value", "--flag" and positional arguments.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark::cli {

class ArgParser {
public:
    // Declares an option that takes a value ("--name VALUE" or "--name=VALUE"); may repeat.
    ArgParser& option(std::string name);
    // Declares a switch without a value.
    ArgParser& flag(std::string name);
    // Lets a short form stand for a declared option: alias("-o", "o") reads "-o X" as "--o X".
    ArgParser& alias(std::string shortForm, std::string name);

    // Splits the arguments; false with error() set on an unknown option or a missing value.
    // "--" ends the options.
    bool parse(const std::vector<std::string>& args);
    const std::string& error() const { return error_; }

    bool has(std::string_view name) const;
    // The last value given for an option.
    std::optional<std::string> value(std::string_view name) const;
    std::string valueOr(std::string_view name, std::string_view fallback) const;
    // Every value given for a repeated option, in order.
    std::vector<std::string> values(std::string_view name) const;
    // An option's value as an unsigned number; false with error() set when it is not one.
    bool number(std::string_view name, uint64_t& out);

    const std::vector<std::string>& positionals() const { return positionals_; }

private:
    std::set<std::string, std::less<>> valueOptions_;
    std::set<std::string, std::less<>> flags_;
    std::map<std::string, std::string, std::less<>> aliases_;
    std::map<std::string, std::vector<std::string>, std::less<>> given_;
    std::vector<std::string> positionals_;
    std::string error_;
};

}  // namespace shelfmark::cli
