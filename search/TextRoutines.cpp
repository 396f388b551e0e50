#include "search/TextRoutines.h"

namespace shelfmark::search {
namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte length of the character that starts at pos (a malformed byte counts alone).
size_t CharLength(std::string_view text, size_t pos) {
    size_t end = pos + 1;
    while (end < text.size() && IsContinuation(text[end]) && end - pos < 4)
        ++end;
    return end - pos;
}

// Matches a part without "*" at pos; the end of the match, or kNone.
size_t MatchPartAt(std::string_view text, size_t pos, std::string_view part) {
    for (const char p : part) {
        if (pos >= text.size())
            return kNone;
        if (p == '?') {
            pos += CharLength(text, pos);
        } else {
            if (text[pos] != p)
                return kNone;
            ++pos;
        }
    }
    return pos;
}

// The end of the first occurrence of a part without "*" at or after `from`, or kNone.
size_t FindPart(std::string_view text, size_t from, std::string_view part) {
    if (part.empty())
        return from;
    if (part.find('?') == kNone) {
        // Without "?" the part is plain bytes: a byte search, passing over matches that would
        // start inside a character as the general loop below does.
        for (size_t start = text.find(part, from); start != kNone; start = text.find(part, start + 1))
            if (!IsContinuation(text[start]))
                return start + part.size();
        return kNone;
    }
    for (size_t start = from; start < text.size(); ++start) {
        if (IsContinuation(text[start]))
            continue;
        const size_t end = MatchPartAt(text, start, part);
        if (end != kNone)
            return end;
    }
    return kNone;
}

// The number of characters a part without "*" spans.
size_t PartCharacters(std::string_view part) {
    size_t count = 0;
    for (const char c : part)
        count += !IsContinuation(c);
    return count;
}

}  // namespace

bool HasWildcards(std::string_view pattern) {
    return pattern.find_first_of("*?") != kNone;
}

bool WildcardFind(std::string_view text, std::string_view pattern) {
    size_t pos = 0;
    for (size_t star = pattern.find('*'); star != kNone; star = pattern.find('*')) {
        pos = FindPart(text, pos, pattern.substr(0, star));
        if (pos == kNone)
            return false;
        pattern.remove_prefix(star + 1);
    }
    return FindPart(text, pos, pattern) != kNone;
}

bool WildcardFullMatch(std::string_view text, std::string_view pattern) {
    size_t star = pattern.find('*');
    if (star == kNone)
        return MatchPartAt(text, 0, pattern) == text.size();
    size_t pos = MatchPartAt(text, 0, pattern.substr(0, star));
    if (pos == kNone)
        return false;
    pattern.remove_prefix(star + 1);
    for (star = pattern.find('*'); star != kNone; star = pattern.find('*')) {
        pos = FindPart(text, pos, pattern.substr(0, star));
        if (pos == kNone)
            return false;
        pattern.remove_prefix(star + 1);
    }
    // The last part ends where the text ends: step back over as many characters as it spans.
    size_t start = text.size();
    for (size_t n = PartCharacters(pattern); n > 0; --n) {
        if (start <= pos)
            return false;
        do
            --start;
        while (start > pos && IsContinuation(text[start]));
    }
    return MatchPartAt(text, start, pattern) == text.size();
}

bool RunTextRoutine(TextRoutine routine, std::string_view text, std::string_view word) {
    switch (routine) {
        case TextRoutine::Equal:
            return text == word;
        case TextRoutine::Substring:
            return text.find(word) != kNone;
        case TextRoutine::WildcardMatch:
            return WildcardFullMatch(text, word);
        case TextRoutine::WildcardFind:
            return WildcardFind(text, word);
    }
    return false;
}

TextRoutine ExactRoutineFor(std::string_view text) {
    return HasWildcards(text) ? TextRoutine::WildcardMatch : TextRoutine::Equal;
}
TextRoutine FindRoutineFor(std::string_view text) {
    return HasWildcards(text) ? TextRoutine::WildcardFind : TextRoutine::Substring;
}

}  // namespace shelfmark::search
