// The two text routines a search uses on every name: find (the word occurs in the text) and
// exact (the whole text is the word). A word with "*" or "?" is a pattern: "*" stands for any run
// of characters, "?" for one character (one UTF-8 sequence). Without them the routines are
// plain substring search and equality. Texts are compared byte by byte after the caller's
// optional case folding.
#pragma once

#include <string_view>

namespace shelfmark::search {

enum class TextRoutine : unsigned char { Equal, Substring, WildcardMatch, WildcardFind };

bool HasWildcards(std::string_view pattern);

// The pattern occurs in the text. Each part before a "*" is found at its first occurrence and
// the search goes on after it; the last part may occur anywhere in what is left.
bool WildcardFind(std::string_view text, std::string_view pattern);
// The whole text matches the pattern: the first part at the start, the middle parts at their
// first occurrences in order, the last part aligned to the end of what is left.
bool WildcardFullMatch(std::string_view text, std::string_view pattern);

bool RunTextRoutine(TextRoutine routine, std::string_view text, std::string_view word);

// The routines chosen once per search from the whole search text (or once per text condition
// from its value): the wildcard forms when it holds "*" or "?".
TextRoutine ExactRoutineFor(std::string_view text);
TextRoutine FindRoutineFor(std::string_view text);

}  // namespace shelfmark::search
