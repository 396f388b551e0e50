// The Video CD test on folders laid out like disc roots, and the free-space test.
#include <gtest/gtest.h>

#include <filesystem>

#include "reading/details/MediaFacts.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

class MediaFactsTest : public ::testing::Test {
  protected:
    std::string rootWith(std::initializer_list<const char*> entries) {
        const auto root = dir_ / std::to_string(next_++);
        std::filesystem::create_directories(root);
        for (const char* entry : entries)
            std::filesystem::create_directory(root / entry);
        return root.string();
    }

    testing::TempDir dir_;
    int next_ = 0;
};

TEST_F(MediaFactsTest, VideoCdNeedsBothFolders) {
    EXPECT_TRUE(IsVideoCd(rootWith({"VCD", "MPEGAV", "CDI"})));
    EXPECT_TRUE(IsVideoCd(rootWith({"SVCD", "MPEG2"})));
    EXPECT_TRUE(IsVideoCd(rootWith({"VCD", "MPEG2"})));
    EXPECT_FALSE(IsVideoCd(rootWith({"VCD"})));
    EXPECT_FALSE(IsVideoCd(rootWith({"MPEGAV"})));
    EXPECT_FALSE(IsVideoCd(rootWith({"VIDEO_TS", "AUDIO_TS"})));
    EXPECT_FALSE(IsVideoCd(rootWith({})));
}

TEST_F(MediaFactsTest, VideoCdNamesMatchInAnyCase) {
    EXPECT_TRUE(IsVideoCd(rootWith({"vcd", "MpegAV"})));
    EXPECT_TRUE(IsVideoCd(rootWith({"svcd", "mpeg2"})));
}

TEST_F(MediaFactsTest, PlainFilesCountAsEntries) {
    const std::string root = rootWith({"VCD"});
    testing::WriteFile(std::filesystem::path(root) / "MPEGAV", "");
    EXPECT_TRUE(IsVideoCd(root));
}

TEST_F(MediaFactsTest, MissingRootIsNoVideoCd) {
    EXPECT_FALSE(IsVideoCd((dir_ / "absent").string()));
}

// /proc has no free blocks on any system; a fresh temporary folder has some.
TEST_F(MediaFactsTest, FreeSpace) {
    EXPECT_TRUE(HasFreeSpace(dir_.path().string()));
    EXPECT_FALSE(HasFreeSpace("/proc"));
    EXPECT_FALSE(HasFreeSpace((dir_ / "absent").string()));
}

}  // namespace
}  // namespace shelfmark
