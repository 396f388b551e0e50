#include "platform/mimetypes/MimeTypeNames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

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

TEST(MimeTypeNames, ManyListsAskAtOnce) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir / "mime" / "audio");
    WriteFile(dir / "mime" / "globs2", "50:audio/x-a:*.a\n50:audio/x-b:*.b\n");
    WriteFile(dir / "mime" / "audio" / "x-a.xml", "<comment>A sound</comment>");
    WriteFile(dir / "mime" / "audio" / "x-b.xml", "<comment>B sound</comment>");
    MimeTypeNames names({dir.path().string()});
    std::vector<std::thread> workers;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&names, &wrong, t] {
            for (int i = 0; i < 500; ++i) {
                const bool a = (i + t) % 2 == 0;
                if (names.commentForExtension(a ? ".A" : ".b") != (a ? "A sound" : "B sound"))
                    ++wrong;
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(wrong.load(), 0);
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
