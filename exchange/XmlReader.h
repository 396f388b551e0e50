// A small XML reader for catalog files other programs write (CdCat's .hcf): elements,
// attributes and text, the five named entities and character references. The prolog (XML
// declaration, DOCTYPE without an internal subset), comments, processing instructions and
// CDATA sections are understood; there is no DTD processing and no namespace handling.
// Well-formedness is checked: one root element, matching end tags, quoted attributes, no
// repeated attribute, no "<" or unknown entity in text. Attribute values are normalised as XML
// says (tab, CR and LF become spaces). Nesting is limited to kMaxXmlDepth levels.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shelfmark::xml {

inline constexpr int kMaxXmlDepth = 256;

struct Element {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;  // every text node directly inside, joined
    std::vector<Element> children;
    size_t offset = 0;  // of the "<"

    // The attribute's value, or nothing.
    std::optional<std::string_view> attribute(std::string_view key) const;
};

struct ParseError {
    size_t line = 1;
    size_t column = 1;
    std::string message;
};

// The root element; nothing with `error` filled when the text is not well-formed.
std::optional<Element> Parse(std::string_view text, ParseError& error);

}  // namespace shelfmark::xml
