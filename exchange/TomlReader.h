// A small, strict TOML 1.0 reader for the catalogs other programs keep as TOML (gocatcli). It
// gives the same tree the JSON reader gives, so one catalog reader serves both notations.
//
// Read: tables, arrays of tables, inline tables, dotted keys, arrays (mixed types, newlines,
// comments, a trailing comma), the four kinds of strings with every escape, integers (decimal,
// 0x, 0o, 0b, underscores between digits, 64-bit signed range), floats (fraction, exponent,
// inf, nan), booleans and the four kinds of dates and times. Anything else is an error with its
// line and column: a key or table defined twice, a table added to after it was closed (an
// inline table, or a table that dotted keys defined reopened with a header), a bare carriage
// return, a control character or bytes that are not UTF-8 anywhere in the text, a date that
// does not exist.
//
// The tree: a table is an object (keys in the order they first appear), an array or an array
// of tables is an array, a string is a string, a boolean is a boolean. An integer is a number
// whose literal is its decimal form; a float a number whose literal has the underscores and a
// leading '+' taken away. An offset date-time is a number: whole seconds since 1970 UTC, a
// fraction dropped toward the past. Local date-times, dates and times have no fixed instant,
// so they are strings as written. Offsets of values point into the TOML text, so a reader of
// the tree reports faults by the TOML file's line and column.
//
// Limits: at most kMaxTomlDepth levels of tables, arrays and inline tables, and texts of at most
// kMaxTomlBytes bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "exchange/JsonReader.h"

namespace shelfmark::toml {

inline constexpr int kMaxTomlDepth = 512;
inline constexpr size_t kMaxTomlBytes = size_t(1) << 30;

// Parses a whole TOML document; nothing (and `error` filled) when it is not valid TOML.
std::optional<json::Value> ParseToml(std::string_view text, json::ParseError& error);

// True when the text's first statement (after blank lines and comments) is a TOML key/value
// pair or table header; a JSON text never is.
bool LooksLikeToml(std::string_view text);

}  // namespace shelfmark::toml
