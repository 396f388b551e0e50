#include "reading/archive/NameText.h"

#include <algorithm>

#include "foundation/Utf8Text.h"

namespace shelfmark::archive {
namespace {

constexpr uint16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// 0x80..0x9F of Windows-1252; the five unassigned bytes map to the C1 controls, as Windows does.
constexpr uint16_t kWindows1252C1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendCodePoint(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::vector<uint8_t> LittleEndianBytes(const std::vector<uint16_t>& units) {
    std::vector<uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (const uint16_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

}  // namespace

void AppendCp437AsUtf8(std::string& out, std::string_view oem) {
    for (const char c : oem) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out.push_back(c);
        else
            AppendCodePoint(out, kCp437High[byte - 0x80]);
    }
}

void AppendOemNameAsUtf8(std::string& out, std::string_view name) {
    const bool multiByte = std::any_of(
        name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (multiByte && text::IsValidUtf8(name))
        out.append(name);
    else
        AppendCp437AsUtf8(out, name);
}

void AppendWindows1252AsUtf8(std::string& out, std::string_view ansi) {
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out.push_back(c);
        else if (byte < 0xA0)
            AppendCodePoint(out, kWindows1252C1[byte - 0x80]);
        else
            AppendCodePoint(out, byte);
    }
}

std::vector<uint8_t> DecodeRarUnicodeName(std::string_view field, size_t ansiLength) {
    std::vector<uint16_t> decoded;
    const auto byteAt = [&](size_t i) { return static_cast<unsigned char>(field[i]); };
    size_t pos = ansiLength + 1;
    if (pos >= field.size())
        return {};
    const uint16_t highByte = static_cast<uint16_t>(byteAt(pos++) << 8);
    unsigned flags = 0;
    int flagBits = 0;
    while (pos < field.size() && decoded.size() < kMaxNameLength) {
        if (flagBits == 0) {
            flags = byteAt(pos++);
            flagBits = 8;
            if (pos >= field.size())
                break;
        }
        switch ((flags >> 6) & 3) {
            case 0:
                decoded.push_back(byteAt(pos++));
                break;
            case 1:
                decoded.push_back(static_cast<uint16_t>(byteAt(pos++) | highByte));
                break;
            case 2:
                if (pos + 1 >= field.size())
                    return LittleEndianBytes(decoded);
                decoded.push_back(static_cast<uint16_t>(byteAt(pos) | (byteAt(pos + 1) << 8)));
                pos += 2;
                break;
            default: {
                const unsigned length = byteAt(pos++);
                unsigned correction = 0;
                const bool corrected = (length & 0x80) != 0;
                if (corrected) {
                    if (pos >= field.size())
                        return LittleEndianBytes(decoded);
                    correction = byteAt(pos++);
                }
                unsigned count = (corrected ? (length & 0x7F) : length) + 2;
                // Copied characters come from the ANSI name at the same positions.
                for (; count > 0 && decoded.size() < kMaxNameLength && decoded.size() < ansiLength;
                     --count) {
                    const unsigned ansi = byteAt(decoded.size());
                    decoded.push_back(
                        corrected ? static_cast<uint16_t>(((ansi + correction) & 0xFF) | highByte)
                                  : static_cast<uint16_t>(ansi));
                }
                break;
            }
        }
        flags <<= 2;
        flagBits -= 2;
    }
    return LittleEndianBytes(decoded);
}

bool SplitPath(std::string_view name, char separator, std::vector<std::string>& components) {
    components.clear();
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = name.find(separator, start);
        const size_t stop = end == std::string_view::npos ? name.size() : end;
        if (stop > start)
            components.emplace_back(name.substr(start, stop - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return !name.empty() && name.back() == separator;
}

}  // namespace shelfmark::archive
