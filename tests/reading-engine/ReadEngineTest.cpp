#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

#include "catalog/CatalogFile.h"
#include "catalog/TreeWalk.h"
#include "tests/reading-engine/EngineTestSupport.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::CatalogListing;
using testing::FindItem;
using testing::FindListing;
using testing::ReadSetup;
using testing::RunCommand;
using testing::SetTime;
using testing::ShellQuote;
using testing::TempDir;

void MakeSparse(const fs::path& path, uint64_t size) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    ::close(fd);
}

// A tree with most of what a real volume holds.
fs::path MakeMixedTree(const TempDir& dir) {
    const fs::path root = dir / "volume";
    fs::create_directories(root / "Docs" / "Old");
    fs::create_directories(root / "Pictures" / "2003");
    fs::create_directories(root / "empty" / "inner");
    testing::WriteFile(root / "readme.txt", "hello world");
    testing::WriteFile(root / "Docs" / "letter.doc", std::string(70000, 'l'));
    testing::WriteFile(root / "Docs" / "Old" / "notes", "n");
    testing::WriteFile(root / "Pictures" / "2003" / "beach.JPG", std::string(1234, 'j'));
    testing::WriteFile(root / "Pictures" / "map.png", std::string(99, 'p'));
    testing::WriteFile(root / "bad\xFF\xFE name.txt", "invalid utf-8");
    fs::create_symlink("Docs", root / "link-to-dir");
    fs::create_symlink("loop-b", root / "loop-a");
    fs::create_symlink("loop-a", root / "loop-b");
    ::mkfifo((root / "fifo").c_str(), 0644);
    MakeSparse(root / "Pictures" / "huge.img", (6ull << 30) + 5);
    SetTime(root / "readme.txt", 946684800);
    SetTime(root / "Docs" / "Old" / "notes", -3600);
    SetTime(root / "Pictures" / "map.png", 4102444800);  // does not fit a 32-bit date
    return root;
}

TEST(ReadEngine, NewDiskMatchesAnIndependentWalk) {
    TempDir dir;
    const fs::path root = MakeMixedTree(dir);
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    ASSERT_EQ(testing::RunRead(job), ReadOutcome::Completed);
    ASSERT_NE(job.disk, nullptr);

    // The name that is not UTF-8 is stored as its Windows-1252 reading (0xFF ÿ, 0xFE þ).
    testing::Listing expected;
    for (std::string line : FindListing(root)) {
        if (const size_t at = line.find("bad\xFF\xFE"); at != std::string::npos)
            line.replace(at, 5, "bad\xC3\xBF\xC3\xBE");
        expected.insert(line);
    }
    EXPECT_EQ(CatalogListing(job.disk), expected);
    EXPECT_EQ(job.disk->size(), testing::FindTotal(root));
    EXPECT_GT(job.disk->size(), 6ull << 30);
    EXPECT_EQ(setup.folder->size(), job.disk->size());  // the folder holds the disk's size
    EXPECT_EQ(FindItem(job.disk, "Pictures/map.png")->date(), 0);
    EXPECT_EQ(FindItem(job.disk, "Docs/Old/notes")->date(), -3600);
    EXPECT_FALSE(FindItem(job.disk, "fifo"));
    EXPECT_TRUE(setup.prompter.shown().empty());
}

TEST(ReadEngine, TheDiskIsSortedInTreeOrder) {
    TempDir dir;
    const fs::path root = MakeMixedTree(dir);
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    testing::RunRead(job);
    WalkBelow(job.disk, EnterAll, [](CatalogItem& item) {
        if (item.next()) {
            EXPECT_LE(CompareTreeOrder(item, *item.next()), 0) << item.name();
        }
        return true;
    });
    // Directories before files.
    EXPECT_TRUE(job.disk->firstChild()->isDirectory());
}

TEST(ReadEngine, SetsUpTheDiskItem) {
    TempDir dir;
    const fs::path root = MakeMixedTree(dir);
    ReadSetup setup;
    CatalogItem* top = setup.tree.root();
    setup.tree.setNumberAttribute(top, attr::DiskId, 7);
    setup.tree.setNumberAttribute(top, attr::DiskNumber, 42);
    ReadJob job;
    setup.newJob(job, root, "Holiday");
    job.fields.diskId = 12;
    job.fields.description = "Photos of the summer";
    job.fields.categories = 0x0302;
    job.fields.rewritable = true;
    job.drive.type = DriveType::Removable;
    job.drive.label = "STICK";
    job.drive.serial = 0x1234ABCD;
    job.drive.driveIndex = 3;
    job.drive.baseDirectory = "photos\\2003";
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(testing::RunRead(job), ReadOutcome::Completed);

    const CatalogItem* disk = job.disk;
    EXPECT_EQ(disk->name(), "Holiday");
    EXPECT_EQ(disk->parent(), setup.folder);
    EXPECT_EQ(disk->flags(),
              itemflag::Directory | MediaTypeFlags(MediaType::Removable) | itemflag::ReWritable);
    EXPECT_EQ(disk->numberAttribute(attr::DiskId), 12u);
    EXPECT_EQ(top->numberAttribute(attr::DiskId), 13u);
    EXPECT_EQ(disk->numberAttribute(attr::DiskNumber), 42u);
    EXPECT_EQ(top->numberAttribute(attr::DiskNumber), 43u);
    EXPECT_EQ(disk->textAttribute(attr::Description), "Photos of the summer");
    EXPECT_EQ(disk->numberAttribute(attr::Categories), 0x0302u);
    EXPECT_EQ(disk->numberAttribute(attr::VolumeSerial), 0x1234ABCDu);
    EXPECT_EQ(disk->numberAttribute(attr::DriveIndex), 3u);
    EXPECT_EQ(disk->textAttribute(attr::BaseDirectory), "photos\\2003");
    EXPECT_EQ(disk->textAttribute(attr::Volume), "STICK");
    EXPECT_TRUE(
        disk->hasAttribute(attr::ReadThisSession));  // a transient mark: only presence counts
    EXPECT_GE(disk->date(), before);
    EXPECT_LE(disk->date(), std::time(nullptr));
}

TEST(ReadEngine, MediaTypeFollowsTheDrive) {
    ReadOptions options;
    DriveFacts drive;
    drive.type = DriveType::Fixed;
    EXPECT_EQ(ChooseMediaType(drive, options), MediaType::HardDisk);
    drive.type = DriveType::Remote;
    EXPECT_EQ(ChooseMediaType(drive, options), MediaType::Network);
    drive.type = DriveType::Removable;
    EXPECT_EQ(ChooseMediaType(drive, options), MediaType::Removable);
    drive.type = DriveType::CdRom;
    EXPECT_EQ(ChooseMediaType(drive, options), MediaType::CdRom);
    drive.isVideoCd = true;
    EXPECT_EQ(ChooseMediaType(drive, options), MediaType::VideoCd);
    AudioDisc disc;
    disc.tracks.push_back({1, TrackType::Audio, {0, 2, 0}, {3, 0, 0}});
    drive.audio = disc;
    EXPECT_EQ(ChooseMediaType(drive, options), MediaType::AudioCd);
    drive.hasData = true;  // mixed mode: an audio CD only while its tracks are read
    EXPECT_EQ(ChooseMediaType(drive, options), MediaType::AudioCd);
    options.bCDExtraAudio = false;
    EXPECT_EQ(ChooseMediaType(drive, options), MediaType::VideoCd);
}

TEST(ReadEngine, DatesOutsideThirtyTwoBitsBecomeZero) {
    EXPECT_EQ(CatalogDate(0), 0);
    EXPECT_EQ(CatalogDate(2147483647), 2147483647);
    EXPECT_EQ(CatalogDate(2147483648LL), 0);
    EXPECT_EQ(CatalogDate(-2147483648LL), -2147483647 - 1);
    EXPECT_EQ(CatalogDate(-2147483649LL), 0);
}

TEST(ReadEngine, ExtensionFilterKeepsDirectoriesAndTheirFullSizes) {
    TempDir dir;
    const fs::path root = MakeMixedTree(dir);
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    job.options.ExtList = ExtensionList("jpg.png");
    testing::RunRead(job);

    testing::Listing expected;
    for (const std::string& line : FindListing(root)) {
        const bool picture =
            line.find(".JPG ") != std::string::npos || line.find(".png ") != std::string::npos;
        if (line[0] == 'd' || picture)
            expected.insert(line);
    }
    EXPECT_EQ(CatalogListing(job.disk), expected);
    EXPECT_EQ(job.disk->size(), testing::FindTotal(root));
}

TEST(ReadEngine, OnlyDirectoriesStillCountEveryFile) {
    TempDir dir;
    const fs::path root = MakeMixedTree(dir);
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    job.options.bNoFiles = true;
    testing::RunRead(job);

    testing::Listing expected;
    for (const std::string& line : FindListing(root))
        if (line[0] == 'd')
            expected.insert(line);
    EXPECT_EQ(CatalogListing(job.disk), expected);
    EXPECT_EQ(job.disk->size(), testing::FindTotal(root));
}

TEST(ReadEngine, NoEmptyDirsRemovesNestedEmptyDirectories) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root / "a" / "b" / "c");
    fs::create_directories(root / "a" / "d");
    fs::create_directories(root / "keep" / "sub");
    fs::create_directories(root / "filtered");
    testing::WriteFile(root / "keep" / "sub" / "x.txt", "x");
    testing::WriteFile(root / "filtered" / "y.bin", "yy");
    SetTime(root / "keep" / "sub" / "x.txt", 1234567890);
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    job.options.bNoEmptyDirs = true;
    job.options.ExtList = ExtensionList("txt");
    testing::RunRead(job);
    EXPECT_EQ(CatalogListing(job.disk),
              (testing::Listing{"d keep 1", "d keep/sub 1", "f keep/sub/x.txt 1 1234567890"}));
    EXPECT_EQ(job.disk->size(), 3u);  // the filtered file still counts
}

TEST(ReadEngine, NoEmptyDirsWithOnlyDirectoriesKeepsThoseThatHeldFiles) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root / "full" / "empty");
    fs::create_directories(root / "hollow" / "inner");
    testing::WriteFile(root / "full" / "x.txt", "xyz");
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    job.options.bNoEmptyDirs = true;
    job.options.bNoFiles = true;
    testing::RunRead(job);
    EXPECT_EQ(CatalogListing(job.disk), (testing::Listing{"d full 3"}));
}

// A size limit in KB: a file of exactly the limit is not checksummed, one byte less is.
TEST(ReadEngine, ChecksumsAgreeWithStandardToolsAndHonourLimits) {
    SHELFMARK_REQUIRE_PROGRAM("md5sum");
    SHELFMARK_REQUIRE_PROGRAM("python3");
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root);
    testing::WriteFile(root / "at-limit.bin", std::string(2048, 'a'));
    testing::WriteFile(root / "below.bin", std::string(2047, 'b'));
    testing::WriteFile(root / "empty.bin", "");
    std::string big;
    for (int i = 0; i < 300000; ++i)
        big.push_back(static_cast<char>(i * 7));
    testing::WriteFile(root / "big.bin", big);

    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    job.options.bCalcCRC32 = true;
    job.options.bCalcMD5 = true;
    job.options.bLimitCRC32Size = true;
    job.options.MaxCRC32Size = 2;
    testing::RunRead(job);

    auto crcOf = [&](const std::string& name) {
        const auto out = RunCommand(
            "python3 -c 'import sys,zlib; print(zlib.crc32(open(sys.argv[1],\"rb\").read()))' " +
            ShellQuote((root / name).string()));
        return static_cast<uint32_t>(std::stoul(out.out));
    };
    auto md5Of = [&](const std::string& name) {
        return RunCommand("md5sum " + ShellQuote((root / name).string())).out.substr(0, 32);
    };
    EXPECT_FALSE(FindItem(job.disk, "at-limit.bin")->hasAttribute(attr::Crc32));
    EXPECT_FALSE(FindItem(job.disk, "big.bin")->hasAttribute(attr::Crc32));
    EXPECT_EQ(FindItem(job.disk, "below.bin")->numberAttribute(attr::Crc32), crcOf("below.bin"));
    EXPECT_FALSE(FindItem(job.disk, "empty.bin")->hasAttribute(attr::Crc32));  // 0 stores nothing
    for (const char* name : {"at-limit.bin", "below.bin", "empty.bin", "big.bin"})
        EXPECT_EQ(FindItem(job.disk, name)->textAttribute(attr::Md5), md5Of(name)) << name;
}

// Fake archive readers that record their calls and store one entry.
struct FakeArchives {
    std::vector<std::string> calls;
    ReadServices services() {
        ReadServices s;
        s.readArchive = [this](ArchiveKind kind, const std::string& path, uint64_t offset,
                               CatalogTree& tree, CatalogItem* item, bool crc) {
            calls.push_back(std::to_string(static_cast<int>(kind)) + " " +
                            fs::path(path).filename().string() + " " + std::to_string(offset) +
                            (crc ? " crc" : ""));
            if (kind == ArchiveKind::Rar)
                return false;  // damaged
            tree.createItem("entry.txt", item, First, 0);
            return true;
        };
        s.probeSfx = [this](const std::string& path,
                            uint8_t mask) -> std::optional<std::pair<ArchiveKind, uint64_t>> {
            calls.push_back("probe " + fs::path(path).filename().string() + " " +
                            std::to_string(mask));
            if (fs::path(path).filename() == "setup.exe")
                return std::make_pair(ArchiveKind::Zip, uint64_t{4096});
            return std::nullopt;
        };
        return s;
    }
};

TEST(ReadEngine, ArchivesGoThroughTheReadersTheOptionsAllow) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root);
    for (const char* name :
         {"a.zip", "b.JAR", "c.rar", "d.arj", "e.cab", "setup.exe", "tool.exe", "f.ace"})
        testing::WriteFile(root / name, "PK");
    ReadSetup setup;
    FakeArchives fake;
    ReadJob job;
    setup.newJob(job, root);
    job.options.bReadZIPs = true;
    job.options.bReadJARs = true;
    job.options.bReadRARs = true;
    job.options.bReadARJs = true;
    job.options.bCheckEXEs = true;
    job.options.bStoreArchiveCRC32 = true;
    job.services = fake.services();
    testing::RunRead(job);

    std::multiset<std::string> calls(fake.calls.begin(), fake.calls.end());
    EXPECT_EQ(calls, (std::multiset<std::string>{"1 a.zip 0 crc", "32 b.JAR 0 crc", "2 c.rar 0 crc",
                                                 "16 d.arj 0 crc", "probe setup.exe 179",
                                                 "probe tool.exe 179", "1 setup.exe 4096 crc"}));
    for (const char* name : {"a.zip", "b.JAR", "d.arj", "setup.exe"}) {
        const CatalogItem* item = FindItem(job.disk, name);
        EXPECT_TRUE(item->isArchive()) << name;
        EXPECT_EQ(item->firstChild()->name(), "entry.txt");
        EXPECT_EQ(item->size(), 2u);
    }
    // A reader that fails, a kind that is off, an executable without archive: plain files.
    for (const char* name : {"c.rar", "e.cab", "f.ace", "tool.exe"}) {
        EXPECT_EQ(FindItem(job.disk, name)->flags(), 0) << name;
        EXPECT_EQ(FindItem(job.disk, name)->firstChild(), nullptr) << name;
    }
}

TEST(ReadEngine, WithoutReadersArchivesStayPlainFiles) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root);
    testing::WriteFile(root / "a.zip", "PK");
    testing::WriteFile(root / "setup.exe", "MZ");
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    job.options.bReadZIPs = true;
    job.options.bCheckEXEs = true;
    testing::RunRead(job);
    EXPECT_EQ(FindItem(job.disk, "a.zip")->flags(), 0);
    EXPECT_EQ(FindItem(job.disk, "setup.exe")->flags(), 0);
}

TEST(ReadEngine, ProvidersDescribeTheFilesOfTheirExtensions) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root / "sub");
    testing::WriteFile(root / "sub" / "Song.MP3", "ID3");
    testing::WriteFile(root / "other.txt", "t");
    fs::create_symlink("sub/Song.MP3", root / "link.mp3");
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    std::vector<std::string> asked;
    job.services.hasProvider = [](std::string_view extension) { return extension == "mp3"; };
    job.services.describe = [&](std::string_view extension, const std::string& path,
                                CatalogTree& tree, CatalogItem* item) {
        asked.push_back(std::string(extension) + " " + path);
        tree.setTextAttribute(item, attr::Title, "A Title");
    };
    testing::RunRead(job);
    EXPECT_EQ(asked, (std::vector<std::string>{"mp3 " + (root / "sub" / "Song.MP3").string()}));
    EXPECT_EQ(FindItem(job.disk, "sub/Song.MP3")->textAttribute(attr::Title), "A Title");
    EXPECT_FALSE(FindItem(job.disk, "other.txt")->hasAttribute(attr::Title));
    EXPECT_FALSE(FindItem(job.disk, "link.mp3")->hasAttribute(attr::Title));
}

TEST(ReadEngine, ReportsDirectoriesTooDeepOnce) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::path deep = root;
    for (int level = 1; level <= 44; ++level) {
        deep /= "L" + std::to_string(level);
        fs::create_directories(deep);
        testing::WriteFile(deep / "f.txt", std::string(static_cast<size_t>(level), 'x'));
    }
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    testing::RunRead(job);
    // The disk lies in a folder, two levels below the catalog's root. Its files may lie at most
    // 38 levels below it, so directories below level 37 of the walk are not entered, and the
    // catalog can be written.
    EXPECT_EQ(CatalogListing(job.disk), FindListing(root, kMaxFileLevels - 3));
    EXPECT_EQ(setup.prompter.shown().size(), 1u);
    EXPECT_TRUE(WriteCatalog(setup.tree, [](std::string_view) { return true; }));
}

}  // namespace
}  // namespace shelfmark
