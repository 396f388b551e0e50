#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "platform/volumes/VolumeIdentity.h"
#include "tests/support/LoopMount.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

std::string Cli(const std::string& arguments) {
    return std::string(SHELFMARK_CLI_PATH) + " " + arguments;
}

// A catalog read from a mounted ext2 volume, as a user makes one: the whole volume as disk
// "Stick" and its docs folder as disk "Docs".
class MediumCli : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!loop.mounted())
            GTEST_SKIP() << loop.why();
        mnt = std::filesystem::canonical(loop.mountPoint()).string();
        std::filesystem::create_directories(mnt + "/docs/old");
        testing::WriteFile(mnt + "/docs/old/a.txt", "a");
        testing::WriteFile(mnt + "/top file.txt", "t");
        ASSERT_EQ(run("read " + catalog() + " " + ShellQuote(mnt) + " --name Stick").exitCode, 0);
        ASSERT_EQ(
            run("read " + catalog() + " " + ShellQuote(mnt + "/docs") + " --name Docs").exitCode,
            0);
    }
    std::string catalog() const { return ShellQuote((dir / "c.tkd").string()); }
    testing::CommandResult run(const std::string& arguments) {
        return RunCommand(Cli(arguments) + " 2>" + ShellQuote((dir / "err").string()));
    }
    std::string err() const { return testing::ReadFile(dir / "err"); }
    // A stand-in xdg-open that records where it ran and what it was given; the text to put in
    // front of a command line so that it is found.
    std::string fakeOpener() const {
        const std::string bin = (dir / "bin").string();
        std::filesystem::create_directories(bin);
        testing::WriteFile(bin + "/xdg-open",
                           "#!/bin/sh\necho \"$PWD|$1\" >> " + ShellQuote(record()) + "\n");
        ::chmod((bin + "/xdg-open").c_str(), 0755);
        return "PATH=" + ShellQuote(bin) + ":\"$PATH\" ";
    }
    std::string record() const { return (dir / "record").string(); }

    testing::TempDir dir;
    testing::LoopMount loop{dir.path(), "vol", "STICK"};
    std::string mnt;
};

TEST_F(MediumCli, LocatePrintsRealPaths) {
    const testing::CommandResult result = run(
        "locate " + catalog() + " 'Stick/top file.txt' Stick/docs/old Docs/old/a.txt Stick Docs");
    EXPECT_EQ(result.exitCode, 0) << err();
    EXPECT_EQ(result.out, mnt + "/top file.txt\n" + mnt + "/docs/old\n" + mnt +
                              "/docs/old/a.txt\n" + mnt + "\n" + mnt + "/docs\n");
    EXPECT_EQ(err(), "");
}

TEST_F(MediumCli, LocateNamesTheDiskWhenItsMediumIsNotMounted) {
    ASSERT_EQ(run("mkdir " + catalog() + " / Shelf").exitCode, 0);
    loop.unmount();
    const std::string serial = FormatVolumeSerial(SerialFromUuid(loop.uuid()));
    const testing::CommandResult result = run("locate " + catalog() + " Docs/old/a.txt Shelf");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(err(), "shelfmark-cli: disk 'Docs' (serial number " + serial +
                         ") is not mounted\nshelfmark-cli: 'Shelf' is not on a disk\n");
    EXPECT_EQ(run("locate " + catalog() + " Stick/nothing").exitCode, 1);
    EXPECT_EQ(err(), "shelfmark-cli: no item 'Stick/nothing' in the catalog\n");
    EXPECT_EQ(run("locate " + catalog()).exitCode, 2);
}

TEST_F(MediumCli, OpenHandsTheFileToTheDesktopOpener) {
    const std::string env = fakeOpener();
    testing::CommandResult result = RunCommand(
        env + Cli("open " + catalog() + " Docs/old/a.txt 'Stick/top file.txt'") + " 2>&1");
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(testing::ReadFile(record()),
              mnt + "/docs/old|" + mnt + "/docs/old/a.txt\n" + mnt + "|" + mnt + "/top file.txt\n");

    // A directory is not opened; a file deleted from the medium is reported.
    std::filesystem::remove(mnt + "/docs/old/a.txt");
    result = RunCommand(env + Cli("open " + catalog() + " Stick/docs Docs/old/a.txt") + " 2>&1");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "shelfmark-cli: Path '" + mnt +
                              "/docs/old/a.txt' not found.\nshelfmark-cli: 'Stick:\\docs' is not "
                              "a file; only files are opened (locate prints where it is)\n");

    loop.unmount();
    result = RunCommand(env + Cli("open " + catalog() + " 'Stick/top file.txt'") + " 2>&1");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "shelfmark-cli: disk 'Stick' (serial number " +
                              FormatVolumeSerial(SerialFromUuid(loop.uuid())) +
                              ") is not mounted\n");
    const std::string recorded = testing::ReadFile(record());
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), '\n'), 2);
}

TEST_F(MediumCli, OpenAtATerminalWaitsForTheDiskToBeMounted) {
    SHELFMARK_REQUIRE_PROGRAM("script");
    const std::string env = fakeOpener();
    loop.unmount();
    const std::string again = (dir / "again").string();
    std::filesystem::create_directories(again);
    const std::string out = (dir / "out").string();
    // script gives the command a terminal; its input stays open, and empty, for a while.
    const std::string command =
        "sleep 4 | script -qec " +
        ShellQuote(env + Cli("open " + catalog() + " 'Stick/top file.txt'")) + " /dev/null > " +
        ShellQuote(out) + " 2>&1";
    testing::CommandResult result;
    std::thread runner([&] { result = RunCommand(command); });
    for (int i = 0; i < 100 && testing::ReadFile(out).find("Waiting") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const bool mounted =
        RunCommand("mount -o loop " + ShellQuote(loop.image().string()) + " " + ShellQuote(again))
            .exitCode == 0;
    runner.join();
    if (mounted)
        ::umount(again.c_str());
    ASSERT_TRUE(mounted);
    EXPECT_EQ(result.exitCode, 0);
    const std::string shown = testing::ReadFile(out);
    EXPECT_NE(shown.find("Please insert the disk 'Stick' (serial number " +
                         FormatVolumeSerial(SerialFromUuid(loop.uuid())) + ")"),
              std::string::npos)
        << shown;
    EXPECT_EQ(testing::ReadFile(record()), again + "|" + again + "/top file.txt\n");
}

}  // namespace
}  // namespace shelfmark
