// Building texts from patterns: printf formats as the message texts use them ("%d:%02d",
// "'%s'"), and numbered placeholders ("Save changes to %1?").
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace shelfmark {

// printf into a std::string.
[[gnu::format(printf, 1, 2)]] std::string StringPrintf(const char* format, ...);

// Replaces %1 ... %9 by the corresponding argument (missing arguments give the empty text);
// "%%" stays as it is and any other "%" is copied unchanged.
std::string ReplacePlaceholders(std::string_view pattern, std::initializer_list<std::string_view> args);

// The value of a hexadecimal digit (either case), or -1 for any other character.
int HexDigitValue(char c);

}  // namespace shelfmark
