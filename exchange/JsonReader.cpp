#include "exchange/JsonReader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::json {

class Parser {
  public:
    Parser(std::string_view text, ParseError& error) : text_(text), error_(error) {}

    std::optional<Value> run() {
        Value value;
        skipSpace();
        if (!parseValue(value, 0))
            return std::nullopt;
        skipSpace();
        if (pos_ != text_.size()) {
            fail("unexpected text after the JSON value");
            return std::nullopt;
        }
        return value;
    }

  private:
    bool fail(std::string message) {
        if (error_.message.empty()) {
            error_.offset = pos_;
            error_.message = std::move(message);
            LineColumnOf(text_, pos_, error_.line, error_.column);
        }
        return false;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }
    void skipSpace() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++pos_;
    }
    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word)
            return fail("unknown word (expected a JSON value)");
        pos_ += word.size();
        return true;
    }

    bool parseValue(Value& value, int depth) {
        if (atEnd())
            return fail("unexpected end of the text (expected a value)");
        value.offset_ = pos_;
        switch (peek()) {
            case '{':
                value.type_ = Type::Object;
                return parseObject(value, depth + 1);
            case '[':
                value.type_ = Type::Array;
                return parseArray(value, depth + 1);
            case '"':
                value.type_ = Type::String;
                return parseString(value.text_);
            case 't':
                value.type_ = Type::Bool;
                value.text_ = "t";
                return literal("true");
            case 'f':
                value.type_ = Type::Bool;
                return literal("false");
            case 'n':
                return literal("null");
            default:
                value.type_ = Type::Number;
                return parseNumber(value.text_);
        }
    }

    bool parseArray(Value& value, int depth) {
        if (depth > kMaxJsonDepth)
            return fail("nesting deeper than " + std::to_string(kMaxJsonDepth) + " levels");
        ++pos_;
        skipSpace();
        if (!atEnd() && peek() == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            value.children_.emplace_back();
            if (!parseValue(value.children_.back(), depth))
                return false;
            skipSpace();
            if (atEnd())
                return fail("unexpected end of the text inside an array");
            if (peek() == ']') {
                ++pos_;
                return true;
            }
            if (peek() != ',')
                return fail("expected ',' or ']' in an array");
            ++pos_;
            skipSpace();
        }
    }

    bool parseObject(Value& value, int depth) {
        if (depth > kMaxJsonDepth)
            return fail("nesting deeper than " + std::to_string(kMaxJsonDepth) + " levels");
        ++pos_;
        skipSpace();
        if (!atEnd() && peek() == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            if (atEnd() || peek() != '"')
                return fail("expected a member name in quotes");
            value.keys_.emplace_back();
            if (!parseString(value.keys_.back()))
                return false;
            skipSpace();
            if (atEnd() || peek() != ':')
                return fail("expected ':' after a member name");
            ++pos_;
            skipSpace();
            value.children_.emplace_back();
            if (!parseValue(value.children_.back(), depth))
                return false;
            skipSpace();
            if (atEnd())
                return fail("unexpected end of the text inside an object");
            if (peek() == '}') {
                ++pos_;
                return true;
            }
            if (peek() != ',')
                return fail("expected ',' or '}' in an object");
            ++pos_;
            skipSpace();
        }
    }

    // Four hex digits after "\u"; pos_ is on the first digit.
    bool hex4(char32_t& unit) {
        if (text_.size() - pos_ < 4)
            return fail("incomplete \\u escape");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexDigitValue(text_[pos_ + i]);
            if (digit < 0)
                return fail("bad hex digit in a \\u escape");
            unit = unit * 16 + char32_t(digit);
        }
        pos_ += 4;
        return true;
    }

    bool parseString(std::string& out) {
        ++pos_;  // opening quote
        for (;;) {
            const size_t start = pos_;
            while (!atEnd() && peek() != '"' && peek() != '\\' &&
                   static_cast<unsigned char>(peek()) >= 0x20)
                ++pos_;
            out.append(text_.substr(start, pos_ - start));
            if (atEnd())
                return fail("unterminated string");
            const char c = peek();
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c != '\\')
                return fail("control character inside a string");
            ++pos_;
            if (atEnd())
                return fail("unterminated string");
            const char e = peek();
            ++pos_;
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u':
                    if (!unicodeEscape(out))
                        return false;
                    break;
                default:
                    --pos_;
                    return fail("unknown escape in a string");
            }
        }
    }

    bool unicodeEscape(std::string& out) {
        char32_t unit = 0;
        if (!hex4(unit))
            return false;
        if (unit >= 0xD800 && unit <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
            const size_t save = pos_;
            pos_ += 2;
            char32_t low = 0;
            if (!hex4(low))
                return false;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text::AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            pos_ = save;  // a lone high surrogate; the next escape stands alone
        }
        if (unit >= 0xDC80 && unit <= 0xDCFF)
            out += char(unit - 0xDC00);  // an undecodable byte, escaped by Python
        else if (unit >= 0xD800 && unit <= 0xDFFF)
            text::AppendUtf8(out, 0xFFFD);
        else
            text::AppendUtf8(out, unit);
        return true;
    }

    bool parseNumber(std::string& out) {
        const size_t start = pos_;
        auto digits = [this] {
            const size_t from = pos_;
            while (!atEnd() && peek() >= '0' && peek() <= '9')
                ++pos_;
            return pos_ - from;
        };
        if (!atEnd() && peek() == '-')
            ++pos_;
        const size_t intStart = pos_;
        const size_t intDigits = digits();
        if (intDigits == 0)
            return fail("expected a JSON value");
        if (intDigits > 1 && text_[intStart] == '0') {
            pos_ = intStart;
            return fail("leading zero in a number");
        }
        if (!atEnd() && peek() == '.') {
            ++pos_;
            if (digits() == 0)
                return fail("expected digits after '.' in a number");
        }
        if (!atEnd() && (peek() == 'e' || peek() == 'E')) {
            ++pos_;
            if (!atEnd() && (peek() == '+' || peek() == '-'))
                ++pos_;
            if (digits() == 0)
                return fail("expected digits in a number's exponent");
        }
        out.assign(text_.substr(start, pos_ - start));
        return true;
    }

    std::string_view text_;
    ParseError& error_;
    size_t pos_ = 0;
};

namespace {

// A whole number literal as T; nothing when it has a fraction or does not fit.
template <typename T>
std::optional<T> WholeNumber(Type type, const std::string& text) {
    T value = 0;
    if (type != Type::Number)
        return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<int64_t> Value::asInt64() const {
    return WholeNumber<int64_t>(type_, text_);
}

std::optional<uint64_t> Value::asUint64() const {
    return WholeNumber<uint64_t>(type_, text_);
}

std::optional<double> Value::asDouble() const {
    if (type_ != Type::Number)
        return std::nullopt;
    // strtod wants a terminated text; a number literal is short.
    const std::string literal(text_);
    char* end = nullptr;
    const double value = std::strtod(literal.c_str(), &end);
    if (end != literal.c_str() + literal.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int64_t> Value::asSeconds() const {
    if (const std::optional<int64_t> whole = asInt64())
        return whole;
    const std::optional<double> value = asDouble();
    if (!value || *value < -9.2e18 || *value > 9.2e18)
        return std::nullopt;
    return int64_t(std::floor(*value));
}

Value Value::made(Type type, std::string text, size_t offset) {
    Value value;
    value.type_ = type;
    value.text_ = std::move(text);
    value.offset_ = offset;
    return value;
}

Value Value::makeBool(bool value, size_t offset) {
    return made(Type::Bool, value ? "t" : "", offset);
}

Value Value::makeNumber(std::string literal, size_t offset) {
    return made(Type::Number, std::move(literal), offset);
}

Value Value::makeString(std::string text, size_t offset) {
    return made(Type::String, std::move(text), offset);
}

Value Value::makeArray(size_t offset) {
    return made(Type::Array, {}, offset);
}

Value Value::makeObject(size_t offset) {
    return made(Type::Object, {}, offset);
}

void Value::append(Value item) {
    children_.push_back(std::move(item));
}

void Value::addMember(std::string key, Value member) {
    keys_.push_back(std::move(key));
    children_.push_back(std::move(member));
}

const Value* Value::find(std::string_view key) const {
    if (type_ != Type::Object)
        return nullptr;
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key)
            return &children_[i];
    return nullptr;
}

std::optional<std::string_view> Value::stringMember(std::string_view key) const {
    const Value* member = find(key);
    if (!member || !member->isString())
        return std::nullopt;
    return member->text();
}

std::string ParseError::describe() const {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

std::optional<Value> Parse(std::string_view text, ParseError& error) {
    error = ParseError{};
    return Parser(text, error).run();
}

void LineColumnOf(std::string_view text, size_t offset, size_t& line, size_t& column) {
    line = 1;
    size_t lineStart = 0;
    const size_t end = offset < text.size() ? offset : text.size();
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    column = offset - lineStart + 1;
}

}  // namespace shelfmark::json
