#include "exchange/XmlReader.h"

#include "exchange/JsonReader.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::xml {

namespace {

bool NameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}
bool NameChar(unsigned char c) {
    return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

class Parser {
  public:
    Parser(std::string_view text, ParseError& error) : text_(text), error_(error) {}

    std::optional<Element> run() {
        if (text_.starts_with("\xEF\xBB\xBF"))
            pos_ = 3;
        if (!misc(true))
            return std::nullopt;
        if (atEnd() || peek() != '<') {
            fail("expected the root element");
            return std::nullopt;
        }
        Element root;
        if (!element(root, 1) || !misc(false))
            return std::nullopt;
        if (!atEnd()) {
            fail("text after the root element");
            return std::nullopt;
        }
        return root;
    }

  private:
    bool fail(std::string message) {
        json::LineColumnOf(text_, pos_, error_.line, error_.column);
        error_.message = std::move(message);
        return false;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }
    bool startsWith(std::string_view what) const { return text_.substr(pos_, what.size()) == what; }
    void skipSpace() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n'))
            ++pos_;
    }
    // Skips past `end`; false when it never comes.
    bool skipPast(std::string_view end, const char* what) {
        const size_t found = text_.find(end, pos_);
        if (found == std::string_view::npos)
            return fail(std::string("unterminated ") + what);
        pos_ = found + end.size();
        return true;
    }

    // White space, comments, processing instructions and (before the root) the DOCTYPE.
    bool misc(bool prolog) {
        for (;;) {
            skipSpace();
            if (startsWith("<!--")) {
                if (!skipPast("-->", "comment"))
                    return false;
            } else if (startsWith("<?")) {
                if (!skipPast("?>", "processing instruction"))
                    return false;
            } else if (prolog && startsWith("<!DOCTYPE")) {
                const size_t end = text_.find('>', pos_);
                if (end == std::string_view::npos)
                    return fail("unterminated DOCTYPE");
                if (text_.substr(pos_, end - pos_).find('[') != std::string_view::npos)
                    return fail("a DOCTYPE with an internal subset is not read");
                pos_ = end + 1;
            } else {
                return true;
            }
        }
    }

    bool name(std::string& out) {
        if (atEnd() || !NameStart(static_cast<unsigned char>(peek())))
            return fail("expected a name");
        const size_t start = pos_;
        while (!atEnd() && NameChar(static_cast<unsigned char>(peek())))
            ++pos_;
        out.assign(text_.substr(start, pos_ - start));
        return true;
    }

    // An entity or character reference at "&", appended to out.
    bool reference(std::string& out) {
        const size_t end = text_.find(';', pos_);
        if (end == std::string_view::npos || end - pos_ > 12)
            return fail("an '&' that starts no entity");
        const std::string_view entity = text_.substr(pos_ + 1, end - pos_ - 1);
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.starts_with('#')) {
            const bool hex = entity.size() > 1 && entity[1] == 'x';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            if (digits.empty())
                return fail("an empty character reference");
            char32_t cp = 0;
            for (const char c : digits) {
                const int digit = HexDigitValue(c);
                if (digit < 0 || (!hex && digit > 9))
                    return fail("a bad digit in a character reference");
                cp = cp * (hex ? 16 : 10) + char32_t(digit);
                if (cp > 0x10FFFF)
                    return fail("a character reference beyond Unicode");
            }
            if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF))
                return fail("a character reference to no character");
            text::AppendUtf8(out, cp);
        } else {
            return fail("unknown entity '&" + std::string(entity) + ";'");
        }
        pos_ = end + 1;
        return true;
    }

    bool attributeValue(std::string& out) {
        if (atEnd() || (peek() != '"' && peek() != '\''))
            return fail("expected a quoted attribute value");
        const char quote = peek();
        ++pos_;
        for (;;) {
            if (atEnd())
                return fail("unterminated attribute value");
            const char c = peek();
            if (c == quote) {
                ++pos_;
                return true;
            }
            if (c == '<')
                return fail("'<' inside an attribute value");
            if (c == '&') {
                if (!reference(out))
                    return false;
                continue;
            }
            out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
            ++pos_;
        }
    }

    bool element(Element& out, int depth) {
        if (depth > kMaxXmlDepth)
            return fail("elements nested deeper than " + std::to_string(kMaxXmlDepth) + " levels");
        out.offset = pos_;
        ++pos_;  // "<"
        if (!name(out.name))
            return false;
        for (;;) {
            const size_t before = pos_;
            skipSpace();
            if (atEnd())
                return fail("unterminated start tag");
            if (startsWith("/>")) {
                pos_ += 2;
                return true;
            }
            if (peek() == '>') {
                ++pos_;
                break;
            }
            if (pos_ == before)
                return fail("expected white space between attributes");
            std::string key, value;
            if (!name(key))
                return false;
            skipSpace();
            if (atEnd() || peek() != '=')
                return fail("expected '=' after an attribute name");
            ++pos_;
            skipSpace();
            if (!attributeValue(value))
                return false;
            if (out.attribute(key))
                return fail("attribute '" + key + "' given twice");
            out.attributes.emplace_back(std::move(key), std::move(value));
        }
        // Content.
        for (;;) {
            if (atEnd())
                return fail("element '" + out.name + "' is not closed");
            const char c = peek();
            if (c == '&') {
                if (!reference(out.text))
                    return false;
            } else if (c != '<') {
                out.text += c;
                ++pos_;
            } else if (startsWith("</")) {
                pos_ += 2;
                std::string closing;
                if (!name(closing))
                    return false;
                if (closing != out.name)
                    return fail("end tag '" + closing + "' does not close '" + out.name + "'");
                skipSpace();
                if (atEnd() || peek() != '>')
                    return fail("expected '>' after the end tag's name");
                ++pos_;
                return true;
            } else if (startsWith("<!--")) {
                if (!skipPast("-->", "comment"))
                    return false;
            } else if (startsWith("<![CDATA[")) {
                const size_t start = pos_ + 9;
                if (!skipPast("]]>", "CDATA section"))
                    return false;
                out.text.append(text_.substr(start, pos_ - 3 - start));
            } else if (startsWith("<?")) {
                if (!skipPast("?>", "processing instruction"))
                    return false;
            } else {
                out.children.emplace_back();
                if (!element(out.children.back(), depth + 1))
                    return false;
            }
        }
    }

    std::string_view text_;
    ParseError& error_;
    size_t pos_ = 0;
};

}  // namespace

std::optional<std::string_view> Element::attribute(std::string_view key) const {
    for (const auto& [name, value] : attributes)
        if (name == key)
            return value;
    return std::nullopt;
}

std::optional<Element> Parse(std::string_view text, ParseError& error) {
    error = ParseError{};
    return Parser(text, error).run();
}

}  // namespace shelfmark::xml
