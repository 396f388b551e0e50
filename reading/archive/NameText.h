// Entry names of archives as UTF-8: code page conversions, RAR's encoded Unicode names and the
// splitting of a stored path into components.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark::archive {

// Longest name kept, in bytes of the stored name (or UTF-16 units of a decoded RAR name). Longer
// names are cut there; the walkers still skip the whole stored field, so the next header is found.
inline constexpr size_t kMaxNameLength = 1024;

// OEM names (MS-DOS code page 437) to UTF-8.
void AppendCp437AsUtf8(std::string& out, std::string_view oem);
// A name stored without a mark of its encoding, which by the formats' rule is OEM text. Many
// writers on Unix and macOS store UTF-8 there instead: a name that is valid UTF-8 and holds a
// multi-byte sequence is taken as UTF-8 (code page 437 text practically never forms one, as its
// lead and continuation bytes would have to alternate between box-drawing and accented letters),
// every other name as code page 437.
void AppendOemNameAsUtf8(std::string& out, std::string_view name);
// ANSI names (Windows-1252) to UTF-8.
void AppendWindows1252AsUtf8(std::string& out, std::string_view ansi);

// Decodes the encoded Unicode name RAR 3 writes after an ANSI name and its zero byte. `field` is
// the whole name field, `ansiLength` the length of the ANSI name before the zero byte. Gives the
// name as UTF-16 little-endian bytes.
std::vector<uint8_t> DecodeRarUnicodeName(std::string_view field, size_t ansiLength);

// Splits a converted name at `separator` into `components`, dropping empty ones. Returns true
// when the name ends with the separator (a directory entry in ZIP).
bool SplitPath(std::string_view name, char separator, std::vector<std::string>& components);

}  // namespace shelfmark::archive
