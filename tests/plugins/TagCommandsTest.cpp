// shelfmark-cli tags and describe, run as a user runs them.
#include <gtest/gtest.h>

#include <string>

#include "reading/tags/TagOptions.h"
#include "tests/support/TestSupport.h"

#ifdef SHELFMARK_CLI
namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

std::string Cli(const std::string& arguments) {
    return std::string("SHELFMARK_PLUGIN_PATH=") + ShellQuote(SHELFMARK_PLUGIN_BUILD_DIR) + " " +
           ShellQuote(SHELFMARK_CLI) + " " + arguments;
}

TEST(TagCommands, TagsPrintsTheFieldsAndTheDescription) {
    SHELFMARK_REQUIRE_PROGRAM("id3v2");
    testing::ScopedConfigHome home;
    testing::TempDir dir;
    const std::string song = (dir / "song.mp3").string();
    testing::WriteFile(song, std::string(1000, '\0'));
    ASSERT_EQ(RunCommand("id3v2 -a Band -t Song -A Album -T 2/9 " + ShellQuote(song)).exitCode, 0);
    const auto result = RunCommand(Cli("tags " + ShellQuote(song)));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Title: Song\nArtist: Band\nAlbum: Album\n"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Track: 2\nDescription: Band - Song\n"), std::string::npos)
        << result.out;

    const std::string plain = (dir / "plain.mp3").string();
    testing::WriteFile(plain, std::string(1000, 'x'));
    const auto failed = RunCommand(Cli("tags " + ShellQuote(plain) + " 2>&1"));
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.out.find("shelfmark-cli: no ID3 tag in"), std::string::npos) << failed.out;
    EXPECT_EQ(RunCommand(Cli("tags 2>/dev/null")).exitCode, 2);
}

TEST(TagCommands, DescribeWritesAThumbnail) {
    SHELFMARK_REQUIRE_PROGRAM("convert");
    SHELFMARK_REQUIRE_PROGRAM("identify");
    testing::ScopedConfigHome home;
    testing::TempDir dir;
    const std::string picture = (dir / "wide.webp").string();
    ASSERT_EQ(RunCommand("convert -size 400x100 xc:navy " + ShellQuote(picture)).exitCode, 0);
    const std::string thumbnail = (dir / "thumb.jpg").string();
    const auto result = RunCommand(Cli("describe --size 96 --thumbnail-out " +
                                       ShellQuote(thumbnail) + " " + ShellQuote(picture)));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Width: 400\nHeight: 100\nBit depth: "), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("0x4"), std::string::npos) << result.out;
    EXPECT_EQ(RunCommand("identify -format '%m %wx%h' " + ShellQuote(thumbnail)).out, "JPEG 96x24");
}

// Today's taggers write UTF-8 and UTF-16 frames: a first run reads them, and so does a profile
// made on that run; --latin1 and a stored bMP3Unicode=0 keep to ISO-8859-1 frames.
TEST(TagCommands, UnicodeFramesAreReadUnlessAskedNotTo) {
    SHELFMARK_REQUIRE_PROGRAM("eyeD3");
    testing::ScopedConfigHome home;
    testing::TempDir dir;
    const std::string song = (dir / "song.mp3").string();
    // Silent MPEG-1 layer III frames, so that eyeD3 sees an MP3.
    std::string frame(417, '\0');
    frame.replace(0, 4, "\xFF\xFB\x90\x64");
    std::string frames;
    for (int i = 0; i < 20; ++i)
        frames += frame;
    testing::WriteFile(song, frames);
    ASSERT_EQ(RunCommand("eyeD3 --no-config --to-v2.4 --encoding utf16 -a 'Caf\xC3\xA9' -t "
                         "'T\xC3\xADtulo' " +
                         ShellQuote(song) + " >/dev/null 2>&1")
                  .exitCode,
              0);
    const std::string unicode = "Title: T\xC3\xADtulo\nArtist: Caf\xC3\xA9\n";
    EXPECT_NE(RunCommand(Cli("tags " + ShellQuote(song))).out.find(unicode), std::string::npos);
    EXPECT_NE(RunCommand(Cli("tags --unicode " + ShellQuote(song))).out.find(unicode),
              std::string::npos);
    const auto latin1 = RunCommand(Cli("tags --latin1 " + ShellQuote(song)));
    EXPECT_EQ(latin1.exitCode, 0);
    EXPECT_NE(latin1.out.find("Title: \nArtist: \n"), std::string::npos) << latin1.out;

    // What a read stores goes by the profile: on by default, off when stored so.
    const std::string profile = (home.configDir() / "ReadDiskDlg.tkp").string();
    EXPECT_TRUE(LoadTagReadOptions(profile).bMP3Unicode);
    testing::WriteFile(profile, "[Default]\nbMP3Unicode=0\n");
    EXPECT_FALSE(LoadTagReadOptions(profile).bMP3Unicode);
    testing::WriteFile(profile, "[Default]\nbMP3Unicode=1\n");
    EXPECT_TRUE(LoadTagReadOptions(profile).bMP3Unicode);
}

TEST(TagCommands, DescribeNamesTheBuiltInProviderAndMendsVersionTexts) {
    testing::ScopedConfigHome home;
    const std::string exe = (testing::SourceDir() / "tests/data/pe/bare-version-x64.exe").string();
    const auto result = RunCommand(Cli("describe " + ShellQuote(exe)));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("(built-in)\nDescription: v1.2.3.4\n"), std::string::npos)
        << result.out;
}

}  // namespace
}  // namespace shelfmark
#endif
