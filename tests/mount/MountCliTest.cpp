// mount over FUSE: find and du over the mount agree with the catalog's own dump, extended
// attributes carry the texts, and a file reads from its medium only while that is mounted.
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/support/LoopMount.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

bool FuseUsable(std::string& why) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        why = "/dev/fuse is not usable here";
        return false;
    }
    if (!testing::HaveProgram("fusermount3")) {
        why = "fusermount3 is not installed";
        return false;
    }
    if (!testing::HaveProgram("python3")) {
        why = "python3 is not installed";
        return false;
    }
    return true;
}

class MountCli : public ::testing::Test {
  protected:
    MountCli() { std::filesystem::create_directories(mountPoint()); }
    ~MountCli() override {
        if (mounted_)
            RunCommand("fusermount3 -u " + ShellQuote(mountPoint().string()) + " 2>/dev/null");
    }
    std::string catalog() const { return ShellQuote((dir / "c.tkd").string()); }
    std::filesystem::path mountPoint() const { return dir / "mnt"; }
    testing::CommandResult run(const std::string& rest) const {
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " " + rest + " </dev/null 2>" +
                          ShellQuote((dir / "stderr").string()));
    }
    std::string errors() const { return ReadFile(dir / "stderr"); }
    bool mount(const std::string& path = "") {
        mounted_ = run("mount " + catalog() + " " + ShellQuote(mountPoint().string()) +
                       (path.empty() ? "" : " " + ShellQuote(path)))
                       .exitCode == 0;
        return mounted_;
    }
    void unmount() {
        EXPECT_EQ(RunCommand("fusermount3 -u " + ShellQuote(mountPoint().string())).exitCode, 0);
        mounted_ = false;
    }

    testing::ScopedConfigHome config;
    testing::TempDir dir;
    bool mounted_ = false;
};

// Every entry below the mount as "name kind size mtime", sorted; and the same from the dump.
const char* const kLister = R"(
import json, os, subprocess, sys
mode, where = sys.argv[1], sys.argv[2]
rows = []
if mode == 'find':
    out = subprocess.run(['find', where, '-mindepth', '1', '-printf', '%f\\0%y\\0%s\\0%T@\\0'],
                         check=True, capture_output=True).stdout.split(b'\0')[:-1]
    for i in range(0, len(out), 4):
        name, kind, size, mtime = out[i:i + 4]
        rows.append((name.decode(), 'd' if kind == b'd' else 'f',
                     0 if kind == b'd' else int(size), int(float(mtime))))
else:
    dump = json.loads(subprocess.run([sys.argv[3], 'dump', where], check=True,
                                     capture_output=True).stdout)
    for item in dump['items'][1:]:
        kind = 'f' if item['kind'] == 'file' else 'd'
        rows.append((item['name'], kind, item['size'] if kind == 'f' else 0, item['date']))
for row in sorted(rows):
    print(repr(row))
)";

TEST_F(MountCli, FindOverTheMountMatchesTheDumpAndReadsNeedTheMedium) {
    std::string why;
    if (!FuseUsable(why))
        GTEST_SKIP() << why;
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(run("new " + catalog()).exitCode, 0);
    ASSERT_EQ(run("import-other " + catalog() + " " +
                  ShellQuote((testing::CorpusDir() / "imports/ncdu/odd-basic.json").string()) +
                  " --into /")
                  .exitCode,
              0)
        << errors();
    ASSERT_TRUE(mount("root")) << errors();
    const std::string lister = (dir / "lister.py").string();
    testing::WriteFile(lister, kLister);
    const testing::CommandResult found =
        RunCommand("python3 " + ShellQuote(lister) + " find " + ShellQuote(mountPoint().string()));
    const testing::CommandResult dumped = RunCommand(
        "python3 " + ShellQuote(lister) + " dump " + catalog() + " " + SHELFMARK_CLI_PATH);
    ASSERT_EQ(found.exitCode, 0);
    ASSERT_EQ(dumped.exitCode, 0);
    EXPECT_GT(found.out.size(), 200u);
    EXPECT_EQ(found.out, dumped.out);
    // du adds up the files' blocks as the catalog's sizes give them.
    EXPECT_EQ(RunCommand("du -sb " + ShellQuote(mountPoint().string()) + " | cut -f1").out,
              "1071639\n");
    // The disk was never mounted here: its files cannot be read.
    std::ifstream in(mountPoint() / "sub" / "hardlinked.bin");
    EXPECT_FALSE(in.good());
    unmount();
}

TEST_F(MountCli, AFileReadsFromItsMountedMediumAndTextsAreAttributes) {
    std::string why;
    if (!FuseUsable(why))
        GTEST_SKIP() << why;
    testing::LoopMount loop{dir.path(), "vol", "STICK"};
    SHELFMARK_REQUIRE_MOUNT(loop);
    testing::WriteFile(loop.mountPoint() / "hello.txt", "hello from the medium\n");
    ASSERT_EQ(run("new " + catalog()).exitCode, 0);
    ASSERT_EQ(run("read " + catalog() + " " + ShellQuote(loop.mountPoint().string()) +
                  " --name Stick --description 'my stick'")
                  .exitCode,
              0)
        << errors();
    ASSERT_TRUE(mount()) << errors();
    EXPECT_EQ(ReadFile(mountPoint() / "Stick" / "hello.txt"), "hello from the medium\n");
    char value[64] = {};
    const ssize_t length = getxattr((mountPoint() / "Stick").c_str(),
                                    "user.shelfmark.description", value, sizeof value);
    EXPECT_EQ(std::string(value, length > 0 ? size_t(length) : 0), "my stick");
    EXPECT_LT(getxattr((mountPoint() / "Stick").c_str(), "user.shelfmark.nothing", value,
                       sizeof value),
              0);
    // Writing is refused: the file system is read-only.
    EXPECT_FALSE(std::ofstream(mountPoint() / "Stick" / "new.txt").good());

    loop.unmount();
    std::ifstream gone(mountPoint() / "Stick" / "hello.txt");
    EXPECT_FALSE(gone.good());
    unmount();
}

TEST_F(MountCli, BadArguments) {
    ASSERT_EQ(run("new " + catalog()).exitCode, 0);
    EXPECT_EQ(run("mount " + catalog()).exitCode, 2);
    EXPECT_EQ(run("mount " + catalog() + " " + ShellQuote(mountPoint().string()) + " Nowhere")
                  .exitCode,
              1);
    EXPECT_NE(errors().find("no item 'Nowhere'"), std::string::npos);
}

}  // namespace
}  // namespace shelfmark
