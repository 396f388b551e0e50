// Files tagged by real taggers (id3v2 of id3lib, eyeD3) read back as the taggers wrote them.
#include <gtest/gtest.h>

#include <string>

#include "reading/tags/Id3Reader.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

// A few silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz), so the taggers see an MP3.
std::string SilentMp3() {
    std::string frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\x64';
    std::string file;
    for (int i = 0; i < 20; ++i)
        file += frame;
    return file;
}

std::string MakeFile(const TempDir& dir, const std::string& name) {
    const std::string path = (dir / name).string();
    testing::WriteFile(path, SilentMp3());
    return path;
}

TEST(TaggerTools, Id3v2WritesVersion3AndVersion1_1) {
    SHELFMARK_REQUIRE_PROGRAM("id3v2");
    TempDir dir;
    const std::string both = MakeFile(dir, "both.mp3");
    ASSERT_EQ(RunCommand("id3v2 -a Band -t 'Song Title' -A 'An Album' -c 'A comment' -T 3/12 " +
                         ShellQuote(both) + " >/dev/null")
                  .exitCode,
              0);
    auto record = ReadTags(both);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, (TagRecord{"Song Title", "Band", "An Album", "A comment", 3}));

    // Only the version 1 tag left: the same values from the end of the file.
    ASSERT_EQ(RunCommand("id3v2 -s " + ShellQuote(both) + " >/dev/null").exitCode, 0);
    record = ReadTags(both);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, (TagRecord{"Song Title", "Band", "An Album", "A comment", 3}));

    ASSERT_EQ(RunCommand("id3v2 -D " + ShellQuote(both) + " >/dev/null").exitCode, 0);
    EXPECT_FALSE(ReadTags(both));
}

TEST(TaggerTools, EyeD3Version4Latin1AndUtf8) {
    SHELFMARK_REQUIRE_PROGRAM("eyeD3");
    TempDir dir;
    const std::string latin1 = MakeFile(dir, "latin1.mp3");
    const std::string utf8 = MakeFile(dir, "utf8.mp3");
    const std::string tags =
        " -a 'Caf\xC3\xA9 Band' -t 'Tr\xC3\xA4"
        "ck' -A 'Album' -n 9 -c 'Nice' ";
    ASSERT_EQ(RunCommand("eyeD3 --no-config --to-v2.4 --encoding latin1" + tags +
                         ShellQuote(latin1) + " >/dev/null 2>&1")
                  .exitCode,
              0);
    ASSERT_EQ(RunCommand("eyeD3 --no-config --to-v2.4 --encoding utf8" + tags + ShellQuote(utf8) +
                         " >/dev/null 2>&1")
                  .exitCode,
              0);
    const TagRecord expected{
        "Tr\xC3\xA4"
        "ck",
        "Caf\xC3\xA9 Band", "Album", "Nice", 9};

    auto record = ReadTags(latin1);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, expected);

    // UTF-8 frames count only with bMP3Unicode; the tag is there either way.
    record = ReadTags(utf8);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, TagRecord{});
    record = ReadTags(utf8, TagReadOptions{true});
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, expected);
}

TEST(TaggerTools, EyeD3Version3Utf16) {
    SHELFMARK_REQUIRE_PROGRAM("eyeD3");
    TempDir dir;
    const std::string file = MakeFile(dir, "utf16.mp3");
    ASSERT_EQ(RunCommand("eyeD3 --no-config --to-v2.3 --encoding utf16 -a '\xE5\x90\x8D' -t "
                         "'Title \xF0\x9F\x8E\xB5' -n 4 " +
                         ShellQuote(file) + " >/dev/null 2>&1")
                  .exitCode,
              0);
    auto record = ReadTags(file, TagReadOptions{true});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->artist, "\xE5\x90\x8D");
    EXPECT_EQ(record->title, "Title \xF0\x9F\x8E\xB5");
    EXPECT_EQ(record->trackNumber, 4);  // eyeD3 writes track numbers in ISO-8859-1 anyway

    record = ReadTags(file);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "");
}

}  // namespace
}  // namespace shelfmark
