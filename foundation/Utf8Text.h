// Case-insensitive handling of names: UTF-8 text compared under simple Unicode case folding.
// Bytes that are not valid UTF-8 compare as themselves. These run in every sort and search, so
// ASCII takes a fast path and nothing allocates per comparison.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace shelfmark::text {

// <0, 0 or >0 as `a` sorts before, equal to or after `b` when both are case-folded.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);

// The case-folded form (lower case for ASCII and the cased scripts).
std::string FoldCase(std::string_view text);
void AppendFolded(std::string& out, std::string_view text);

// Position of the first occurrence of `needle` in `haystack` under case folding, or npos.
size_t FindNoCase(std::string_view haystack, std::string_view needle);

// The case-folded text after the last "." of a file name or of a path's last component; empty
// when that has no ".". This is how files are matched to archive kinds and providers.
std::string LowerExtension(std::string_view pathOrName);

// Length of the well-formed UTF-8 sequence at `pos` (overlong forms, surrogates and code points
// above U+10FFFF are not well-formed), or 0; the code point goes to `cp`. `pos` < text.size().
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& cp);

// Appends the UTF-8 form of a code point (at most U+10FFFF; surrogates are the caller's to avoid).
void AppendUtf8(std::string& out, char32_t cp);

// True when `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// `text` made safe to print on a terminal, as `ls -b` shows names: control characters (C0, DEL,
// the C1 range), the characters that reorder or break lines (bidirectional overrides and
// isolates, U+2028, U+2029) and bytes that are not well-formed UTF-8 become C escapes (`\n`,
// `\t`, ... or three octal digits such as `\033`, one per byte); everything else, backslashes
// included, stays as it is. For output meant for people; machine formats (JSON) keep names
// exact.
std::string ForTerminal(std::string_view text);

}  // namespace shelfmark::text
