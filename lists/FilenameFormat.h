// Filename formats of item-list profiles: a text in which "%" and a digit is a variable (%0 to
// %9) and everything else is literal; a "%" at the very end is literal too. A format is split
// once per list into separator 0, variable 1, separator 1, ..., variable n, separator n, and
// each file's name (or description) is then cut into the variables' pieces:
//
//   "%1 - %2" on "Artist - Title"  ->  %1 "Artist", %2 "Title"
//   "%1 - %2" on "Title only"      ->  %1 "Title only", %2 empty
//   "[%1]%2"  on "Name"            ->  nothing (the text does not begin with "[")
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

struct SplitFormat {
    std::vector<std::string> separators;  // n + 1 literal texts, any of them may be empty
    std::vector<char> variables;          // n digits, in format order
    bool hasVariables() const { return !variables.empty(); }
};

SplitFormat SplitFilenameFormat(std::string_view format);

// Whether every "%" that is not the last character is followed by a digit.
bool FilenameFormatValid(std::string_view format);

// The pieces cut out of `source`, by digit; a variable that appears more than once keeps its
// last piece, one that got none is empty. The views point into `source`.
using FormatPieces = std::array<std::string_view, 10>;
FormatPieces CutFormatPieces(const SplitFormat& format, std::string_view source);

}  // namespace shelfmark
