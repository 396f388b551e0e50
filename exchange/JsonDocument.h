// A JSON file held for a reader of another program's catalog: the parsed value, and the text it
// came from so that a fault can be named by line and column. A TOML file is held the same way
// (TomlReader.h gives the same tree), so a reader of the tree serves both notations.
#pragma once

#include <string>
#include <string_view>

#include "exchange/ForeignTree.h"
#include "exchange/JsonReader.h"

namespace shelfmark {

struct JsonDocument {
    std::string_view text;
    json::Value top;

    // Parses `text`; false with `error` at the fault when it is not JSON.
    bool parse(std::string_view source, ForeignReadError& error);
    // The same for a TOML text.
    bool parseToml(std::string_view source, ForeignReadError& error);
    // Fills `error` with "line L, column C" of `at` and the message; returns false.
    bool fail(const json::Value& at, std::string message, ForeignReadError& error) const;
};

}  // namespace shelfmark
