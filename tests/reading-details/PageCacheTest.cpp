// Checksum reads leave the page cache as they found it: pages they brought in are dropped,
// pages that were cached before stay. Residency is asked of the kernel through fincore(1).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "reading/details/Checksums.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

constexpr size_t kFileSize = 8 << 20;

// Resident pages of a file, as fincore counts them; -1 when it cannot tell.
long ResidentPages(const std::filesystem::path& file) {
    const auto result = testing::RunCommand("fincore --noheadings --raw --output PAGES " +
                                            testing::ShellQuote(file.string()));
    return result.exitCode == 0 ? std::strtol(result.out.c_str(), nullptr, 10) : -1;
}

void DropFromCache(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

class PageCacheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing::HaveProgram("fincore"))
            GTEST_SKIP() << "fincore is not installed";
        std::mt19937 random(3);
        std::string data(kFileSize, '\0');
        for (char& c : data)
            c = static_cast<char>(random());
        testing::WriteFile(file_, data);
        DropFromCache(file_);
        if (ResidentPages(file_) != 0)
            GTEST_SKIP() << "this file system keeps its pages in memory";
    }

    testing::TempDir dir_;
    std::filesystem::path file_ = dir_ / "data";
    CancelFlag cancel_;
};

TEST_F(PageCacheTest, PagesBroughtInAreDroppedAgain) {
    EXPECT_NE(Crc32File(file_.string(), cancel_), 0u);
    EXPECT_EQ(ResidentPages(file_), 0);
    EXPECT_TRUE(Md5File(file_.string(), cancel_).has_value());
    EXPECT_EQ(ResidentPages(file_), 0);
}

TEST_F(PageCacheTest, PagesCachedBeforeStay) {
    testing::RunCommand("cat " + testing::ShellQuote(file_.string()) + " > /dev/null");
    const long cached = ResidentPages(file_);
    ASSERT_GT(cached, 0);
    EXPECT_NE(Crc32File(file_.string(), cancel_), 0u);
    EXPECT_EQ(ResidentPages(file_), cached);
}

}  // namespace
}  // namespace shelfmark
