#include "platform/walk/DirectoryWalker.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

// One line per entry, "d path" for directories and "f path size mtime" for files and links
// ("l ..."), with paths relative to the root; the same shape the find listing below produces.
using Listing = std::set<std::string>;

class RecordingVisitor : public WalkVisitor {
  public:
    explicit RecordingVisitor(const DirectoryWalker& walker, std::string root)
        : walker_(walker), root_(std::move(root)) {}

    bool stopRequested() override { return stopAfter_ >= 0 && seen_ >= stopAfter_; }
    bool enterDirectory(const WalkEntry& directory, int depth) override {
        ++seen_;
        if (depth > 0)
            listing.insert("d " + relative(walker_.currentDirectory()));
        depths.push_back(depth);
        (void)directory;
        return true;
    }
    void leaveDirectory(int depth) override { left.push_back(depth); }
    void file(const WalkEntry& file, int) override {
        ++seen_;
        const char kind = file.kind == WalkEntryKind::Symlink ? 'l' : 'f';
        listing.insert(std::string(1, kind) + " " + relative(walker_.pathOf(file.name)) + " " +
                       std::to_string(file.size) + " " + std::to_string(file.modified));
    }
    void problem(WalkProblem problem, const std::string& path) override {
        problems.push_back((problem == WalkProblem::TooDeep ? "deep " : "enter ") + relative(path));
    }
    void stopAfter(int entries) { stopAfter_ = entries; }

    Listing listing;
    std::vector<std::string> problems;
    std::vector<int> depths;
    std::vector<int> left;

  private:
    std::string relative(const std::string& path) const { return path.substr(root_.size() + 1); }

    const DirectoryWalker& walker_;
    std::string root_;
    int stopAfter_ = -1;
    int seen_ = 0;
};

// The independent truth: find's listing of the same tree, without crossing into other file
// systems, cut at `maxDepth` for directories (files one level further down are still listed).
Listing FindListing(const fs::path& root, int maxDepth = 40) {
    const std::string command =
        "find " + ShellQuote(root.string()) + " -mindepth 1 -maxdepth " +
        std::to_string(maxDepth + 1) +
        " -xdev \\( -type f -o -type l -o -type d \\) -printf '%y %d %s %T@ %P\\0'";
    const testing::CommandResult result = RunCommand(command);
    EXPECT_EQ(result.exitCode, 0);
    Listing listing;
    std::istringstream in(result.out);
    std::string record;
    while (std::getline(in, record, '\0')) {
        std::istringstream fields(record);
        std::string kind, depth, size, time;
        fields >> kind >> depth >> size >> time;
        std::string path;
        std::getline(fields, path);
        path = path.substr(1);
        if (kind == "d") {
            if (std::stoi(depth) <= maxDepth)
                listing.insert("d " + path);
            continue;
        }
        // %T@ prints seconds with a fraction; the whole seconds are what the walk reports.
        const long long seconds = std::stoll(time.substr(0, time.find('.')));
        listing.insert(kind + " " + path + " " + size + " " + std::to_string(seconds));
    }
    return listing;
}

void SetTime(const fs::path& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

struct WalkRun {
    WalkResult result;
    Listing listing;
    std::vector<std::string> problems;
};

WalkRun Walk(const fs::path& root, int maxLevels = 40) {
    DirectoryWalker walker(maxLevels);
    RecordingVisitor visitor(walker, root.string());
    const WalkResult result = walker.walk(root.string(), visitor);
    return {result, visitor.listing, visitor.problems};
}

TEST(DirectoryWalker, MatchesFindOnAMixedTree) {
    TempDir dir;
    const fs::path root = dir / "root";
    fs::create_directories(root / "Docs" / "Old");
    fs::create_directories(root / "empty");
    testing::WriteFile(root / "a.txt", "hello");
    testing::WriteFile(root / "Docs" / "b.bin", std::string(70000, 'x'));
    testing::WriteFile(root / "Docs" / "Old" / "c", "");
    testing::WriteFile(root / "name with blanks.txt", "12");
    SetTime(root / "a.txt", 946684800);                // 2000-01-01
    SetTime(root / "Docs" / "b.bin", -86400);          // before 1970
    SetTime(root / "Docs" / "Old" / "c", 4102444800);  // 2100, beyond 32-bit times

    const WalkRun run = Walk(root);
    EXPECT_EQ(run.result, WalkResult::Completed);
    EXPECT_EQ(run.listing, FindListing(root));
    EXPECT_TRUE(run.problems.empty());
    EXPECT_EQ(run.listing.count("f Docs/Old/c 0 4102444800"), 1u);
    EXPECT_EQ(run.listing.count("f Docs/b.bin 70000 -86400"), 1u);
}

TEST(DirectoryWalker, CallsEnterAndLeaveInPairsAndKeepsTheCurrentDirectory) {
    TempDir dir;
    fs::create_directories(dir / "r" / "x" / "y");
    fs::create_directories(dir / "r" / "z");
    char before[PATH_MAX];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);

    DirectoryWalker walker;
    RecordingVisitor visitor(walker, (dir / "r").string());
    EXPECT_EQ(walker.walk((dir / "r").string(), visitor), WalkResult::Completed);
    EXPECT_EQ(visitor.depths.size(), 4u);
    EXPECT_EQ(visitor.left.size(), 4u);
    EXPECT_EQ(visitor.depths.front(), 0);
    EXPECT_EQ(visitor.left.back(), 0);

    char after[PATH_MAX];
    ASSERT_NE(::getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
}

TEST(DirectoryWalker, StoresSymbolicLinksAsEntriesAndNeverFollowsThem) {
    TempDir dir;
    const fs::path root = dir / "root";
    fs::create_directories(root / "target");
    testing::WriteFile(root / "target" / "inside.txt", "abc");
    fs::create_symlink("target", root / "to-dir");
    fs::create_symlink("target/inside.txt", root / "to-file");
    fs::create_symlink("nowhere/at/all", root / "dangling");
    fs::create_symlink("loop-b", root / "loop-a");
    fs::create_symlink("loop-a", root / "loop-b");
    fs::create_symlink(".", root / "target" / "self");
    SetTime(root / "to-dir", 1000000000);

    const WalkRun run = Walk(root);
    EXPECT_EQ(run.listing, FindListing(root));
    EXPECT_EQ(run.listing.count("l to-dir 6 1000000000"), 1u);
    size_t links = 0;
    for (const std::string& line : run.listing)
        links += line[0] == 'l';
    EXPECT_EQ(links, 6u);
    for (const std::string& line : run.listing)
        EXPECT_EQ(line.find("to-dir/"), std::string::npos) << line;
}

TEST(DirectoryWalker, LeavesOutSocketsFifosAndDevices) {
    TempDir dir;
    const fs::path root = dir / "root";
    fs::create_directories(root);
    testing::WriteFile(root / "plain", "1");
    ASSERT_EQ(::mkfifo((root / "fifo").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (root / "sock").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const bool haveDevice = ::mknod((root / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;

    const WalkRun run = Walk(root);
    ::close(sock);
    ASSERT_EQ(run.listing.size(), 1u);
    EXPECT_EQ(run.listing.begin()->substr(0, 10), "f plain 1 ");
    EXPECT_EQ(run.listing, FindListing(root));
    if (!haveDevice)
        GTEST_LOG_(INFO) << "device node not made (needs root); sockets and FIFOs checked";
}

TEST(DirectoryWalker, KeepsNamesThatAreNotUtf8ByteForByte) {
    TempDir dir;
    const fs::path root = dir / "root";
    fs::create_directories(root / "dir\xC3\x28");
    testing::WriteFile(root / "bad\xFF\xFE.txt", "xyz");
    testing::WriteFile(root / "dir\xC3\x28" / "caf\xE9", "1");

    const WalkRun run = Walk(root);
    EXPECT_EQ(run.listing, FindListing(root));
    EXPECT_EQ(run.listing.count("d dir\xC3\x28"), 1u);
}

TEST(DirectoryWalker, SkipsLevelsBelowTheDeepestAndReportsItOnce) {
    TempDir dir;
    const fs::path root = dir / "root";
    fs::path deep = root;
    for (int level = 1; level <= 45; ++level) {
        deep /= "d" + std::to_string(level);
        fs::create_directories(deep);
        testing::WriteFile(deep / "f", std::to_string(level));
    }
    fs::create_directories(root / "d1" / "side" / "a" / "b");

    const WalkRun run = Walk(root, 40);
    EXPECT_EQ(run.listing, FindListing(root, 39));
    ASSERT_EQ(run.problems.size(), 1u);
    EXPECT_EQ(run.problems[0].substr(0, 5), "deep ");
    // Level 39 is the deepest entered: its files are there, its sub-directory is not.
    std::string level39;
    for (int level = 1; level <= 39; ++level)
        level39 += (level > 1 ? "/d" : "d") + std::to_string(level);
    EXPECT_EQ(run.listing.count("d " + level39), 1u);
    EXPECT_EQ(run.listing.count("d " + level39 + "/d40"), 0u);
}

TEST(DirectoryWalker, ReportsSparseFilesAboveFourGibibytes) {
    TempDir dir;
    const fs::path root = dir / "root";
    fs::create_directories(root);
    const uint64_t size = (5ull << 30) + 7;
    const int fd = ::open((root / "sparse.img").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    ::close(fd);

    const WalkRun run = Walk(root);
    EXPECT_EQ(run.listing, FindListing(root));
    ASSERT_EQ(run.listing.size(), 1u);
    const std::string expected = "f sparse.img " + std::to_string(size) + " ";
    EXPECT_EQ(run.listing.begin()->substr(0, expected.size()), expected);
}

TEST(DirectoryWalker, StopsAtTheNextEntryOnceAsked) {
    TempDir dir;
    const fs::path root = dir / "root";
    fs::create_directories(root);
    for (int i = 0; i < 50; ++i)
        testing::WriteFile(root / ("f" + std::to_string(i)), "x");

    DirectoryWalker walker;
    RecordingVisitor visitor(walker, root.string());
    visitor.stopAfter(10);  // the root counts as one
    EXPECT_EQ(walker.walk(root.string(), visitor), WalkResult::Stopped);
    EXPECT_EQ(visitor.listing.size(), 9u);
    EXPECT_TRUE(visitor.left.empty());
}

TEST(DirectoryWalker, ReportsARootThatCannotBeOpened) {
    TempDir dir;
    EXPECT_EQ(Walk(dir / "missing").result, WalkResult::RootNotReadable);
    testing::WriteFile(dir / "file", "x");
    EXPECT_EQ(Walk(dir / "file").result, WalkResult::RootNotReadable);
}

TEST(DirectoryWalker, DoesNotEnterMountPointsBelowTheRoot) {
    TempDir dir;
    const fs::path root = dir / "root";
    fs::create_directories(root / "mnt");
    fs::create_directories(root / "bound");
    fs::create_directories(root / "source" / "deeper");
    testing::WriteFile(root / "outer.txt", "o");
    if (::mount("none", (root / "mnt").c_str(), "tmpfs", 0, nullptr) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs privileges)";
    testing::WriteFile(root / "mnt" / "inner.txt", "i");
    // A bind mount of a directory of the same file system is a mount point too.
    const bool bound = ::mount((root / "source").c_str(), (root / "bound").c_str(), nullptr,
                               MS_BIND, nullptr) == 0;

    const WalkRun run = Walk(root);
    ::umount((root / "mnt").c_str());
    if (bound)
        ::umount((root / "bound").c_str());
    EXPECT_EQ(run.listing.count("d mnt"), 0u);
    EXPECT_EQ(run.listing.count("f mnt/inner.txt 1 0"), 0u);
    for (const std::string& line : run.listing) {
        EXPECT_EQ(line.find("mnt"), std::string::npos) << line;
        if (bound) {
            EXPECT_EQ(line.find("bound"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(run.listing.count("d source/deeper"), 1u);
}

// Runs the walk as an unprivileged user, so that permissions count even when the tests run
// as root; the listing comes back through a pipe.
WalkRun WalkUnprivileged(const fs::path& root) {
    if (::geteuid() != 0)
        return Walk(root);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {WalkResult::RootNotReadable, {}, {}};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const WalkRun run = Walk(root);
        std::string out = std::to_string(static_cast<int>(run.result)) + '\0';
        for (const std::string& line : run.listing)
            out += "L" + line + '\0';
        for (const std::string& line : run.problems)
            out += "P" + line + '\0';
        if (::write(pipeFds[1], out.data(), out.size()) != static_cast<ssize_t>(out.size()))
            ::_exit(4);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "unprivileged walk failed";
    WalkRun run{WalkResult::RootNotReadable, {}, {}};
    std::istringstream in(text);
    std::string record;
    bool first = true;
    while (std::getline(in, record, '\0')) {
        if (first)
            run.result = static_cast<WalkResult>(std::stoi(record));
        else if (record[0] == 'L')
            run.listing.insert(record.substr(1));
        else
            run.problems.push_back(record.substr(1));
        first = false;
    }
    return run;
}

TEST(DirectoryWalker, ReportsAndSkipsDirectoriesThatCannotBeEntered) {
    TempDir dir;
    fs::permissions(dir.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const fs::path root = dir / "root";
    fs::create_directories(root / "closed" / "sub");
    fs::create_directories(root / "listonly" / "sub");
    fs::create_directories(root / "open");
    testing::WriteFile(root / "closed" / "secret", "s");
    testing::WriteFile(root / "listonly" / "hidden", "h");
    testing::WriteFile(root / "open" / "visible", "v");
    fs::permissions(root / "closed", fs::perms::none);
    // Readable but not searchable: the names could be listed, their facts not.
    fs::permissions(root / "listonly", fs::perms::owner_read | fs::perms::others_read);

    const WalkRun run = WalkUnprivileged(root);
    EXPECT_EQ(run.result, WalkResult::Completed);
    ASSERT_EQ(run.listing.size(), 2u);
    EXPECT_EQ(*run.listing.begin(), "d open");
    EXPECT_EQ(run.listing.rbegin()->substr(0, 17), "f open/visible 1 ");
    std::multiset<std::string> problems(run.problems.begin(), run.problems.end());
    EXPECT_EQ(problems, (std::multiset<std::string>{"enter closed", "enter listonly"}));
}

}  // namespace
}  // namespace shelfmark
