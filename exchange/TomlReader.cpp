#include "exchange/TomlReader.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/Utf8Text.h"

namespace shelfmark::toml {

namespace {

// How a table came to be, which decides what may still be added to it.
enum class State : uint8_t {
    Implicit,  // only named on the way to a deeper header: a header or dotted keys may define it
    Header,    // defined by its own [header]: complete once the next header starts
    Dotted,    // defined by dotted keys: more dotted keys of the same section may add to it
};

enum class Kind : uint8_t { Leaf, Table, TableArray };

// A table under construction. Values (inline tables and arrays too) are finished leaves; only
// tables that headers and dotted keys can still reach are kept open here.
struct Node {
    Kind kind = Kind::Table;
    State state = State::Implicit;
    bool inlineTable = false;  // a leaf that came from { ... }
    int depth = 0;
    size_t offset = 0;
    json::Value value;                                                   // Leaf
    std::vector<std::pair<std::string, std::unique_ptr<Node>>> members;  // Table
    std::unordered_map<std::string, size_t> index;                       // Table, when large
    std::vector<std::unique_ptr<Node>> elements;                         // TableArray

    // Tables are small as a rule (a catalog entry has a dozen keys): they are searched in
    // order, and only a large one gets an index.
    static constexpr size_t kIndexFrom = 16;

    Node* find(const std::string& key) {
        if (index.empty()) {
            for (auto& [name, member] : members)
                if (name == key)
                    return member.get();
            return nullptr;
        }
        const auto found = index.find(key);
        return found == index.end() ? nullptr : members[found->second].second.get();
    }
    Node* add(const std::string& key, Kind memberKind, size_t at) {
        auto node = std::make_unique<Node>();
        node->kind = memberKind;
        node->depth = depth + 1;
        node->offset = at;
        members.emplace_back(key, std::move(node));
        if (!index.empty()) {
            index.emplace(members.back().first, members.size() - 1);
        } else if (members.size() >= kIndexFrom) {
            for (size_t i = 0; i < members.size(); ++i)
                index.emplace(members[i].first, i);
        }
        return members.back().second.get();
    }
};

json::Value ToJson(Node& node) {
    switch (node.kind) {
        case Kind::Leaf:
            return std::move(node.value);
        case Kind::Table: {
            json::Value object = json::Value::makeObject(node.offset);
            for (auto& [key, member] : node.members)
                object.addMember(key, ToJson(*member));
            return object;
        }
        case Kind::TableArray: {
            json::Value array = json::Value::makeArray(node.offset);
            for (const std::unique_ptr<Node>& element : node.elements)
                array.append(ToJson(*element));
            return array;
        }
    }
    return {};
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}
bool IsBinaryDigit(char c) {
    return c == '0' || c == '1';
}
bool IsBareKeyChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_' || c == '-';
}
// Control characters TOML forbids in strings and comments (tab is allowed).
bool IsForbiddenControl(unsigned char c) {
    return (c < 0x20 && c != '\t') || c == 0x7F;
}

struct KeyPart {
    std::string name;
    size_t offset = 0;
};

// The dotted key as a person reads it, for messages.
std::string Dotted(const std::vector<KeyPart>& parts, size_t count) {
    std::string joined;
    for (size_t i = 0; i < count; ++i) {
        if (i)
            joined += '.';
        joined += parts[i].name;
    }
    return joined;
}

class Parser {
  public:
    Parser(std::string_view text, json::ParseError& error) : text_(text), error_(error) {}

    std::optional<json::Value> run() {
        if (text_.size() > kMaxTomlBytes) {
            fail("the text is larger than " + std::to_string(kMaxTomlBytes >> 20) + " MiB");
            return std::nullopt;
        }
        if (text_.starts_with("\xEF\xBB\xBF"))
            pos_ = 3;
        Node root;
        Node* current = &root;
        while (!atEnd()) {
            skipBlanks();
            if (atEnd())
                break;
            const char c = peek();
            if (c == '[') {
                if (!header(root, current))
                    return std::nullopt;
            } else if (c != '#' && c != '\n' && c != '\r') {
                if (!keyValue(*current))
                    return std::nullopt;
            }
            if (!endOfLine())
                return std::nullopt;
        }
        return ToJson(root);
    }

    // The first statement is a key/value pair or a table header.
    bool firstStatementIsToml() {
        if (text_.starts_with("\xEF\xBB\xBF"))
            pos_ = 3;
        for (;;) {
            skipBlanks();
            if (atEnd())
                return false;
            if (peek() == '#' || peek() == '\n' || peek() == '\r') {
                if (!endOfLine())
                    return false;
                continue;
            }
            break;
        }
        std::vector<KeyPart> parts;
        if (peek() != '[')
            return key(parts) && (skipBlanks(), !atEnd() && peek() == '=');
        const bool array = startsWith("[[");
        pos_ += array ? 2 : 1;
        skipBlanks();
        if (!key(parts))
            return false;
        skipBlanks();
        if (!startsWith(array ? "]]" : "]"))
            return false;
        pos_ += array ? 2 : 1;
        return endOfLine();
    }

  private:
    bool fail(std::string message) { return failAt(pos_, std::move(message)); }
    bool failAt(size_t at, std::string message) {
        if (error_.message.empty()) {
            error_.offset = at;
            error_.message = std::move(message);
            json::LineColumnOf(text_, at, error_.line, error_.column);
        }
        return false;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }
    char peekAt(size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    bool startsWith(std::string_view what) const { return text_.substr(pos_, what.size()) == what; }
    void skipBlanks() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t'))
            ++pos_;
    }
    // True (the error set) past the nesting limit.
    bool tooDeep(int depth) {
        if (depth <= kMaxTomlDepth)
            return false;
        fail("nesting deeper than " + std::to_string(kMaxTomlDepth) + " levels");
        return true;
    }

    // At a line break: steps over it. A carriage return must come with a line feed.
    bool lineBreak() {
        if (peek() == '\n') {
            ++pos_;
            return true;
        }
        if (peek() == '\r' && peekAt(1) == '\n') {
            pos_ += 2;
            return true;
        }
        return fail("a carriage return without a line feed");
    }
    bool isLineBreak() const { return !atEnd() && (peek() == '\n' || peek() == '\r'); }

    // One valid UTF-8 character at pos_ appended to `out` (a byte of 0x80 or more starts it).
    bool utf8Character(std::string& out) {
        char32_t cp = 0;
        const size_t length = text::DecodeUtf8(text_, pos_, cp);
        if (length == 0)
            return fail("bytes that are not UTF-8");
        out.append(text_.substr(pos_, length));
        pos_ += length;
        return true;
    }

    bool comment() {
        ++pos_;  // '#'
        std::string ignored;
        while (!atEnd() && !isLineBreak()) {
            const unsigned char c = static_cast<unsigned char>(peek());
            if (c >= 0x80) {
                if (!utf8Character(ignored))
                    return false;
                ignored.clear();
            } else if (IsForbiddenControl(c)) {
                return fail("a control character in a comment");
            } else {
                ++pos_;
            }
        }
        return true;
    }

    // After a statement: blanks, a comment, then a line break or the end of the text.
    bool endOfLine() {
        skipBlanks();
        if (!atEnd() && peek() == '#' && !comment())
            return false;
        if (atEnd())
            return true;
        if (!isLineBreak())
            return fail("expected the end of the line");
        return lineBreak();
    }

    // Blanks, comments and line breaks, as inside an array.
    bool skipBlanksAndLines() {
        for (;;) {
            skipBlanks();
            if (atEnd())
                return true;
            if (peek() == '#') {
                if (!comment())
                    return false;
            } else if (isLineBreak()) {
                if (!lineBreak())
                    return false;
            } else {
                return true;
            }
        }
    }

    // --- keys ---

    bool simpleKey(KeyPart& part) {
        part.offset = pos_;
        if (atEnd())
            return fail("expected a key");
        if (peek() == '"' || peek() == '\'') {
            if (peekAt(1) == peek() && peekAt(2) == peek())
                return fail("a multi-line string cannot be a key");
            return oneLineString(peek(), part.name);
        }
        while (!atEnd() && IsBareKeyChar(peek()))
            part.name += text_[pos_++];
        return !part.name.empty() || fail("expected a key");
    }

    bool key(std::vector<KeyPart>& parts) {
        for (;;) {
            parts.emplace_back();
            if (!simpleKey(parts.back()))
                return false;
            const size_t save = pos_;
            skipBlanks();
            if (atEnd() || peek() != '.') {
                pos_ = save;
                return true;
            }
            ++pos_;
            skipBlanks();
        }
    }

    // --- statements ---

    // "key = value" into `table`; dotted keys define the tables on their way.
    bool keyValue(Node& table) {
        std::vector<KeyPart> parts;
        if (!key(parts))
            return false;
        skipBlanks();
        if (atEnd() || peek() != '=')
            return fail("expected '=' after the key");
        ++pos_;
        skipBlanks();
        Node* at = &table;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            Node* next = at->find(parts[i].name);
            if (!next) {
                if (tooDeep(at->depth + 1))
                    return false;
                next = at->add(parts[i].name, Kind::Table, parts[i].offset);
                next->state = State::Dotted;
            } else if (next->kind != Kind::Table || next->state == State::Header) {
                return failAt(parts[i].offset,
                              next->kind == Kind::Leaf && !next->inlineTable
                                  ? "the key '" + Dotted(parts, i + 1) + "' already holds a value"
                                  : "the table '" + Dotted(parts, i + 1) +
                                        "' was defined elsewhere and cannot be added to here");
            }
            // A table only named on the way to a header becomes defined by these keys.
            next->state = State::Dotted;
            at = next;
        }
        const KeyPart& last = parts.back();
        if (at->find(last.name))
            return failAt(last.offset,
                          "the key '" + Dotted(parts, parts.size()) + "' is defined twice");
        json::Value value;
        bool isInline = false;
        if (!parseValue(value, at->depth + 1, isInline))
            return false;
        Node* leaf = at->add(last.name, Kind::Leaf, value.offset());
        leaf->value = std::move(value);
        leaf->inlineTable = isInline;
        return true;
    }

    // "[a.b]" or "[[a.b]]": makes `current` the table it names.
    bool header(Node& root, Node*& current) {
        const size_t start = pos_;
        const bool array = startsWith("[[");
        pos_ += array ? 2 : 1;
        skipBlanks();
        std::vector<KeyPart> parts;
        if (!key(parts))
            return false;
        skipBlanks();
        if (!startsWith(array ? "]]" : "]"))
            return fail(array ? "expected ']]' to end the table header"
                              : "expected ']' to end the table header");
        pos_ += array ? 2 : 1;

        Node* at = &root;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            Node* next = at->find(parts[i].name);
            if (!next) {
                if (tooDeep(at->depth + 1))
                    return false;
                next = at->add(parts[i].name, Kind::Table, start);
            } else if (next->kind == Kind::TableArray) {
                next = next->elements.back().get();
            } else if (next->kind == Kind::Leaf) {
                return failAt(parts[i].offset, notATable(*next, Dotted(parts, i + 1)));
            }
            at = next;
        }
        const KeyPart& last = parts.back();
        const std::string name = Dotted(parts, parts.size());
        Node* found = at->find(last.name);
        if (array) {
            if (!found) {
                if (tooDeep(at->depth + 2))
                    return false;
                found = at->add(last.name, Kind::TableArray, start);
            } else if (found->kind != Kind::TableArray) {
                return failAt(last.offset,
                              found->kind == Kind::Leaf
                                  ? notATable(*found, name)
                                  : "'" + name + "' is a table, not an array of tables");
            }
            auto element = std::make_unique<Node>();
            element->state = State::Header;
            element->depth = found->depth + 1;
            element->offset = start;
            found->elements.push_back(std::move(element));
            current = found->elements.back().get();
            return true;
        }
        if (!found) {
            if (tooDeep(at->depth + 1))
                return false;
            found = at->add(last.name, Kind::Table, start);
        } else if (found->kind == Kind::Leaf) {
            return failAt(last.offset, notATable(*found, name));
        } else if (found->kind == Kind::TableArray) {
            return failAt(last.offset, "'" + name + "' is an array of tables, not a table");
        } else if (found->state != State::Implicit) {
            return failAt(last.offset, "the table '" + name + "' is defined twice");
        }
        found->state = State::Header;
        found->offset = start;
        current = found;
        return true;
    }

    static std::string notATable(const Node& node, const std::string& name) {
        return node.inlineTable ? "the inline table '" + name + "' cannot be added to"
                                : "the key '" + name + "' already holds a value";
    }

    // --- values ---

    bool parseValue(json::Value& out, int depth, bool& isInline) {
        if (tooDeep(depth))
            return false;
        if (atEnd() || isLineBreak() || peek() == '#')
            return fail("expected a value");
        const size_t start = pos_;
        std::string text;
        switch (peek()) {
            case '"':
            case '\'': {
                const char quote = peek();
                const bool multiLine = peekAt(1) == quote && peekAt(2) == quote;
                if (!(multiLine ? multiLineString(quote, text) : oneLineString(quote, text)))
                    return false;
                out = json::Value::makeString(std::move(text), start);
                return true;
            }
            case '[':
                return array(out, depth);
            case '{':
                isInline = true;
                return inlineTable(out, depth);
            case 't':
            case 'f': {
                const bool truth = peek() == 't';
                const std::string_view word = truth ? "true" : "false";
                if (!startsWith(word))
                    return fail("expected a value");
                pos_ += word.size();
                out = json::Value::makeBool(truth, start);
                return true;
            }
            default:
                if (IsDigit(peek()) && IsDigit(peekAt(1)) &&
                    ((IsDigit(peekAt(2)) && IsDigit(peekAt(3)) && peekAt(4) == '-') ||
                     peekAt(2) == ':'))
                    return dateTime(out);
                return number(out);
        }
    }

    bool array(json::Value& out, int depth) {
        out = json::Value::makeArray(pos_);
        ++pos_;  // '['
        for (;;) {
            if (!skipBlanksAndLines())
                return false;
            if (atEnd())
                return fail("unterminated array");
            if (peek() == ']') {
                ++pos_;
                return true;
            }
            json::Value element;
            bool isInline = false;
            if (!parseValue(element, depth + 1, isInline))
                return false;
            out.append(std::move(element));
            if (!skipBlanksAndLines())
                return false;
            if (atEnd())
                return fail("unterminated array");
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            if (peek() != ']')
                return fail("expected ',' or ']' in an array");
        }
    }

    // On one line; no comma after the last pair; closed once '}' is read.
    bool inlineTable(json::Value& out, int depth) {
        Node table;
        table.depth = depth;
        table.offset = pos_;
        ++pos_;  // '{'
        skipBlanks();
        if (!atEnd() && peek() == '}') {
            ++pos_;
            out = ToJson(table);
            return true;
        }
        for (;;) {
            skipBlanks();
            if (!atEnd() && peek() == '}')
                return fail("a comma before '}' in an inline table");
            if (!keyValue(table))
                return false;
            skipBlanks();
            if (atEnd())
                return fail("unterminated inline table");
            if (peek() == '}') {
                ++pos_;
                out = ToJson(table);
                return true;
            }
            if (peek() != ',')
                return fail(isLineBreak() ? "a line break inside an inline table"
                                          : "expected ',' or '}' in an inline table");
            ++pos_;
        }
    }

    // --- strings ---

    // After a backslash in a basic string.
    bool escape(std::string& out) {
        ++pos_;  // '\'
        if (atEnd())
            return fail("unterminated string");
        const char c = text_[pos_++];
        switch (c) {
            case 'b':
                out += '\b';
                return true;
            case 't':
                out += '\t';
                return true;
            case 'n':
                out += '\n';
                return true;
            case 'f':
                out += '\f';
                return true;
            case 'r':
                out += '\r';
                return true;
            case '"':
                out += '"';
                return true;
            case '\\':
                out += '\\';
                return true;
            case 'u':
            case 'U': {
                const size_t count = c == 'u' ? 4 : 8;
                uint32_t cp = 0;
                const std::string_view digits = text_.substr(pos_, count);
                const auto [end, ec] =
                    std::from_chars(digits.data(), digits.data() + digits.size(), cp, 16);
                if (digits.size() != count || ec != std::errc() || end != digits.data() + count ||
                    digits.find_first_of("+-") != std::string_view::npos) {
                    pos_ -= 2;
                    return fail(c == 'u' ? "expected four hex digits after \\u"
                                         : "expected eight hex digits after \\U");
                }
                if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                    pos_ -= 2;
                    return fail("the escape names no Unicode character");
                }
                pos_ += count;
                text::AppendUtf8(out, cp);
                return true;
            }
            default:
                pos_ -= 2;
                return fail("unknown escape sequence");
        }
    }

    // One character of string content that needs no escape handling.
    bool plainCharacter(std::string& out) {
        const unsigned char c = static_cast<unsigned char>(peek());
        if (c >= 0x80)
            return utf8Character(out);
        if (IsForbiddenControl(c))
            return fail("a control character in a string");
        out += char(c);
        ++pos_;
        return true;
    }

    // "..." (with escapes) or '...' (without), on one line.
    bool oneLineString(char quote, std::string& out) {
        ++pos_;
        for (;;) {
            if (atEnd() || isLineBreak())
                return fail("unterminated string");
            if (peek() == quote) {
                ++pos_;
                return true;
            }
            if (!(quote == '"' && peek() == '\\' ? escape(out) : plainCharacter(out)))
                return false;
        }
    }

    // A run of quotes at pos_ that closes a multi-line string: up to two of them belong to it.
    bool closesMultiLine(char quote, std::string& out) {
        size_t run = 0;
        while (run < 5 && peekAt(run) == quote)
            ++run;
        if (run < 3)
            return false;
        out.append(run - 3, quote);
        pos_ += run;
        return true;
    }

    // A line break inside a multi-line string, kept as "\n".
    bool keptLineBreak(std::string& out) {
        if (!lineBreak())
            return false;
        out += '\n';
        return true;
    }

    // Three double quotes (with escapes) or three single quotes (without): a line break right
    // after the opening quotes is not part of the text.
    bool multiLineString(char quote, std::string& out) {
        pos_ += 3;
        if (isLineBreak() && !lineBreak())
            return false;
        for (;;) {
            if (atEnd())
                return fail("unterminated multi-line string");
            if (peek() == quote && closesMultiLine(quote, out))
                return true;
            if (isLineBreak()) {
                if (!keptLineBreak(out))
                    return false;
            } else if (quote == '"' && peek() == '\\') {
                if (!multiLineEscape(out))
                    return false;
            } else if (!plainCharacter(out)) {
                return false;
            }
        }
    }

    // A backslash that ends its line takes the white space up to the next text away; any other
    // starts an escape.
    bool multiLineEscape(std::string& out) {
        size_t ahead = 1;
        while (peekAt(ahead) == ' ' || peekAt(ahead) == '\t')
            ++ahead;
        const char next = peekAt(ahead);
        if (next != '\n' && next != '\r')
            return escape(out);
        pos_ += ahead;
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || isLineBreak())) {
            if (!isLineBreak())
                ++pos_;
            else if (!lineBreak())
                return false;
        }
        return true;
    }

    // --- numbers ---

    // Digits accepted by `isDigit`, an underscore only between two of them. Appends the digits.
    static bool Digits(std::string_view token, size_t& at, bool (*isDigit)(char),
                       std::string& out) {
        const size_t start = at;
        while (at < token.size()) {
            if (isDigit(token[at])) {
                out += token[at++];
            } else if (token[at] == '_' && at > start && isDigit(token[at - 1]) &&
                       at + 1 < token.size() && isDigit(token[at + 1])) {
                ++at;
            } else {
                break;
            }
        }
        return at > start;
    }

    bool number(json::Value& out) {
        const size_t start = pos_;
        size_t end = pos_;
        while (end < text_.size() &&
               (IsBareKeyChar(text_[end]) || text_[end] == '.' || text_[end] == '+'))
            ++end;
        const std::string_view token = text_.substr(start, end - start);
        if (token.empty())
            return fail("expected a value");
        auto bad = [&](std::string message) { return failAt(start, std::move(message)); };
        pos_ = end;

        std::string_view magnitude = token;
        std::string literal;
        if (token[0] == '+' || token[0] == '-') {
            if (token[0] == '-')
                literal += '-';
            magnitude.remove_prefix(1);
        }
        if (magnitude == "inf" || magnitude == "nan") {
            out = json::Value::makeNumber(literal + std::string(magnitude), start);
            return true;
        }
        if (magnitude.size() > 1 && magnitude[0] == '0' &&
            (magnitude[1] == 'x' || magnitude[1] == 'o' || magnitude[1] == 'b')) {
            if (magnitude.size() != token.size())
                return bad("a hexadecimal, octal or binary integer cannot have a sign");
            const int base = magnitude[1] == 'x' ? 16 : magnitude[1] == 'o' ? 8 : 2;
            bool (*isDigit)(char) = base == 16  ? IsHexDigit
                                    : base == 8 ? IsOctalDigit
                                                : IsBinaryDigit;
            size_t at = 2;
            std::string digits;
            if (!Digits(magnitude, at, isDigit, digits) || at != magnitude.size())
                return bad("not a valid integer");
            uint64_t value = 0;
            const auto [stop, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
            if (ec != std::errc() || value > uint64_t(INT64_MAX))
                return bad("the integer does not fit in 64 bits");
            out = json::Value::makeNumber(std::to_string(value), start);
            return true;
        }
        size_t at = 0;
        std::string whole;
        if (!Digits(magnitude, at, IsDigit, whole))
            return bad("expected a value");
        if (whole.size() > 1 && whole[0] == '0')
            return bad("a number cannot start with a zero");
        literal += whole;
        bool isFloat = false;
        if (at < magnitude.size() && magnitude[at] == '.') {
            ++at;
            literal += '.';
            if (!Digits(magnitude, at, IsDigit, literal))
                return bad("expected digits after the decimal point");
            isFloat = true;
        }
        if (at < magnitude.size() && (magnitude[at] == 'e' || magnitude[at] == 'E')) {
            ++at;
            literal += 'e';
            if (at < magnitude.size() && (magnitude[at] == '+' || magnitude[at] == '-'))
                literal += magnitude[at++];
            if (!Digits(magnitude, at, IsDigit, literal))
                return bad("expected digits in the exponent");
            isFloat = true;
        }
        if (at != magnitude.size())
            return bad("not a valid number");
        if (!isFloat) {
            int64_t value = 0;
            const auto [stop, ec] =
                std::from_chars(literal.data(), literal.data() + literal.size(), value);
            if (ec != std::errc())
                return bad("the integer does not fit in 64 bits");
        }
        out = json::Value::makeNumber(std::move(literal), start);
        return true;
    }

    // --- dates and times ---

    // `count` digits at pos_ as a number; false (nothing consumed) otherwise.
    bool fixedDigits(size_t count, int& value) {
        value = 0;
        for (size_t i = 0; i < count; ++i) {
            const char c = peekAt(i);
            if (!IsDigit(c))
                return false;
            value = value * 10 + (c - '0');
        }
        pos_ += count;
        return true;
    }
    bool expect(char c) {
        if (atEnd() || peek() != c)
            return false;
        ++pos_;
        return true;
    }

    // HH:MM:SS with an optional fraction (not kept).
    bool timeOfDay(int& hour, int& minute, int& second) {
        const size_t start = pos_;
        if (!fixedDigits(2, hour) || !expect(':') || !fixedDigits(2, minute) || !expect(':') ||
            !fixedDigits(2, second))
            return failAt(start, "expected a time as HH:MM:SS");
        if (hour > 23 || minute > 59 || second > 60)
            return failAt(start, "the time does not exist");
        if (!atEnd() && peek() == '.') {
            ++pos_;
            if (atEnd() || !IsDigit(peek()))
                return fail("expected digits after the decimal point");
            while (!atEnd() && IsDigit(peek()))
                ++pos_;
        }
        return true;
    }

    bool dateTime(json::Value& out) {
        const size_t start = pos_;
        int hour = 0, minute = 0, second = 0;
        if (peekAt(2) == ':') {  // a local time
            if (!timeOfDay(hour, minute, second))
                return false;
            out = json::Value::makeString(std::string(text_.substr(start, pos_ - start)), start);
            return true;
        }
        int year = 0, month = 0, day = 0;
        if (!fixedDigits(4, year) || !expect('-') || !fixedDigits(2, month) || !expect('-') ||
            !fixedDigits(2, day))
            return failAt(start, "expected a date as YYYY-MM-DD");
        namespace chrono = std::chrono;
        const chrono::year_month_day date{chrono::year(year), chrono::month(unsigned(month)),
                                          chrono::day(unsigned(day))};
        if (!date.ok())
            return failAt(start, "the date does not exist");
        const char separator = atEnd() ? '\0' : peek();
        const bool timeFollows =
            separator == 'T' || separator == 't' ||
            (separator == ' ' && IsDigit(peekAt(1)) && IsDigit(peekAt(2)) && peekAt(3) == ':');
        if (!timeFollows) {
            out = json::Value::makeString(std::string(text_.substr(start, pos_ - start)), start);
            return true;
        }
        ++pos_;
        if (!timeOfDay(hour, minute, second))
            return false;
        int offsetMinutes = 0;
        if (!atEnd() && (peek() == 'Z' || peek() == 'z')) {
            ++pos_;
        } else if (!atEnd() && (peek() == '+' || peek() == '-')) {
            const int sign = peek() == '-' ? -1 : 1;
            ++pos_;
            int offsetHours = 0, offsetMinute = 0;
            if (!fixedDigits(2, offsetHours) || !expect(':') || !fixedDigits(2, offsetMinute))
                return fail("expected a time zone offset as +HH:MM");
            if (offsetHours > 23 || offsetMinute > 59)
                return fail("the time zone offset does not exist");
            offsetMinutes = sign * (offsetHours * 60 + offsetMinute);
        } else {
            out = json::Value::makeString(std::string(text_.substr(start, pos_ - start)), start);
            return true;
        }
        const int64_t days = chrono::sys_days(date).time_since_epoch().count();
        const int64_t seconds =
            days * 86400 + hour * 3600 + minute * 60 + second - int64_t(offsetMinutes) * 60;
        out = json::Value::makeNumber(std::to_string(seconds), start);
        return true;
    }

    std::string_view text_;
    json::ParseError& error_;
    size_t pos_ = 0;
};

}  // namespace

std::optional<json::Value> ParseToml(std::string_view text, json::ParseError& error) {
    error = json::ParseError{};
    return Parser(text, error).run();
}

bool LooksLikeToml(std::string_view text) {
    json::ParseError ignored;
    return Parser(text, ignored).firstStatementIsToml();
}

}  // namespace shelfmark::toml
