#include "exchange/JsonDocument.h"

#include "exchange/TomlReader.h"

namespace shelfmark {

namespace {
std::string Where(size_t line, size_t column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

bool TakeParsed(std::optional<json::Value> value, const json::ParseError& parseError,
                json::Value& top, ForeignReadError& error) {
    if (!value) {
        error.where = Where(parseError.line, parseError.column);
        error.message = parseError.message;
        return false;
    }
    top = std::move(*value);
    return true;
}

}  // namespace

bool JsonDocument::parse(std::string_view source, ForeignReadError& error) {
    text = source;
    json::ParseError parseError;
    return TakeParsed(json::Parse(text, parseError), parseError, top, error);
}

bool JsonDocument::parseToml(std::string_view source, ForeignReadError& error) {
    text = source;
    json::ParseError parseError;
    return TakeParsed(toml::ParseToml(text, parseError), parseError, top, error);
}

bool JsonDocument::fail(const json::Value& at, std::string message, ForeignReadError& error) const {
    size_t line = 0, column = 0;
    json::LineColumnOf(text, at.offset(), line, column);
    error.where = Where(line, column);
    error.message = std::move(message);
    return false;
}

}  // namespace shelfmark
