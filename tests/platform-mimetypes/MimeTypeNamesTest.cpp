#include "platform/mimetypes/MimeTypeNames.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::WriteFile;

TEST(MimeComment, FirstCommentWithoutLanguage) {
    EXPECT_EQ(MimeComment("<mime-type><comment xml:lang=\"de\">MP3-Audio</comment>\n"
                          "<comment>MP3 &amp; more</comment><comment>second</comment></mime-type>"),
              "MP3 & more");
    EXPECT_EQ(MimeComment("<comments>x</comments><comment>y</comment>"), "y");
    EXPECT_FALSE(MimeComment("<comment xml:lang=\"fr\">z</comment>"));
    EXPECT_FALSE(MimeComment("<comment>unterminated"));
    EXPECT_FALSE(MimeComment(""));
}

TEST(MimeTypeNames, WeightsCaseAndFolderOrder) {
    testing::TempDir dir;
    const auto user = dir / "user";
    const auto system = dir / "system";
    std::filesystem::create_directories(user / "mime");
    std::filesystem::create_directories(system / "mime" / "audio");
    std::filesystem::create_directories(system / "mime" / "text");
    WriteFile(user / "mime" / "globs2", "# comment\n50:audio/x-mine:*.mine\n");
    WriteFile(system / "mime" / "globs2",
              "80:text/x-high:*.dup\n40:text/x-low:*.dup\n50:audio/x-mine:*.MINE\n"
              "50:text/x-exact:*.C:cs\n50:text/x-lower:*.c\n50:text/x-glob:*.so.[0-9]*\n60:bad line\n");
    WriteFile(system / "mime" / "audio" / "x-mine.xml", "<mime-type><comment>Mine &lt;3</comment></mime-type>");
    WriteFile(system / "mime" / "text" / "x-high.xml", "<comment>High</comment>");
    MimeTypeNames names({user.string(), system.string()});
    EXPECT_EQ(names.typeForExtension(".MiNe"), "audio/x-mine");
    EXPECT_EQ(names.commentForExtension(".mine"), "Mine <3");
    EXPECT_EQ(names.commentForExtension(".dup"), "High");
    EXPECT_EQ(names.typeForExtension(".C"), "text/x-exact");
    EXPECT_EQ(names.typeForExtension(".c"), "text/x-lower");
    EXPECT_EQ(names.typeForExtension(".so"), "");
    EXPECT_EQ(names.commentForExtension(".c"), "");  // no description file
    EXPECT_EQ(names.commentForExtension(".none"), "");
    EXPECT_EQ(names.commentForExtension(""), "");
}

TEST(MimeTypeNames, TheSystemDatabase) {
    if (!std::filesystem::exists("/usr/share/mime/globs2"))
        GTEST_SKIP() << "shared-mime-info is not installed";
    MimeTypeNames names({"/usr/share"});
    EXPECT_EQ(names.typeForExtension(".mp3"), "audio/mpeg");
    EXPECT_EQ(names.commentForExtension(".MP3"), "MP3 audio");
}

}  // namespace
}  // namespace shelfmark
