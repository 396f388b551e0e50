// shelfmark-cli tags and describe, run as a user runs them.
#include <gtest/gtest.h>

#include <string>

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
    EXPECT_NE(result.out.find("0x4B\t400\n0x4C\t100\n"), std::string::npos) << result.out;
    EXPECT_EQ(RunCommand("identify -format '%m %wx%h' " + ShellQuote(thumbnail)).out, "JPEG 96x24");
}

}  // namespace
}  // namespace shelfmark
#endif
