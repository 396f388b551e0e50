// shelfmark-cli read / update / drives, run as a user would, with the catalog file read back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "catalog/CatalogFile.h"
#include "foundation/Prompter.h"
#include "tests/reading-engine/EngineTestSupport.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::CatalogListing;
using testing::FindListing;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

std::string Cli() {
    return ShellQuote(SHELFMARK_CLI_PATH);
}

int CliStatus(const std::string& arguments) {
    return RunCommand(Cli() + " " + arguments + " >/dev/null 2>&1").exitCode;
}

CatalogItem* LoadDisk(CatalogTree& tree, const fs::path& file, const std::string& path) {
    SilentPrompter prompter;
    EXPECT_TRUE(ReadCatalogFile(file.string(), tree, prompter).ok());
    return tree.resolvePath(path, nullptr);
}

fs::path MakeTree(const TempDir& dir) {
    const fs::path root = dir / "volume";
    fs::create_directories(root / "Docs" / "Old");
    fs::create_directories(root / "Pics");
    testing::WriteFile(root / "Docs" / "a.txt", "alpha");
    testing::WriteFile(root / "Docs" / "Old" / "b.txt", "beta beta");
    testing::WriteFile(root / "Pics" / "c.jpg", std::string(500, 'c'));
    testing::WriteFile(root / "top.png", "png");
    return root;
}

class ReadCli : public ::testing::Test {
  protected:
    testing::ScopedConfigHome config;  // read profiles of the test only
    TempDir dir;
};

TEST_F(ReadCli, ReadsAFolderIntoANewCatalogFile) {
    const fs::path root = MakeTree(dir);
    const fs::path file = dir / "cat.tkd";
    const auto result =
        RunCommand(Cli() + " read " + ShellQuote(file.string()) + " " + ShellQuote(root.string()) +
                   " --name Backup --folder 'Archive\\2024' --parents --id 9 --description Weekly"
                   " --crc32 --media removable --category 3");
    ASSERT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("Backup"), std::string::npos);

    CatalogTree tree;
    CatalogItem* disk = LoadDisk(tree, file, "Archive\\2024\\Backup");
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(CatalogListing(disk), FindListing(root));
    EXPECT_EQ(disk->mediaType(), MediaType::Removable);
    EXPECT_EQ(disk->numberAttribute(attr::DiskId), 9u);
    EXPECT_EQ(disk->textAttribute(attr::Description), "Weekly");
    EXPECT_EQ(disk->numberAttribute(attr::Categories), 3u);
    EXPECT_EQ(tree.root()->numberAttribute(attr::DiskId), 10u);
    EXPECT_TRUE(
        tree.resolvePath("Archive\\2024\\Backup\\Docs\\a.txt", nullptr)->hasAttribute(attr::Crc32));
    // The folder's base directory below its mount point, in catalog form.
    const auto base = disk->textAttribute(attr::BaseDirectory);
    ASSERT_TRUE(base);
    EXPECT_NE(base->find("volume"), std::string::npos);
    EXPECT_EQ(base->find('/'), std::string::npos);
}

TEST_F(ReadCli, FiltersAndProfiles) {
    const fs::path root = MakeTree(dir);
    const fs::path file = dir / "cat.tkd";
    ASSERT_EQ(CliStatus("read " + ShellQuote(file.string()) + " " + ShellQuote(root.string()) +
                        " --name Pictures --ext jpg.png --save-profile Photos"),
              0);
    // The saved profile brings the filter back.
    ASSERT_EQ(CliStatus("read " + ShellQuote(file.string()) + " " + ShellQuote(root.string()) +
                        " --name Again --profile Photos --no-empty-dirs"),
              0);
    CatalogTree tree;
    CatalogItem* again = LoadDisk(tree, file, "Again");
    ASSERT_NE(again, nullptr);
    testing::Listing expected;
    for (const std::string& line : FindListing(root))
        if (line.rfind("d Pics ", 0) == 0 || line.rfind("f Pics/c.jpg ", 0) == 0 ||
            line.rfind("f top.png ", 0) == 0)
            expected.insert(line);
    EXPECT_EQ(CatalogListing(again), expected);
    EXPECT_NE(tree.resolvePath("Again\\Pics\\c.jpg", nullptr), nullptr);
    EXPECT_NE(tree.resolvePath("Again\\top.png", nullptr), nullptr);
    EXPECT_EQ(tree.resolvePath("Again\\Docs", nullptr), nullptr);  // only filtered files below it
    EXPECT_EQ(again->size(), testing::FindTotal(root));
}

TEST_F(ReadCli, UpdatesADiskByPathOrByDiskId) {
    const fs::path root = MakeTree(dir);
    const fs::path file = dir / "cat.tkd";
    ASSERT_EQ(CliStatus("read " + ShellQuote(file.string()) + " " + ShellQuote(root.string()) +
                        " --name Work --id 4"),
              0);
    fs::remove_all(root / "Docs" / "Old");
    testing::WriteFile(root / "Pics" / "d.jpg", "new");
    ASSERT_EQ(CliStatus("update " + ShellQuote(file.string()) + " 4 " + ShellQuote(root.string())),
              0);
    {
        CatalogTree tree;
        CatalogItem* disk = LoadDisk(tree, file, "Work");
        ASSERT_NE(disk, nullptr);
        EXPECT_EQ(CatalogListing(disk), FindListing(root));
        EXPECT_EQ(disk->numberAttribute(attr::DiskId), 4u);
    }
    fs::remove(root / "top.png");
    ASSERT_EQ(CliStatus("update " + ShellQuote(file.string()) + " Work " +
                        ShellQuote(root.string()) + " --md5"),
              0);
    CatalogTree tree;
    CatalogItem* disk = LoadDisk(tree, file, "Work");
    EXPECT_EQ(CatalogListing(disk), FindListing(root));
    EXPECT_TRUE(tree.resolvePath("Work\\Pics\\d.jpg", nullptr)->hasAttribute(attr::Md5));
    EXPECT_EQ(CliStatus("update " + ShellQuote(file.string()) + " 99 " + ShellQuote(root.string())),
              1);
    EXPECT_EQ(
        CliStatus("update " + ShellQuote(file.string()) + " Missing " + ShellQuote(root.string())),
        1);
}

TEST_F(ReadCli, ExtraInformationGoesWithTheReadOrNotAtAll) {
    const fs::path root = MakeTree(dir);
    const fs::path file = dir / "cat.tkd";
    const std::string catalog = ShellQuote(file.string());
    const std::string volume = ShellQuote(root.string());
    // Fields by their shown names, ignoring case; an empty text stores nothing.
    ASSERT_EQ(CliStatus("read " + catalog + " " + volume +
                        " --name Work --extra 'Location=Drawer 3' --extra 'bit depth=0x18'"
                        " --extra Artist="),
              0);
    {
        CatalogTree tree;
        CatalogItem* disk = LoadDisk(tree, file, "Work");
        ASSERT_NE(disk, nullptr);
        EXPECT_EQ(disk->textAttribute(attr::Location), "Drawer 3");
        EXPECT_EQ(disk->numberAttribute(attr::ImageBitDepth), 24u);
        EXPECT_FALSE(disk->hasAttribute(attr::Artist));
    }

    // An update replaces the fields it names and keeps the others; a user field by its name.
    ASSERT_EQ(CliStatus("extra " + catalog + " --define-number Shelf"), 0);
    ASSERT_EQ(
        CliStatus("update " + catalog + " Work " + volume + " --extra shelf=12 --extra Location="),
        0);
    {
        CatalogTree tree;
        CatalogItem* disk = LoadDisk(tree, file, "Work");
        ASSERT_NE(disk, nullptr);
        EXPECT_FALSE(disk->hasAttribute(attr::Location));
        EXPECT_EQ(disk->numberAttribute(0x70), 12u);
        EXPECT_EQ(disk->numberAttribute(attr::ImageBitDepth), 24u);
    }

    // A field that cannot be stored stops the read before anything is written.
    const std::string before = testing::ReadFile(file);
    EXPECT_EQ(CliStatus("read " + catalog + " " + volume + " --extra Nowhere=1"), 1);
    EXPECT_EQ(CliStatus("read " + catalog + " " + volume + " --extra Width=wide"), 1);
    EXPECT_EQ(CliStatus("read " + catalog + " " + volume + " --extra Thumbnail=x"), 1);
    EXPECT_EQ(CliStatus("read " + catalog + " " + volume + " --extra Location"), 2);
    EXPECT_EQ(testing::ReadFile(file), before);
    const fs::path fresh = dir / "fresh.tkd";
    EXPECT_EQ(
        CliStatus("read " + ShellQuote(fresh.string()) + " " + volume + " --extra Width=wide"), 1);
    EXPECT_FALSE(fs::exists(fresh));  // the empty catalog made for the read is gone again
}

TEST_F(ReadCli, RejectsBadArguments) {
    const fs::path root = MakeTree(dir);
    const std::string file = ShellQuote((dir / "cat.tkd").string());
    EXPECT_EQ(CliStatus("read " + file), 2);
    EXPECT_EQ(CliStatus("read " + file + " " + ShellQuote(root.string()) + " --id 0"), 2);
    EXPECT_EQ(CliStatus("read " + file + " " + ShellQuote(root.string()) + " --media floppy"), 2);
    EXPECT_EQ(CliStatus("read " + file + " " + ShellQuote(root.string()) + " --archives zip,tar"),
              2);
    EXPECT_EQ(CliStatus("read " + file + " " + ShellQuote(root.string()) + " --bogus"), 2);
    EXPECT_EQ(CliStatus("read " + file + " " + ShellQuote((dir / "missing").string())), 1);
    EXPECT_EQ(CliStatus("read " + file + " " + ShellQuote(root.string()) + " --folder Nowhere"), 1);
    EXPECT_FALSE(fs::exists(dir / "cat.tkd"));
    const auto help = RunCommand(Cli() + " help read");
    EXPECT_NE(help.out.find("mount points below ROOT are not entered"), std::string::npos);
}

TEST_F(ReadCli, InterruptCancelsANewReadWithoutWritingTheFile) {
    const fs::path root = dir / "slow";
    fs::create_directories(root);
    // MD5 over a large sparse file keeps the read busy long enough to interrupt it.
    testing::WriteFile(root / "first.txt", "1");
    ASSERT_EQ(::truncate((root / "first.txt").c_str(), 8ll << 30), 0);
    const fs::path file = dir / "cat.tkd";
    ASSERT_EQ(CliStatus("read " + ShellQuote(file.string()) + " " +
                        ShellQuote(MakeTree(dir).string()) + " --name Kept"),
              0);
    const std::string before = testing::ReadFile(file);

    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(SHELFMARK_CLI_PATH, "shelfmark-cli", "read", file.c_str(), root.c_str(), "--md5",
                nullptr);
        ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(testing::ReadFile(file), before);
}

// A real system folder, end to end: the catalog it gives is read back by info, tree and dump.
TEST_F(ReadCli, ReadsUsrShareAndTheCatalogPassesInfoTreeAndDump) {
    const fs::path share = "/usr/share";
    if (!fs::is_directory(share))
        GTEST_SKIP() << "/usr/share is not there";
    const std::string file = ShellQuote((dir / "share.tkd").string());
    ASSERT_EQ(CliStatus("read " + file + " /usr/share"), 0);
    const auto info = RunCommand(Cli() + " info " + file);
    ASSERT_EQ(info.exitCode, 0);
    auto count = [](const std::string& command) {
        return std::stoull(RunCommand(command + " | wc -l").out);
    };
    const uint64_t files =
        count("find /usr/share -mindepth 1 -maxdepth 40 -xdev \\( -type f -o -type l \\)");
    const uint64_t directories = count("find /usr/share -mindepth 1 -maxdepth 39 -xdev -type d");
    EXPECT_NE(info.out.find("Files: " + std::to_string(files) + "\n"), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("Directories: " + std::to_string(directories) + "\n"),
              std::string::npos)
        << info.out;
    EXPECT_EQ(CliStatus("tree " + file), 0);
    EXPECT_EQ(CliStatus("dump " + file), 0);
}

TEST_F(ReadCli, ReadsTheTracksOfASimulatedAudioCd) {
    const fs::path simulation = testing::SourceDir() / "samples" / "cdrom" / "audio-cd.ini";
    if (!fs::exists(simulation))
        GTEST_SKIP() << "no simulated drive sample";
    const fs::path file = dir / "cd.tkd";
    ASSERT_EQ(CliStatus("read " + ShellQuote(file.string()) + " --cdrom-sim " +
                        ShellQuote(simulation.string()) + " --cd-text"),
              0);
    CatalogTree tree;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalogFile(file.string(), tree, prompter).ok());
    const CatalogItem* disk = tree.root()->firstChild();
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(disk->mediaType(), MediaType::AudioCd);
    EXPECT_EQ(disk->name(), "The Tidewater Band - Harbour Lights");  // from the disc's CD-Text
    int tracks = 0;
    for (const CatalogItem* track = disk->firstChild(); track; track = track->next()) {
        ++tracks;
        EXPECT_EQ(track->name(), "Track0" + std::to_string(tracks) + ".cda");
        EXPECT_EQ(track->size(), 44u);
        EXPECT_EQ(track->numberAttribute(attr::TrackNumber), static_cast<uint32_t>(tracks));
    }
    EXPECT_EQ(tracks, 5);
    // Five track starts and the lead-out.
    EXPECT_EQ(disk->blockAttribute(attr::Toc)->size(), 6u * 4);
}

TEST_F(ReadCli, ListsDrives) {
    const auto result = RunCommand(Cli() + " drives");
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Mount point"), std::string::npos);
    EXPECT_NE(result.out.find(" /\n"), std::string::npos);
}

}  // namespace
}  // namespace shelfmark
