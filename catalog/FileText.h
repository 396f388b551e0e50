// Text conversions for the database file: names and texts are stored as UTF-8, but files from
// older versions hold Windows-1252 bytes or the wide UTF-16 form.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace shelfmark {

// The bytes as UTF-8: unchanged when they already are valid UTF-8, otherwise read as
// Windows-1252 (the ANSI code page of the files' origin).
std::string FileBytesToUtf8(std::string_view bytes);
// Every byte read as Windows-1252, valid UTF-8 or not (text that says it is in that code page).
std::string Cp1252ToUtf8(std::string_view bytes);
// The Windows-1252 byte of a character; nothing for a character the code page lacks, the C1
// controls in the five positions it leaves unassigned included.
std::optional<uint8_t> Cp1252Byte(char32_t c);
// UTF-16 little-endian code units (2 bytes each) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::span<const uint8_t> units);

}  // namespace shelfmark
