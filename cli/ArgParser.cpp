#include "cli/ArgParser.h"

#include <charconv>

namespace shelfmark::cli {

ArgParser& ArgParser::option(std::string name) {
    valueOptions_.insert(std::move(name));
    return *this;
}

ArgParser& ArgParser::flag(std::string name) {
    flags_.insert(std::move(name));
    return *this;
}

ArgParser& ArgParser::alias(std::string shortForm, std::string name) {
    aliases_[std::move(shortForm)] = "--" + std::move(name);
    return *this;
}

bool ArgParser::parse(const std::vector<std::string>& args) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const auto alias = optionsEnded ? aliases_.end() : aliases_.find(args[i]);
        const std::string& arg = alias != aliases_.end() ? alias->second : args[i];
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            positionals_.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> inlineValue;
        if (const size_t equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        if (flags_.count(name)) {
            if (inlineValue) {
                error_ = "option --" + name + " takes no value";
                return false;
            }
            given_[name].emplace_back();
        } else if (valueOptions_.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    error_ = "option --" + name + " needs a value";
                    return false;
                }
                inlineValue = args[++i];
            }
            given_[name].push_back(*inlineValue);
        } else {
            error_ = "unknown option --" + name;
            return false;
        }
    }
    return true;
}

bool ArgParser::has(std::string_view name) const { return given_.find(name) != given_.end(); }

std::optional<std::string> ArgParser::value(std::string_view name) const {
    const auto it = given_.find(name);
    if (it == given_.end() || it->second.empty())
        return std::nullopt;
    return it->second.back();
}

std::string ArgParser::valueOr(std::string_view name, std::string_view fallback) const {
    return value(name).value_or(std::string(fallback));
}

std::vector<std::string> ArgParser::values(std::string_view name) const {
    const auto it = given_.find(name);
    return it == given_.end() ? std::vector<std::string>{} : it->second;
}

bool ArgParser::number(std::string_view name, uint64_t& out) {
    const std::optional<std::string> text = value(name);
    if (!text)
        return true;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, out);
    if (ec != std::errc() || ptr != end) {
        error_ = "option --" + std::string(name) + " needs a number, not '" + *text + "'";
        return false;
    }
    return true;
}

}  // namespace shelfmark::cli
