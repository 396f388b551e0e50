#include "catalog/XmlOutline.h"

#include <functional>
#include <vector>

#include "catalog/FileText.h"
#include "foundation/AtomicFile.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// The flag bit of the media types written as "CD_DVD": "CD/ DVD", "Removable Disk" and
// "Network Drive", shortcuts to them too.
constexpr uint16_t kCdDvdBit = 0x0008;

// Calls each(c) for every character of the UTF-8 text; a byte that is not well-formed UTF-8 is
// one U+FFFD.
template <typename Each>
void ForEachCharacter(std::string_view text, Each&& each) {
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t c = 0;
        const size_t length = text::DecodeUtf8(text, pos, c);
        each(length ? c : kReplacement);
        pos += length ? length : 1;
    }
}

bool IsNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameCharacter(char32_t c) {
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// Whether XML 1.0 allows the character in a document at all (as itself or as a reference).
bool IsXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

std::string ElementNameOf(const CatalogTree& tree, const CatalogItem& item) {
    if (item.flags() & kCdDvdBit)
        return "CD_DVD";
    return XmlElementName(tree.typeText(&item));
}

// Collects lines and hands them to the sink in pieces of about 64 KB, so an outline of a whole
// catalog is never held in memory at once.
class LineWriter {
  public:
    explicit LineWriter(const std::function<bool(std::string_view)>& sink) : sink_(sink) {}
    void line(int tabs, std::string_view text) {
        buffer_.append(size_t(tabs), '\t');
        buffer_.append(text);
        buffer_.append("\r\n");
        if (buffer_.size() >= kPiece)
            flush();
    }
    void raw(std::string_view text) { buffer_.append(text); }
    // False once the sink refused a piece.
    bool flush() {
        if (ok_ && !buffer_.empty())
            ok_ = sink_(buffer_);
        buffer_.clear();
        return ok_;
    }

  private:
    static constexpr size_t kPiece = 64 * 1024;
    const std::function<bool(std::string_view)>& sink_;
    std::string buffer_;
    bool ok_ = true;
};

// The opening or empty-element line of an item, without indentation and line end.
std::string OpeningLine(const CatalogItem& item, const std::string& element, bool empty,
                        const DateFormat& dates) {
    std::string line = "<" + element + " Name=\"" + XmlAttributeValue(item.name()) +
                       "\" Size=\"" + std::to_string(item.size()) + "\" Date=\"" +
                       XmlAttributeValue(DateText(item.date(), dates)) + "\"";
    line += empty ? "/>" : ">";
    return line;
}

// One chosen item and what is visible below it, depth-first with an explicit stack; `indent`
// tabs go before every line.
void AppendOutline(LineWriter& out, const CatalogTree& tree, const CatalogItem& top,
                   int indent, const DateFormat& dates) {
    struct Open {
        const CatalogItem* item;
        std::string element;
    };
    std::vector<Open> open;
    const CatalogItem* item = &top;
    while (item) {
        const int depth = int(open.size());
        const std::string element = ElementNameOf(tree, *item);
        // Any child at all makes an opening line; only visible ones are written inside it.
        const bool hasChildren = item->firstChildIgnoringLock() != nullptr;
        out.line(indent + depth, OpeningLine(*item, element, !hasChildren, dates));
        const CatalogItem* child =
            hasChildren && depth < kXmlOutlineLevels ? item->firstChild() : nullptr;
        if (child) {
            open.push_back({item, element});
            item = child;
            continue;
        }
        if (hasChildren)
            out.line(indent + depth, "</" + element + ">");
        // Up until a sibling follows; the chosen item's own siblings are not visited.
        while (!open.empty() && !item->next()) {
            item = open.back().item;
            out.line(indent + int(open.size()) - 1, "</" + open.back().element + ">");
            open.pop_back();
        }
        item = open.empty() ? nullptr : item->next();
    }
}

}  // namespace

std::string XmlElementName(std::string_view typeText) {
    std::string name;
    bool first = true;
    ForEachCharacter(typeText, [&](char32_t c) {
        const std::optional<uint8_t> byte = Cp1252Byte(c);
        const bool allowed = first ? IsNameStart(c) : IsNameCharacter(c);
        name += byte && allowed ? char(*byte) : '_';
        first = false;
    });
    return name.empty() ? "_" : name;
}

namespace {

// The text in Windows-1252 bytes with the characters of `escaped` as entities, tab, line feed
// and carriage return as references when `referWhitespace`, and every character the code page
// lacks as &#NNNN;.
std::string XmlText(std::string_view text, std::string_view escaped, bool referWhitespace) {
    std::string value;
    value.reserve(text.size());
    ForEachCharacter(text, [&](char32_t c) {
        if (!IsXmlCharacter(c))
            c = kReplacement;
        if (c < 0x80 && escaped.find(char(c)) != std::string_view::npos) {
            value += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : "&quot;";
            return;
        }
        // A carriage return read back raw would become a line feed.
        const bool whitespace = c == '\t' || c == '\n' || c == '\r';
        if (!(whitespace && (referWhitespace || c == '\r'))) {
            if (const std::optional<uint8_t> byte = Cp1252Byte(c)) {
                value += char(*byte);
                return;
            }
        }
        value += "&#" + std::to_string(uint32_t(c)) + ";";
    });
    return value;
}

}  // namespace

std::string XmlAttributeValue(std::string_view text) {
    return XmlText(text, "&<>\"", true);
}

std::string XmlCharacterData(std::string_view text) {
    return XmlText(text, "&<", false);
}

bool WriteXmlOutlineTo(const CatalogTree& tree, std::span<const CatalogItem* const> items,
                       const std::function<bool(std::string_view)>& sink,
                       const DateFormat& dates) {
    LineWriter out(sink);
    out.raw(kXmlOutlineHead);
    // A document has one root element: several chosen items go inside a common one.
    const bool wrapped = items.size() > 1;
    if (wrapped)
        out.line(0, "<" + std::string(kXmlOutlineWrapper) + ">");
    for (const CatalogItem* item : items)
        AppendOutline(out, tree, *item, wrapped ? 1 : 0, dates);
    if (wrapped)
        out.line(0, "</" + std::string(kXmlOutlineWrapper) + ">");
    return out.flush();
}

std::string XmlOutlineText(const CatalogTree& tree, std::span<const CatalogItem* const> items,
                           const DateFormat& dates) {
    std::string text;
    WriteXmlOutlineTo(
        tree, items,
        [&text](std::string_view piece) {
            text.append(piece);
            return true;
        },
        dates);
    return text;
}

bool WriteXmlOutline(const std::string& path, const CatalogTree& tree,
                     std::span<const CatalogItem* const> items, Prompter& prompter,
                     const DateFormat& dates) {
    AtomicFileWriter writer(path);
    auto sink = [&writer](std::string_view piece) { return writer.write(piece); };
    if (writer.isOpen() && WriteXmlOutlineTo(tree, items, sink, dates) && writer.commit())
        return true;
    prompter.error("Unable to write to " + path +
                   ", it is read-only or opened by someone else.\n" + writer.error());
    return false;
}

}  // namespace shelfmark
