#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "catalog/CatalogFile.h"
#include "catalog/FileLock.h"
#include "foundation/Prompter.h"
#include "tests/catalog/FileBytes.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

std::string Cli(const std::string& arguments) {
    return std::string(SHELFMARK_CLI_PATH) + " " + arguments;
}

class CatalogCli : public ::testing::Test {
  protected:
    std::string file(const char* name) const { return ShellQuote((dir / name).string()); }
    testing::TempDir dir;
};

TEST_F(CatalogCli, NewWritesAnEmptyCatalog) {
    ASSERT_EQ(RunCommand(Cli("new " + file("a.tkd"))).exitCode, 0);
    EXPECT_EQ(testing::ReadFile(dir / "a.tkd"),
              testing::FileBytes().header().u8(2).u8(0x42).u32(1).u8(0x4E).u32(1).u32(0).str());
    EXPECT_EQ(RunCommand(Cli("new " + file("a.tkd") + " 2>/dev/null")).exitCode, 1);
    EXPECT_EQ(RunCommand(Cli("new --force " + file("a.tkd"))).exitCode, 0);
    EXPECT_EQ(RunCommand(Cli("new")).exitCode, 2);
}

TEST_F(CatalogCli, MkdirTreeInfo) {
    ASSERT_EQ(RunCommand(Cli("new " + file("a.tkd"))).exitCode, 0);
    EXPECT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " / Music")).exitCode, 0);
    EXPECT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " / Books")).exitCode, 0);
    EXPECT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " music Rock")).exitCode, 0);
    EXPECT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " Music ROCK 2>/dev/null")).exitCode, 1);
    EXPECT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " Nowhere X 2>/dev/null")).exitCode, 1);
    EXPECT_EQ(RunCommand(Cli("tree " + file("a.tkd"))).out,
              "a.tkd\\\n  Books\\\n  Music\\\n    Rock\\\n");
    EXPECT_EQ(RunCommand(Cli("tree " + file("a.tkd") + " Music")).out, "Music\\\n  Rock\\\n");
    EXPECT_EQ(RunCommand(Cli("tree " + file("a.tkd") + " --depth 1")).out,
              "a.tkd\\\n  Books\\\n  Music\\\n");
    const std::string info = RunCommand(Cli("info " + file("a.tkd"))).out;
    EXPECT_NE(info.find("Name: a.tkd\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Format: 3.0\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Folders: 3\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Files: 0\n"), std::string::npos) << info;
}

TEST_F(CatalogCli, DumpIsValidJsonWithEveryField) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* disk = tree.createItem("CD \"1\"", root, Last, DiskFlags(MediaType::CdRom));
    tree.assignDiskNumber(disk);
    CatalogItem* f = tree.createItem("ä\\b.txt", disk, Last, 0);
    tree.setSize(f, 5'000'000'000ull);
    f->setDate(-7);
    tree.setTextAttribute(f, attr::Description, "line\nbreak");
    const uint8_t block[] = {'h', 'i', '!'};
    tree.setBlockAttribute(f, attr::Thumbnail, block);
    ASSERT_TRUE(SaveCatalogTo((dir / "d.tkd").string(), tree));
    const std::string script =
        "import json,sys; d=json.load(sys.stdin); i=d['items'];"
        "print(d['name'], d['version'], d['attributes']['0x4E'], len(i));"
        "print(i[0]['kind'], i[0]['flags'], i[0]['name'], i[0]['attributes']['0x4E']);"
        "print(i[1]['path'], i[1]['kind'], i[1]['size'], i[1]['date'], "
        "repr(i[1]['attributes']['0x80']),"
        " i[1]['attributes']['0x47'], i[1]['attributes']['0xC5'])";
    const auto result =
        RunCommand(Cli("dump " + file("d.tkd")) + " | python3 -c " + ShellQuote(script));
    EXPECT_EQ(result.out,
              "d.tkd 3.0 2 2\n"
              "disk 9 CD \"1\" 1\n"
              // The name's own backslash is doubled in the path, so the path can be typed back.
              "CD \"1\"\\ä\\\\b.txt file 5000000000 -7 'line\\nbreak' 1 aGkh\n");
    const std::string text = RunCommand(Cli("dump --format text " + file("d.tkd"))).out;
    EXPECT_NE(text.find("    0xC5 = base64:aGkh\n"), std::string::npos) << text;
}

TEST_F(CatalogCli, ExportDb) {
    ASSERT_EQ(RunCommand(Cli("new " + file("a.tkd"))).exitCode, 0);
    for (const char* name : {"One", "Two", "Three"})
        ASSERT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " / " + name)).exitCode, 0);
    ASSERT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " Two Inner")).exitCode, 0);
    ASSERT_EQ(
        RunCommand(Cli("export-db " + file("a.tkd") + " Two Three -o " + file("b.tkd"))).exitCode,
        0);
    EXPECT_EQ(RunCommand(Cli("tree " + file("b.tkd"))).out,
              "b.tkd\\\n  Two\\\n    Inner\\\n  Three\\\n");
    EXPECT_EQ(RunCommand(Cli("export-db " + file("a.tkd") + " Missing -o " + file("c.tkd") +
                             " 2>/dev/null"))
                  .exitCode,
              1);
    EXPECT_EQ(RunCommand(Cli("export-db " + file("a.tkd") + " Two 2>/dev/null")).exitCode, 2);
}

TEST_F(CatalogCli, MkdirIsRefusedWhileAnotherProcessHoldsTheLock) {
    ASSERT_EQ(RunCommand(Cli("new " + file("a.tkd"))).exitCode, 0);
    const std::string before = testing::ReadFile(dir / "a.tkd");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        FileLock lock;
        const char answer = lock.acquire((dir / "a.tkd").string()) ? 'L' : 'F';
        (void)!write(ready[1], &answer, 1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    close(ready[0]);
    ASSERT_EQ(answer, 'L');
    const auto refused = RunCommand(Cli("mkdir " + file("a.tkd") + " / Music 2>&1"));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("Cannot lock the file for changes."), std::string::npos)
        << refused.out;
    EXPECT_EQ(testing::ReadFile(dir / "a.tkd"), before);
    EXPECT_EQ(RunCommand(Cli("mkdir " + file("a.tkd") + " / Music")).exitCode, 0);
}

TEST_F(CatalogCli, DamagedFileIsReported) {
    testing::WriteFile(dir / "bad.tkd", "Tarnwick Database\r\n\x1A");
    const auto result = RunCommand(Cli("info " + file("bad.tkd") + " 2>&1"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("damaged"), std::string::npos) << result.out;
    EXPECT_EQ(RunCommand(Cli("info " + file("none.tkd") + " 2>/dev/null")).exitCode, 1);
}

}  // namespace
}  // namespace shelfmark
