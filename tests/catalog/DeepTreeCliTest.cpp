// Deep directory trees and deep folders through the command-line tool, as a user meets them:
// whatever a command reports as done, the catalog opens again afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

std::string Cli(const std::string& arguments) {
    return std::string(SHELFMARK_CLI_PATH) + " " + arguments;
}

// The deepest level `tree` shows below the root (two spaces per level).
size_t DeepestLevel(const std::string& treeText) {
    size_t deepest = 0;
    std::istringstream lines(treeText);
    for (std::string line; std::getline(lines, line);)
        deepest = std::max(deepest, line.find_first_not_of(' ') / 2);
    return deepest;
}

class DeepTreeCli : public ::testing::Test {
  protected:
    std::string file(const char* name) const { return ShellQuote((dir / name).string()); }
    // A directory tree `levels` directories deep, each holding a file.
    std::string makeTree(int levels) const {
        std::filesystem::path at = dir / ("tree" + std::to_string(levels));
        const std::string root = at.string();
        for (int level = 0; level <= levels; ++level) {
            std::filesystem::create_directories(at);
            testing::WriteFile(at / "f.txt", "x");
            at /= "d";
        }
        return root;
    }
    testing::TempDir dir;
    testing::ScopedConfigHome config;
};

TEST_F(DeepTreeCli, DeepTreesAreReadUpToTheCatalogsDeepestLevel) {
    for (int levels : {38, 39, 40, 45}) {
        const std::string root = makeTree(levels);
        // At the top, and inside five nested folders: the walk stops earlier there.
        for (int nesting : {0, 5}) {
            const std::string catalog =
                "c" + std::to_string(levels) + "-" + std::to_string(nesting) + ".tkd";
            std::string folder;
            for (int i = 0; i < nesting; ++i)
                folder += "F/";
            const auto read = RunCommand(
                Cli("read " + file(catalog.c_str()) + " " + ShellQuote(root) +
                    (nesting ? " --parents --folder " + folder : std::string()) + " 2>&1"));
            ASSERT_EQ(read.exitCode, 0) << read.out;
            const bool fits = nesting + 2 + levels <= 40;  // the deepest file's level
            EXPECT_EQ(read.out.find("levels deep are not read") == std::string::npos, fits)
                << levels << " " << nesting << ": " << read.out;

            const auto tree = RunCommand(Cli("tree " + file(catalog.c_str()) + " 2>&1"));
            ASSERT_EQ(tree.exitCode, 0) << tree.out;
            EXPECT_EQ(DeepestLevel(tree.out), fits ? size_t(nesting + 2 + levels) : 40u)
                << levels << " " << nesting;
            // Changed and saved again, it still opens.
            EXPECT_EQ(RunCommand(Cli("mkdir " + file(catalog.c_str()) + " / More")).exitCode, 0);
            EXPECT_EQ(RunCommand(Cli("info " + file(catalog.c_str()) + " >/dev/null")).exitCode, 0);
        }
    }
}

TEST_F(DeepTreeCli, NestedFoldersStopAtTheDeepestLevel) {
    ASSERT_EQ(RunCommand(Cli("new " + file("n.tkd"))).exitCode, 0);
    std::string parent = "/";
    for (int level = 1; level <= 45; ++level) {
        const auto made =
            RunCommand(Cli("mkdir " + file("n.tkd") + " " + ShellQuote(parent) + " n 2>&1"));
        if (level <= 40) {
            ASSERT_EQ(made.exitCode, 0) << level << ": " << made.out;
        } else {
            // The 41st is refused; the ones after it find no parent.
            EXPECT_EQ(made.exitCode, 1) << level;
            EXPECT_NE(
                made.out.find(level == 41 ? "levels below the top of the catalog" : "no item"),
                std::string::npos)
                << made.out;
        }
        parent += "n/";
    }
    const auto tree = RunCommand(Cli("tree " + file("n.tkd")));
    ASSERT_EQ(tree.exitCode, 0);
    EXPECT_EQ(DeepestLevel(tree.out), 40u);

    // A disk in the deepest folder but one could hold nothing: the read is refused.
    std::string folder39(39 * 2, 'n');
    for (size_t i = 1; i < folder39.size(); i += 2)
        folder39[i] = '/';
    const std::string before = testing::ReadFile(dir / "n.tkd");
    const auto read = RunCommand(Cli("read " + file("n.tkd") + " " + ShellQuote(makeTree(1)) +
                                     " --folder " + folder39 + " 2>&1"));
    EXPECT_EQ(read.exitCode, 1) << read.out;
    EXPECT_NE(read.out.find("lies too deep in the catalog"), std::string::npos) << read.out;
    EXPECT_EQ(testing::ReadFile(dir / "n.tkd"), before);
    // Nor do missing folders get created below the deepest level.
    const auto parents = RunCommand(Cli("read " + file("n.tkd") + " " + ShellQuote(makeTree(1)) +
                                        " --parents --folder " + folder39 + "/n/x/y 2>&1"));
    EXPECT_EQ(parents.exitCode, 1) << parents.out;
    EXPECT_EQ(testing::ReadFile(dir / "n.tkd"), before);
}

TEST_F(DeepTreeCli, ExportDbNeverOverwritesItsSourceOrAnExistingFile) {
    ASSERT_EQ(RunCommand(Cli("new " + file("a.tkd"))).exitCode, 0);
    ASSERT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " / Music")).exitCode, 0);
    ASSERT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " / Books")).exitCode, 0);
    const std::string source = testing::ReadFile(dir / "a.tkd");
    const auto self = RunCommand(
        Cli("export-db " + file("a.tkd") + " Music -o " + file("a.tkd") + " --force 2>&1"));
    EXPECT_EQ(self.exitCode, 1);
    EXPECT_NE(self.out.find("is the catalog the items are exported from"), std::string::npos)
        << self.out;
    EXPECT_EQ(testing::ReadFile(dir / "a.tkd"), source);

    ASSERT_EQ(RunCommand(Cli("new " + file("b.tkd"))).exitCode, 0);
    const auto existing =
        RunCommand(Cli("export-db " + file("a.tkd") + " Music -o " + file("b.tkd") + " 2>&1"));
    EXPECT_EQ(existing.exitCode, 1);
    EXPECT_NE(existing.out.find("already exists"), std::string::npos) << existing.out;
    EXPECT_EQ(
        RunCommand(Cli("export-db " + file("a.tkd") + " Music -o " + file("b.tkd") + " --force"))
            .exitCode,
        0);
    EXPECT_EQ(RunCommand(Cli("tree " + file("b.tkd"))).out, "b.tkd\\\n  Music\\\n");
}

TEST_F(DeepTreeCli, WriteFailuresNameTheFileAndTheReason) {
    const auto missing = RunCommand(Cli("new " + file("none/x.tkd") + " 2>&1"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("Cannot open file for writing."), std::string::npos) << missing.out;
    EXPECT_NE(missing.out.find((dir / "none/x.tkd").string()), std::string::npos) << missing.out;
    EXPECT_NE(missing.out.find("No such file or directory"), std::string::npos) << missing.out;

    std::filesystem::create_directory(dir / "folder.tkd");
    const auto directory = RunCommand(Cli("new --force " + file("folder.tkd") + " 2>&1"));
    EXPECT_EQ(directory.exitCode, 1);
    EXPECT_NE(directory.out.find("Is a directory"), std::string::npos) << directory.out;

    // A read into a place that cannot be written fails before walking anything.
    const auto read =
        RunCommand(Cli("read " + file("none/r.tkd") + " " + ShellQuote(makeTree(2)) + " 2>&1"));
    EXPECT_EQ(read.exitCode, 1);
    EXPECT_NE(read.out.find("No such file or directory"), std::string::npos) << read.out;
}

}  // namespace
}  // namespace shelfmark
