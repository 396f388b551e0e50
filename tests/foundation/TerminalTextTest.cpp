// Names printed for people: what a terminal would act on is shown as an escape.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "foundation/Utf8Text.h"

namespace shelfmark::text {
namespace {

TEST(TerminalText, ControlCharactersBecomeEscapes) {
    EXPECT_EQ(ForTerminal("plain name.txt"), "plain name.txt");
    EXPECT_EQ(ForTerminal("two\nlines"), "two\\nlines");
    EXPECT_EQ(ForTerminal("tab\there\r"), "tab\\there\\r");
    EXPECT_EQ(ForTerminal("\a\b\v\f"), "\\a\\b\\v\\f");
    EXPECT_EQ(ForTerminal("\x1b]0;owned\x07"), "\\033]0;owned\\a");  // retitles the terminal
    EXPECT_EQ(ForTerminal("\x1b[2J"), "\\033[2J");                  // clears the screen
    EXPECT_EQ(ForTerminal(std::string("nul\0byte", 8)), "nul\\000byte");
    EXPECT_EQ(ForTerminal("del\x7f"), "del\\177");
}

TEST(TerminalText, UnicodeStaysButC1AndBidiControlsAreEscaped) {
    EXPECT_EQ(ForTerminal("Größe – 日本語 🎵"), "Größe – 日本語 🎵");
    EXPECT_EQ(ForTerminal("C:\\Docs\\a.txt"), "C:\\Docs\\a.txt");  // backslashes unchanged
    EXPECT_EQ(ForTerminal("csi\xc2\x9b" "31m"), "csi\\302\\23331m");  // U+009B, the 8-bit CSI
    EXPECT_EQ(ForTerminal("evil\xe2\x80\xaegpj.exe"), "evil\\342\\200\\256gpj.exe");  // U+202E
    EXPECT_EQ(ForTerminal("a\xe2\x80\xa8" "b"), "a\\342\\200\\250b");  // line separator
    EXPECT_EQ(ForTerminal("\xc2\xa0nbsp"), "\xc2\xa0nbsp");  // U+00A0 is printable
}

TEST(TerminalText, BytesThatAreNotUtf8AreEscapedOneByOne) {
    EXPECT_EQ(ForTerminal("bad-\xff\xfe.txt"), "bad-\\377\\376.txt");
    EXPECT_EQ(ForTerminal("cut\xe2\x80"), "cut\\342\\200");  // a truncated sequence
    EXPECT_EQ(ForTerminal("\xc0\xaf"), "\\300\\257");        // an overlong "/"
}

// Whatever the input, the result holds no control byte and is well-formed UTF-8.
TEST(TerminalText, NoControlByteSurvivesRandomInput) {
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        std::string input(random() % 24, '\0');
        for (char& c : input)
            c = static_cast<char>(random() % 4 == 0 ? 0x80 + random() % 64 : random() % 256);
        const std::string shown = ForTerminal(input);
        EXPECT_TRUE(IsValidUtf8(shown)) << shown;
        for (unsigned char c : shown)
            ASSERT_TRUE(c >= 0x20 && c != 0x7F) << "control byte in " << shown;
        EXPECT_EQ(shown.find("\xc2\x9b"), std::string::npos);
    }
}

}  // namespace
}  // namespace shelfmark::text
