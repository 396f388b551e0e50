// A small, strict JSON reader for the catalogs other programs write (ncdu exports, catcli and
// gocatcli catalogs).
//
// Strict: one value of RFC 8259 with nothing but white space around it, no comments, no
// trailing commas, no leading zeros, no raw control characters in strings, nesting at most
// kMaxJsonDepth deep. Two allowances, because the files that matter carry them:
//  - bytes that are not UTF-8 inside strings are kept as they are (ncdu copies file names
//    byte for byte); callers decide how to show them;
//  - a lone escaped surrogate \uDC80-\uDCFF stands for the raw byte 0x80-0xFF (Python writes
//    undecodable name bytes this way); any other lone surrogate becomes U+FFFD.
// Numbers keep their text; the typed accessors convert it on demand, so 64-bit unsigned values
// (ncdu's wrapped dates) and fractions (catcli's times) both survive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark::json {

inline constexpr int kMaxJsonDepth = 512;

enum class Type : uint8_t { Null, Bool, Number, String, Array, Object };

class Value {
  public:
    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }
    bool isBool() const { return type_ == Type::Bool; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isArray() const { return type_ == Type::Array; }
    bool isObject() const { return type_ == Type::Object; }

    // Bool: its value; false for anything else.
    bool boolean() const { return type_ == Type::Bool && text_ == "t"; }
    // String: the decoded text; Number: the literal; empty otherwise.
    std::string_view text() const { return text_; }
    // Number conversions; nothing when the value is not a number or does not fit. asInt64 and
    // asUint64 take integers only; asSeconds also takes a fraction, dropping it toward minus
    // infinity.
    std::optional<int64_t> asInt64() const;
    std::optional<uint64_t> asUint64() const;
    std::optional<double> asDouble() const;
    std::optional<int64_t> asSeconds() const;

    // Array: its elements; Object: its member values (keys in keys()). Empty otherwise.
    std::span<const Value> items() const { return children_; }
    std::span<const std::string> keys() const { return keys_; }
    // Object: the value of the first member with this key, or null.
    const Value* find(std::string_view key) const;
    // find(key) when it is a string, else nothing.
    std::optional<std::string_view> stringMember(std::string_view key) const;

    // Byte offset of the value's first character in the parsed text.
    size_t offset() const { return offset_; }

    // Building the same tree from another notation (TOML): `offset` is where the value starts in
    // that text. A number's literal must be one the typed accessors read (digits, an optional
    // '-', a fraction and exponent, or inf/nan).
    static Value makeBool(bool value, size_t offset);
    static Value makeNumber(std::string literal, size_t offset);
    static Value makeString(std::string text, size_t offset);
    static Value makeArray(size_t offset);
    static Value makeObject(size_t offset);
    // Array: adds an element; Object: adds a member (the caller keeps keys unique).
    void append(Value item);
    void addMember(std::string key, Value member);

  private:
    friend class Parser;
    static Value made(Type type, std::string text, size_t offset);
    Type type_ = Type::Null;
    size_t offset_ = 0;
    std::string text_;
    std::vector<std::string> keys_;
    std::vector<Value> children_;
};

struct ParseError {
    size_t offset = 0;  // byte offset of the fault
    size_t line = 1;    // 1-based
    size_t column = 1;  // 1-based, in bytes
    std::string message;
    // "line L, column C: message"
    std::string describe() const;
};

// Parses the whole text; nothing (and `error` filled) when it is not one JSON value.
std::optional<Value> Parse(std::string_view text, ParseError& error);

// The 1-based line and column of a byte offset.
void LineColumnOf(std::string_view text, size_t offset, size_t& line, size_t& column);

}  // namespace shelfmark::json
