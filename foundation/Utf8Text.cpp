#include "foundation/Utf8Text.h"

namespace shelfmark::text {

namespace {

#include "foundation/CaseFoldingTable.inc"

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

char32_t FoldCodePoint(char32_t cp) {
    if (cp >= kFoldLimit)
        return cp;
    const unsigned block = kFoldBlockIndex[cp >> kFoldBlockBits];
    return static_cast<char32_t>(static_cast<int>(cp) +
                                 kFoldDelta[block][cp & ((1u << kFoldBlockBits) - 1)]);
}

size_t EncodeUtf8(char32_t cp, unsigned char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<unsigned char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 4;
}

// The bytes of the folded form of a text, one at a time, without building that form. A byte
// that does not start a well-formed sequence stands for itself.
class FoldedBytes {
  public:
    explicit FoldedBytes(std::string_view text, size_t pos = 0) : text_(text), pos_(pos) {}

    bool atEnd() const { return pending_ == count_ && pos_ >= text_.size(); }

    // True between the folded forms of two source code points.
    bool atBorder() const { return pending_ == count_; }

    unsigned char next() {
        if (pending_ < count_)
            return buffer_[pending_++];
        const unsigned char c = static_cast<unsigned char>(text_[pos_]);
        if (c < 0x80) {
            ++pos_;
            return FoldAscii(c);
        }
        char32_t cp;
        const size_t length = DecodeUtf8(text_, pos_, cp);
        if (length == 0) {
            ++pos_;
            return c;
        }
        pos_ += length;
        count_ = EncodeUtf8(FoldCodePoint(cp), buffer_);
        pending_ = 1;
        return buffer_[0];
    }

  private:
    std::string_view text_;
    size_t pos_;
    unsigned char buffer_[4] = {};
    size_t pending_ = 0;
    size_t count_ = 0;
};

// Compares the folded streams; `prefixOnly` stops with "equal" once `b` is used up at a code
// point border of `a`.
int CompareFolded(FoldedBytes a, FoldedBytes b, bool prefixOnly) {
    for (;;) {
        if (b.atEnd())
            return (a.atEnd() || (prefixOnly && a.atBorder())) ? 0 : 1;
        if (a.atEnd())
            return -1;
        const unsigned char ca = a.next();
        const unsigned char cb = b.next();
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& cp) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    size_t length;
    char32_t min;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1Fu, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0Fu, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07u, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i) & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    // ASCII fast path up to the first difference or the first non-ASCII byte.
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    size_t i = 0;
    for (; i < n; ++i) {
        const unsigned char ra = static_cast<unsigned char>(a[i]);
        const unsigned char rb = static_cast<unsigned char>(b[i]);
        if ((ra | rb) >= 0x80)
            break;
        const unsigned char ca = FoldAscii(ra);
        const unsigned char cb = FoldAscii(rb);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i == n && i == a.size() && i == b.size())
        return 0;
    // Sequences are only ever cut at ASCII bytes above, so both rests start at a border.
    return CompareFolded(FoldedBytes(a, i), FoldedBytes(b, i), false);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return CompareNoCase(a, b) == 0;
}

void AppendFolded(std::string& out, std::string_view text) {
    // Most names are ASCII: fold the leading ASCII run in place, then go on code point by code
    // point from the first byte that is not.
    const size_t start = out.size();
    out.resize(start + text.size());
    char* const to = out.data() + start;
    size_t ascii = 0;
    for (; ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80; ++ascii)
        to[ascii] = static_cast<char>(FoldAscii(static_cast<unsigned char>(text[ascii])));
    out.resize(start + ascii);
    FoldedBytes folded(text, ascii);
    while (!folded.atEnd())
        out.push_back(static_cast<char>(folded.next()));
}

std::string FoldCase(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    AppendFolded(folded, text);
    return folded;
}

size_t FindNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty())
        return 0;
    // An ASCII byte folds to one byte, so it can start a match only when that byte is the first
    // byte of the folded needle; that test skips most positions cheaply.
    const unsigned char first = FoldedBytes(needle).next();
    size_t pos = 0;
    while (pos < haystack.size()) {
        const unsigned char c = static_cast<unsigned char>(haystack[pos]);
        if (c < 0x80) {
            if (FoldAscii(c) == first &&
                CompareFolded(FoldedBytes(haystack, pos), FoldedBytes(needle), true) == 0)
                return pos;
            ++pos;
            continue;
        }
        if (CompareFolded(FoldedBytes(haystack, pos), FoldedBytes(needle), true) == 0)
            return pos;
        // Step to the next code point (or past one stray byte).
        char32_t cp;
        const size_t length = DecodeUtf8(haystack, pos, cp);
        pos += length == 0 ? 1 : length;
    }
    return std::string_view::npos;
}

bool IsValidUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp;
        const size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::string LowerExtension(std::string_view pathOrName) {
    const size_t slash = pathOrName.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? pathOrName : pathOrName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : FoldCase(name.substr(dot + 1));
}

namespace {

// Code points a terminal acts on, or that change how the text around them is laid out.
bool IsUnsafeForTerminal(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029 ||
           (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

void AppendEscapedByte(std::string& out, unsigned char byte) {
    static constexpr char kLetters[] = "abtnvfr";  // escapes of 0x07-0x0D
    out += '\\';
    if (byte >= 0x07 && byte <= 0x0D) {
        out += kLetters[byte - 0x07];
        return;
    }
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

}  // namespace

std::string ForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        const size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0 || IsUnsafeForTerminal(cp)) {
            const size_t bytes = length == 0 ? 1 : length;
            for (size_t i = 0; i < bytes; ++i)
                AppendEscapedByte(out, static_cast<unsigned char>(text[pos + i]));
            pos += bytes;
        } else {
            out.append(text, pos, length);
            pos += length;
        }
    }
    return out;
}

}  // namespace shelfmark::text
