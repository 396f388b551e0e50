// The wildcard routines against cases worked out by hand.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace shelfmark::search
