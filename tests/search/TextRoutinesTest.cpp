// The wildcard routines against cases worked out by hand.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "search/TextRoutines.h"

namespace shelfmark::search {
namespace {

TEST(WildcardFind, FindsPartsInOrder) {
    EXPECT_TRUE(WildcardFind("abc", "a*c"));
    EXPECT_TRUE(WildcardFind("xxaxxcxx", "a*c"));
    EXPECT_FALSE(WildcardFind("cxxa", "a*c"));
    EXPECT_TRUE(WildcardFind("anything", "*"));
    EXPECT_TRUE(WildcardFind("", "*"));
    EXPECT_TRUE(WildcardFind("abc", "a*"));
    EXPECT_TRUE(WildcardFind("abc", "*c"));
    EXPECT_FALSE(WildcardFind("ab", "a*b*c"));
    // The first part is taken at its first occurrence; the rest goes on after it.
    EXPECT_TRUE(WildcardFind("ab-ab-c", "ab*c"));
}

TEST(WildcardFind, QuestionMarkIsOneCharacter) {
    EXPECT_TRUE(WildcardFind("abc", "a?c"));
    EXPECT_FALSE(WildcardFind("ac", "a?c"));
    EXPECT_TRUE(WildcardFind("xa-cx", "a?c"));
    EXPECT_FALSE(WildcardFind("ab", "???"));
    // One character, whatever its byte length.
    EXPECT_TRUE(WildcardFind("caf\xC3\xA9s", "caf?s"));
    EXPECT_FALSE(WildcardFind("caf\xC3\xA9s", "caf??s"));
    EXPECT_TRUE(WildcardFind("\xE2\x82\xAC", "?"));
}

TEST(WildcardFullMatch, WholeText) {
    EXPECT_TRUE(WildcardFullMatch("abc", "a*c"));
    EXPECT_FALSE(WildcardFullMatch("abcd", "a*c"));
    EXPECT_FALSE(WildcardFullMatch("xabc", "a*c"));
    EXPECT_TRUE(WildcardFullMatch("ac", "a*c"));
    EXPECT_TRUE(WildcardFullMatch("abc", "???"));
    EXPECT_FALSE(WildcardFullMatch("abcd", "???"));
    EXPECT_FALSE(WildcardFullMatch("ab", "???"));
    EXPECT_TRUE(WildcardFullMatch("abc", "*"));
    EXPECT_TRUE(WildcardFullMatch("", "*"));
    EXPECT_TRUE(WildcardFullMatch("a.b.c", "*.c"));
    EXPECT_TRUE(WildcardFullMatch("song.mp3", "s*.mp?"));
    // The last part is aligned to the end of what the middle parts left.
    EXPECT_TRUE(WildcardFullMatch("abXcdXef", "ab*X*ef"));
    EXPECT_FALSE(WildcardFullMatch("abc", "ab*bc"));  // "bc" would overlap the head
    EXPECT_TRUE(WildcardFullMatch("caf\xC3\xA9", "caf?"));
    EXPECT_TRUE(WildcardFullMatch("\xC3\xA9t\xC3\xA9", "*?t?"));
    EXPECT_FALSE(WildcardFullMatch("t\xC3\xA9", "*?t?"));
}

TEST(TextRoutines, PlainForms) {
    EXPECT_TRUE(RunTextRoutine(TextRoutine::Substring, "readme", ""));
    EXPECT_TRUE(RunTextRoutine(TextRoutine::Substring, "readme", "adm"));
    EXPECT_FALSE(RunTextRoutine(TextRoutine::Equal, "readme", "read"));
    EXPECT_TRUE(RunTextRoutine(TextRoutine::Equal, "readme", "readme"));
    EXPECT_EQ(FindRoutineFor("a*"), TextRoutine::WildcardFind);
    EXPECT_EQ(FindRoutineFor("a?"), TextRoutine::WildcardFind);
    EXPECT_EQ(FindRoutineFor("a"), TextRoutine::Substring);
    EXPECT_EQ(ExactRoutineFor("a?"), TextRoutine::WildcardMatch);
    EXPECT_EQ(ExactRoutineFor("a"), TextRoutine::Equal);
}

// A plain reading of the find routine: every part tried at every character start, "?" taking one
// whole character, the parts taken at their first occurrences in order.
bool IsLead(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}
size_t PlainMatchAt(const std::string& text, size_t pos, const std::string& part) {
    for (const char p : part) {
        if (pos >= text.size())
            return std::string::npos;
        if (p == '?') {
            ++pos;
            while (pos < text.size() && !IsLead(text[pos]))
                ++pos;
        } else if (text[pos++] != p) {
            return std::string::npos;
        }
    }
    return pos;
}
bool PlainFind(const std::string& text, const std::string& pattern) {
    size_t pos = 0;
    size_t partStart = 0;
    while (true) {
        const size_t star = pattern.find('*', partStart);
        const std::string part = pattern.substr(partStart, star == std::string::npos ? std::string::npos : star - partStart);
        size_t found = part.empty() ? pos : std::string::npos;
        for (size_t start = pos; found == std::string::npos && start < text.size(); ++start)
            if (IsLead(text[start]))
                found = PlainMatchAt(text, start, part);
        if (found == std::string::npos)
            return false;
        if (star == std::string::npos)
            return true;
        pos = found;
        partStart = star + 1;
    }
}

TEST(WildcardFind, AgreesWithAPlainReading) {
    // Pieces with two-byte characters and a stray continuation byte, so that byte searches meet
    // matches starting inside a character.
    const char* const pieces[] = {"a", "b", "ab", "\xC3\xA9", "\xA9", "\xC3", "?", "*", "x"};
    std::mt19937 random(5);
    auto make = [&](int most) {
        std::string out;
        for (int n = int(random() % unsigned(most)); n >= 0; --n)
            out += pieces[random() % std::size(pieces)];
        return out;
    };
    for (int i = 0; i < 20000; ++i) {
        std::string text = make(8);
        std::erase_if(text, [](char c) { return c == '*' || c == '?'; });
        const std::string pattern = make(4);
        ASSERT_EQ(WildcardFind(text, pattern), PlainFind(text, pattern)) << text << " / " << pattern;
    }
}

}  // namespace
}  // namespace shelfmark::search
