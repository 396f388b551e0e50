#include "reading/tags/TagText.h"

namespace shelfmark {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The length of the well-formed UTF-8 sequence at `bytes[i]`, or 0 when it is malformed
// (overlong forms, surrogates and values above U+10FFFF included).
size_t Utf8SequenceLength(std::span<const uint8_t> bytes, size_t i) {
    const uint8_t lead = bytes[i];
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    if (bytes[i + 1] < low || bytes[i + 1] > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if ((bytes[i + k] & 0xC0) != 0x80)
            return 0;
    return length;
}

}  // namespace

std::string Latin1ToUtf8(std::span<const uint8_t> bytes) {
    std::string out;
    for (const uint8_t byte : bytes) {
        if (byte == 0)
            break;
        AppendCodePoint(out, byte);
    }
    return out;
}

std::string Utf16ToUtf8(std::span<const uint8_t> bytes, bool bigEndian) {
    size_t i = 0;
    if (bytes.size() >= 2) {
        if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
            bigEndian = false;
            i = 2;
        } else if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
            bigEndian = true;
            i = 2;
        }
    }
    auto unitAt = [&](size_t at) -> char32_t {
        return bigEndian ? (bytes[at] << 8) | bytes[at + 1] : bytes[at] | (bytes[at + 1] << 8);
    };
    std::string out;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t next = unitAt(i + 2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendCodePoint(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
    }
    return out;
}

std::string CleanUtf8(std::span<const uint8_t> bytes) {
    std::string out;
    size_t i = 0;
    while (i < bytes.size() && bytes[i] != 0) {
        const size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0) {
            AppendCodePoint(out, kReplacement);
            ++i;
            continue;
        }
        out.append(reinterpret_cast<const char*>(bytes.data() + i), length);
        i += length;
    }
    return out;
}

size_t TerminatorOffset(std::span<const uint8_t> bytes, Id3Encoding encoding) {
    const bool wide = encoding == Id3Encoding::Utf16Bom || encoding == Id3Encoding::Utf16BigEndian;
    if (!wide) {
        for (size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == 0)
                return i;
        return bytes.size();
    }
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        if (bytes[i] == 0 && bytes[i + 1] == 0)
            return i;
    return bytes.size();
}

size_t TerminatorLength(std::span<const uint8_t> bytes, Id3Encoding encoding) {
    if (TerminatorOffset(bytes, encoding) == bytes.size())
        return 0;
    return encoding == Id3Encoding::Utf16Bom || encoding == Id3Encoding::Utf16BigEndian ? 2 : 1;
}

std::string DecodeId3Text(std::span<const uint8_t> bytes, Id3Encoding encoding) {
    switch (encoding) {
        case Id3Encoding::Latin1:
            return Latin1ToUtf8(bytes);
        case Id3Encoding::Utf16Bom:
            // A text without its mark is taken as little-endian, as most taggers write it.
            return Utf16ToUtf8(bytes, false);
        case Id3Encoding::Utf16BigEndian:
            return Utf16ToUtf8(bytes, true);
        case Id3Encoding::Utf8:
            return CleanUtf8(bytes);
    }
    return {};
}

}  // namespace shelfmark
