#include "foundation/Utf8Text.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "tests/support/TestSupport.h"

namespace shelfmark::text {
namespace {

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

TEST(Utf8Text, AsciiComparisonIgnoresCase) {
    EXPECT_EQ(CompareNoCase("Strings", "STRINGS"), 0);
    EXPECT_TRUE(EqualsNoCase("FileInfo", "fileinfo"));
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("abd", "ABC"), 0);
    EXPECT_LT(CompareNoCase("ab", "ABC"), 0);
    EXPECT_GT(CompareNoCase("abc", "AB"), 0);
    EXPECT_EQ(CompareNoCase("", ""), 0);
    // Folding goes to lower case, so "_" (0x5F) sorts before every letter.
    EXPECT_GT(CompareNoCase("Z", "_"), 0);
    EXPECT_GT(CompareNoCase("a", "_"), 0);
    EXPECT_FALSE(EqualsNoCase("a b", "ab"));
}

TEST(Utf8Text, NonAsciiLettersFold) {
    EXPECT_FALSE(EqualsNoCase("ÄÖÜ straße", "äöü STRASSE"));  // simple folding keeps ß
    EXPECT_TRUE(EqualsNoCase("ÄÖÜ Straße", "äöü STRAßE"));
    EXPECT_TRUE(EqualsNoCase("ΣΊΣΥΦΟΣ", "σίσυφοσ"));
    EXPECT_TRUE(EqualsNoCase("ς", "σ"));  // final sigma folds to sigma
    EXPECT_TRUE(EqualsNoCase("МОСКВА", "москва"));
    EXPECT_EQ(FoldCase("Größe ÉTÉ"), "größe été");
    // Appending keeps what was there, across the ASCII run and the rest.
    std::string out = "Keep";
    text::AppendFolded(out, "ABC ÉTÉ Z");
    text::AppendFolded(out, "");
    text::AppendFolded(out, "ONLY ASCII");
    EXPECT_EQ(out, "Keepabc été zonly ascii");
}

TEST(Utf8Text, FoldingThatChangesTheByteLength) {
    // KELVIN SIGN (3 bytes) folds to "k" (1 byte); ANGSTROM SIGN (3 bytes) to "å" (2 bytes).
    EXPECT_TRUE(EqualsNoCase("\xE2\x84\xAA", "K"));
    EXPECT_TRUE(EqualsNoCase("5 \xE2\x84\xAA", "5 k"));
    EXPECT_TRUE(EqualsNoCase("\xE2\x84\xAB", "Å"));
    EXPECT_EQ(FoldCase("\xE2\x84\xAA"), "k");
    EXPECT_EQ(FindNoCase("degrees \xE2\x84\xAA"
                         "elvin",
                         "KELVIN"),
              8u);
}

TEST(Utf8Text, InvalidBytesCompareAsThemselves) {
    // A Windows-1252 "Ä" (0xC4) alone is not UTF-8: it stays 0xC4 and does not equal "ä".
    EXPECT_FALSE(EqualsNoCase("\xC4", "ä"));
    EXPECT_TRUE(EqualsNoCase("A\xC4", "a\xC4"));
    EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4"));
    EXPECT_EQ(FoldCase("X\xFF\xC3Y"), "x\xFF\xC3y");
    // Overlong encodings and surrogates are not decoded.
    EXPECT_EQ(FoldCase("\xC1\x81"), "\xC1\x81");
    EXPECT_EQ(FoldCase("\xED\xA0\x80"), "\xED\xA0\x80");
    // Byte order of the folded forms decides.
    EXPECT_LT(CompareNoCase("\x80", "\xFF"), 0);
    EXPECT_GT(CompareNoCase("\xFF", "z"), 0);
}

TEST(Utf8Text, ComparisonOrdersLikeTheFoldedBytes) {
    const char* samples[] = {"",          "a",  "A",    "ab", "Ä", "ä", "b",    "\xE2\x84\xAA",
                             "k",         "K1", "\xC4", "z",  "Ω", "ω", "\xFF", "x\xC3",
                             "x\xC3\xA9", "é",  "É",    "e"};
    for (const char* a : samples) {
        for (const char* b : samples) {
            const int expected = FoldCase(a).compare(FoldCase(b));
            const int actual = CompareNoCase(a, b);
            EXPECT_EQ(expected < 0, actual < 0) << a << " vs " << b;
            EXPECT_EQ(expected == 0, actual == 0) << a << " vs " << b;
        }
    }
}

TEST(Utf8Text, FindNoCase) {
    EXPECT_EQ(FindNoCase("Hello World", "WORLD"), 6u);
    EXPECT_EQ(FindNoCase("Hello World", ""), 0u);
    EXPECT_EQ(FindNoCase("", "a"), std::string_view::npos);
    EXPECT_EQ(FindNoCase("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(FindNoCase("Grüße aus MÜNCHEN", "münchen"), 12u);
    EXPECT_EQ(FindNoCase("aaab", "AAB"), 1u);
    // A stray lead byte in the needle does not match half of a well-formed sequence.
    EXPECT_EQ(FindNoCase("é", "\xC3"), std::string_view::npos);
    EXPECT_EQ(FindNoCase("x\xC3y", "\xC3Y"), 1u);
}

TEST(Utf8Text, Validity) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("Größe \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC4"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));          // overlong NUL
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xB0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE2\x84"));          // cut short
}

// Python's str.lower() and str.casefold() are an independent source of the Unicode tables.
// Simple folding agrees with casefold() wherever casefold() gives one character; code points the
// Python in use does not know yet (a newer Unicode version in our table) are left out.
TEST(Utf8Text, AgreesWithPythonCasefold) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    const std::string script =
        "import sys, unicodedata\n"
        "for cp in range(0x110000):\n"
        "    if 0xD800 <= cp <= 0xDFFF: continue\n"
        "    c = chr(cp)\n"
        "    if unicodedata.category(c) == 'Cn': continue\n"
        "    f = c.casefold()\n"
        "    if len(f) == 1: print(c.encode().hex(), f.encode().hex())\n";
    const testing::CommandResult result =
        testing::RunCommand("python3 -c " + testing::ShellQuote(script));
    ASSERT_EQ(result.exitCode, 0);
    std::istringstream lines(result.out);
    std::string from, to;
    size_t checked = 0, changed = 0;
    while (lines >> from >> to) {
        ASSERT_EQ(FoldCase(FromHex(from)), FromHex(to)) << "UTF-8 " << from;
        ++checked;
        changed += from != to;
    }
    EXPECT_GT(checked, 100000u);
    EXPECT_GT(changed, 1300u);
}

TEST(Utf8Text, AgreesWithPythonLowerForLatinGreekCyrillic) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    const std::string script =
        "s = ''.join(chr(c) for c in range(0x41, 0x530) if chr(c).isupper() and "
        "len(chr(c).lower()) == 1"
        " and chr(c).lower() == chr(c).casefold())\n"
        "import sys; sys.stdout.buffer.write(s.encode() + b'\\n' + s.lower().encode())\n";
    const testing::CommandResult result =
        testing::RunCommand("python3 -c " + testing::ShellQuote(script));
    ASSERT_EQ(result.exitCode, 0);
    const size_t split = result.out.find('\n');
    ASSERT_NE(split, std::string::npos);
    const std::string upper = result.out.substr(0, split);
    const std::string lower = result.out.substr(split + 1);
    EXPECT_GT(upper.size(), 300u);
    EXPECT_EQ(FoldCase(upper), lower);
    EXPECT_TRUE(EqualsNoCase(upper, lower));
    EXPECT_EQ(FindNoCase("--" + upper, lower), 2u);
}

}  // namespace
}  // namespace shelfmark::text

namespace shelfmark {
namespace {

TEST(LowerExtension, TakesTheLastDotOfTheLastComponentOnly) {
    EXPECT_EQ(text::LowerExtension("Setup.EXE"), "exe");
    EXPECT_EQ(text::LowerExtension("archive.tar.GZ"), "gz");
    EXPECT_EQ(text::LowerExtension("/music/v1.0/README"), "");
    EXPECT_EQ(text::LowerExtension("/music/Lied.ÄÖÜ"), "äöü");
    EXPECT_EQ(text::LowerExtension("trailing."), "");
    EXPECT_EQ(text::LowerExtension(".hidden"), "hidden");
}

}  // namespace
}  // namespace shelfmark
