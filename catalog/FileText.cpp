#include "catalog/FileText.h"

#include <iterator>

#include "foundation/Utf8Text.h"

namespace shelfmark {
namespace {

// Windows-1252 0x80-0x9F; the five unassigned positions map to themselves as C1 controls.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string FileBytesToUtf8(std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii || text::IsValidUtf8(bytes))
        return std::string(bytes);
    return Cp1252ToUtf8(bytes);
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            AppendCodePoint(out, kCp1252High[byte - 0x80]);
        else
            AppendCodePoint(out, byte);
    }
    return out;
}

std::optional<uint8_t> Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return uint8_t(c);
    for (size_t i = 0; i < std::size(kCp1252High); ++i) {
        if (c > 0x9F && kCp1252High[i] == c)
            return uint8_t(0x80 + i);
    }
    return std::nullopt;
}

std::string Utf16LeToUtf8(std::span<const uint8_t> units) {
    std::string out;
    out.reserve(units.size());
    const size_t count = units.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        char32_t c = char32_t(units[2 * i] | units[2 * i + 1] << 8);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const char32_t low = char32_t(units[2 * i + 2] | units[2 * i + 3] << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendCodePoint(out, c);
    }
    return out;
}

}  // namespace shelfmark
