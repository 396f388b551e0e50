#include "foundation/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(AtomicFile, ReplacesContentAndKeepsPermissions) {
    TempDir dir;
    const std::string path = dir / "target.txt";
    WriteFile(path, "old");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(path, "new content"));
    EXPECT_EQ(ReadFile(path), "new content");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // No temporary file is left beside the target.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(AtomicFile, AbandonedWriteLeavesTargetUntouched) {
    TempDir dir;
    const std::string path = dir / "target.txt";
    WriteFile(path, "precious");
    {
        AtomicFileWriter writer(path);
        ASSERT_TRUE(writer.isOpen());
        writer.write(std::string(3 << 20, 'x'));  // larger than the buffer: reaches the disk
    }
    EXPECT_EQ(ReadFile(path), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(AtomicFile, FailsInMissingDirectory) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically((dir / "missing/target.txt").string(), "x", &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace shelfmark
