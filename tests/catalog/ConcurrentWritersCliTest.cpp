// Many command-line processes change one large catalog at the same time. Each may be refused,
// but a process that reports success must find its change in the final file: no writer may save
// its old copy of the catalog over another's newer one.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "foundation/Prompter.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

std::string Cli(const std::string& arguments) {
    return std::string(SHELFMARK_CLI_PATH) + " " + arguments;
}

// A catalog of `files` items: one disk of directories of 1000 files each.
void WriteLargeCatalog(const std::string& path, int files) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* disk = tree.createItem("Archive", root, Last, DiskFlags(MediaType::HardDisk));
    tree.assignDiskNumber(disk);
    CatalogItem* directory = nullptr;
    for (int i = 0; i < files; ++i) {
        if (i % 1000 == 0)
            directory =
                tree.createItem("dir " + std::to_string(i / 1000), disk, Last, itemflag::Directory);
        CatalogItem* file =
            tree.createItem("file " + std::to_string(i) + ".dat", directory, Last, 0);
        tree.setSize(file, uint64_t(i) * 7);
    }
    ASSERT_TRUE(SaveCatalogTo(path, tree));
}

// The names of the catalog's top-level items.
std::set<std::string> TopLevelNames(const std::string& path) {
    const auto tree = RunCommand(Cli("tree " + ShellQuote(path) + " --depth 1"));
    EXPECT_EQ(tree.exitCode, 0);
    std::set<std::string> names;
    std::istringstream lines(tree.out);
    std::string line;
    std::getline(lines, line);  // the root
    while (std::getline(lines, line)) {
        line = line.substr(2);
        names.insert(line.substr(0, line.find('\\')));
    }
    return names;
}

TEST(ConcurrentWritersCli, EveryReportedFolderIsKept) {
    testing::TempDir dir;
    const std::string path = (dir / "big.tkd").string();
    WriteLargeCatalog(path, 200'000);
    const auto started = std::chrono::steady_clock::now();
    std::set<std::string> reported;
    for (int round = 0; round < 10; ++round) {
        // Ten processes at once; each prints its folder's name when it succeeded.
        std::string script;
        for (int i = 0; i < 10; ++i) {
            const std::string name = "r" + std::to_string(round) + "p" + std::to_string(i);
            script += "(" + Cli("mkdir " + ShellQuote(path) + " / " + name) +
                      " 2>/dev/null && echo " + name + ") & ";
        }
        script += "wait";
        const auto result = RunCommand(script);
        std::istringstream lines(result.out);
        int succeeded = 0;
        for (std::string name; std::getline(lines, name); ++succeeded)
            reported.insert(name);
        EXPECT_GE(succeeded, 1) << "round " << round;
    }
    const std::set<std::string> names = TopLevelNames(path);
    for (const std::string& name : reported)
        EXPECT_TRUE(names.count(name)) << name << " was reported created but is missing";
    EXPECT_TRUE(names.count("Archive"));
    EXPECT_EQ(names.size(), reported.size() + 1);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    RecordProperty("seconds", std::to_string(seconds.count()));
    RecordProperty("succeeded", std::to_string(reported.size()));
}

// One process has the catalog locked for a long change (a read of a big disk); another retries
// its own small change until it is let in. Both changes must end up in the file.
TEST(ConcurrentWritersCli, RetryDuringALongChangeKeepsBoth) {
    testing::TempDir dir;
    const std::string path = (dir / "big.tkd").string();
    WriteLargeCatalog(path, 200'000);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        close(ready[0]);
        SilentPrompter prompter;
        CatalogDocument document(prompter);
        if (!document.openCatalogFile(path) || !document.lockForEditing())
            _exit(10);
        (void)!write(ready[1], "L", 1);
        CatalogTree& tree = document.tree();
        CatalogItem* disk =
            tree.createItem("Fresh disk", tree.root(), Sorted, DiskFlags(MediaType::CdRom));
        for (int i = 0; i < 20'000; ++i)
            tree.createItem("track " + std::to_string(i), disk, First, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        document.setModified();
        _exit(document.saveCatalogFile(path) ? 0 : 11);
    }
    close(ready[1]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    // Retried while refused, for at most a minute.
    const auto retried =
        RunCommand("for i in $(seq 600); do " + Cli("mkdir " + ShellQuote(path) + " / Retried") +
                   " 2>/dev/null && { echo done; break; }; sleep 0.05; done");
    int status = 0;
    waitpid(reader, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(retried.out, "done\n");
    const std::set<std::string> names = TopLevelNames(path);
    EXPECT_TRUE(names.count("Retried"));
    EXPECT_TRUE(names.count("Fresh disk"));
    EXPECT_TRUE(names.count("Archive"));
}

}  // namespace
}  // namespace shelfmark
