// Turning the text bytes of ID3 tags into UTF-8, the program's text form.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace shelfmark {

// ID3 text encodings (the first byte of a text frame's body).
enum class Id3Encoding : uint8_t { Latin1 = 0, Utf16Bom = 1, Utf16BigEndian = 2, Utf8 = 3 };

// ISO-8859-1 bytes up to the first zero byte, as UTF-8.
std::string Latin1ToUtf8(std::span<const uint8_t> bytes);

// UTF-16 code units up to the first zero unit, as UTF-8. `bigEndian` gives the byte order when
// there is no byte-order mark; a leading mark overrides it. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::span<const uint8_t> bytes, bool bigEndian);

// UTF-8 bytes up to the first zero byte; malformed sequences become U+FFFD, so the result is
// always valid UTF-8.
std::string CleanUtf8(std::span<const uint8_t> bytes);

// Where the text starting at `bytes` ends in the given encoding: the offset of its terminator
// (one zero byte, or a zero 16-bit unit at an even offset for UTF-16), or the size when none.
size_t TerminatorOffset(std::span<const uint8_t> bytes, Id3Encoding encoding);
// The length of that terminator (1 or 2 bytes), 0 when the text runs to the end.
size_t TerminatorLength(std::span<const uint8_t> bytes, Id3Encoding encoding);

// Decodes one text in the given encoding (stops at its terminator).
std::string DecodeId3Text(std::span<const uint8_t> bytes, Id3Encoding encoding);

}  // namespace shelfmark
