#include "foundation/AtomicFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <vector>

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

// The names in a folder.
std::set<std::string> Names(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    return names;
}

// The process number of a process that has ended.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicFile, SaveKilledHalfWayIsCleanedUpByTheNextSave) {
    TempDir dir;
    const std::string path = dir / "c.tkd";
    WriteFile(path, "old");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        AtomicFileWriter file(path);
        file.write(std::string(3 << 20, 'x'));
        (void)!::write(ready[1], "w", 1);
        pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    // While the writer lives, its temporary file is left alone by another save.
    ASSERT_TRUE(WriteFileAtomically(path, "second"));
    EXPECT_EQ(Names(dir).size(), 2u);
    EXPECT_EQ(RemoveStaleTemporaryFiles(path), 0);
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    ASSERT_EQ(Names(dir).size(), 2u);
    ASSERT_TRUE(WriteFileAtomically(path, "third"));
    EXPECT_EQ(Names(dir), std::set<std::string>{"c.tkd"});
    EXPECT_EQ(ReadFile(path), "third");
}

TEST(AtomicFile, OnlyAbandonedTemporaryFilesAreRemoved) {
    TempDir dir;
    const std::string path = dir / "c.tkd";
    const std::string dead = std::to_string(EndedProcess());
    const std::string live = std::to_string(getpid());
    // An abandoned one, one of a running process, one of an ended process that is still held
    // open with a lock (a process on another machine sharing the folder), files of older
    // versions (old and fresh), and files that are not ours at all.
    for (const std::string& name : std::vector<std::string>{
             "c.tkd.tmp-" + dead + "-aB3dE9", "c.tkd.tmp-" + live + "-aB3dE9",
          "c.tkd.tmp-" + dead + "-Locked", "c.tkd.tmp-Old123", "c.tkd.tmp-New123",
          "c.tkd.tmp-notes.txt", "other.tkd.tmp-" + dead + "-aB3dE9"})
        WriteFile(dir / name, "partial");
    const timespec hoursAgo[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "c.tkd.tmp-Old123").c_str(), hoursAgo, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "c.tkd.tmp-notes.txt").c_str(), hoursAgo, 0), 0);
    const int held = open((dir / ("c.tkd.tmp-" + dead + "-Locked")).c_str(), O_RDWR);
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    ASSERT_EQ(fcntl(held, F_OFD_SETLK, &range), 0);

    EXPECT_EQ(RemoveStaleTemporaryFiles(path), 2);
    EXPECT_EQ(Names(dir),
              (std::set<std::string>{"c.tkd.tmp-" + live + "-aB3dE9",
                                     "c.tkd.tmp-" + dead + "-Locked", "c.tkd.tmp-New123",
                                     "c.tkd.tmp-notes.txt", "other.tkd.tmp-" + dead + "-aB3dE9"}));
    close(held);
}

TEST(AtomicFile, CreateNeverReplacesAndReportsTheNewFile) {
    TempDir dir;
    const std::string path = dir / "c.tkd";
    WriteFile(path, "theirs");
    {
        AtomicFileWriter second(path);
        ASSERT_TRUE(second.write("mine"));
        EXPECT_FALSE(second.commit(AtomicFileWriter::Replace::Never));
        EXPECT_TRUE(second.targetExisted());
        EXPECT_EQ(second.error(), "cannot create '" + path + "': File exists");
    }
    EXPECT_EQ(ReadFile(path), "theirs");

    const std::string fresh = dir / "fresh.tkd";
    AtomicFileWriter first(fresh);
    ASSERT_TRUE(first.write("mine"));
    ASSERT_TRUE(first.commit(AtomicFileWriter::Replace::Never));
    EXPECT_EQ(ReadFile(fresh), "mine");
    // The stamp is the file now at the path: same inode, size and time.
    EXPECT_EQ(first.committedStamp(), StampOfFile(fresh));
    EXPECT_EQ(Names(dir), (std::set<std::string>{"c.tkd", "fresh.tkd"}));
}

TEST(AtomicFile, FailuresNameTheFile) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir / "missing/t.txt", "x", &error));
    EXPECT_EQ(error, "cannot create a temporary file in '" + (dir / "missing").string() +
                         "' for '" + (dir / "missing/t.txt").string() +
                         "': No such file or directory");
    std::filesystem::create_directory(dir / "d");
    EXPECT_FALSE(WriteFileAtomically(dir / "d", "x", &error));
    EXPECT_EQ(error, "cannot replace '" + (dir / "d").string() + "': Is a directory");
}

}  // namespace
}  // namespace shelfmark
