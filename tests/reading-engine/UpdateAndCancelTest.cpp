#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <functional>

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
using testing::TempDir;

fs::path MakeTree(const TempDir& dir) {
    const fs::path root = dir / "v";
    fs::create_directories(root / "keep");
    fs::create_directories(root / "gone" / "deeper");
    testing::WriteFile(root / "keep" / "kept.txt", "kept content");
    testing::WriteFile(root / "gone" / "deeper" / "old.txt", "old");
    testing::WriteFile(root / "top.txt", "top");
    for (int i = 0; i < 200; ++i)
        testing::WriteFile(root / "keep" / ("f" + std::to_string(i)),
                           std::string(static_cast<size_t>(i), 'z'));
    return root;
}

size_t CountItems(const CatalogItem* disk) {
    size_t count = 0;
    WalkBelow(disk, EnterAll, [&](CatalogItem&) {
        ++count;
        return true;
    });
    return count;
}

bool AnyUnseen(const CatalogItem* disk) {
    bool unseen = false;
    WalkBelow(disk, EnterAll, [&](CatalogItem& item) {
        unseen = unseen || (item.flags() & itemflag::Unseen);
        return true;
    });
    return unseen;
}

TEST(ReadEngineUpdate, RemovedDirectoryVanishesAndKeptFilesKeepTheirAttributes) {
    TempDir dir;
    const fs::path root = MakeTree(dir);
    ReadSetup setup;
    ReadJob first;
    setup.newJob(first, root);
    first.options.bCalcCRC32 = true;
    ASSERT_EQ(testing::RunRead(first), ReadOutcome::Completed);
    CatalogItem* disk = first.disk;
    CatalogItem* kept = FindItem(disk, "keep/kept.txt");
    ASSERT_NE(kept, nullptr);
    const uint32_t crc = kept->numberAttribute(attr::Crc32).value_or(0);
    ASSERT_NE(crc, 0u);
    setup.tree.setTextAttribute(kept, attr::Description, "my note");
    setup.tree.setNumberAttribute(disk, attr::ExtraNumberFirst, 77);

    fs::remove_all(root / "gone");
    testing::WriteFile(root / "keep" / "new.txt", "brand new");
    testing::WriteFile(root / "top.txt", "top, now longer");

    ReadJob update;
    setup.updateJob(update, disk, root);
    ASSERT_EQ(testing::RunRead(update), ReadOutcome::Completed);
    EXPECT_EQ(update.disk, disk);
    EXPECT_EQ(CatalogListing(disk), FindListing(root));
    EXPECT_EQ(FindItem(disk, "gone"), nullptr);
    EXPECT_EQ(FindItem(disk, "keep/kept.txt"), kept);  // the same item, matched again
    EXPECT_EQ(kept->textAttribute(attr::Description), "my note");
    EXPECT_EQ(kept->numberAttribute(attr::Crc32), crc);  // kept although this read had no CRC
    EXPECT_EQ(disk->numberAttribute(attr::ExtraNumberFirst), 77u);
    EXPECT_EQ(disk->size(), testing::FindTotal(root));
    EXPECT_EQ(setup.folder->size(), disk->size());
    EXPECT_FALSE(AnyUnseen(disk));
    EXPECT_EQ(disk->name(), "Disk");
    // The update keeps the disk's numbers.
    EXPECT_EQ(setup.tree.root()->numberAttribute(attr::DiskId), 2u);
    EXPECT_EQ(disk->numberAttribute(attr::DiskNumber), 1u);
}

TEST(ReadEngineUpdate, ANewNameRenamesTheDisk) {
    TempDir dir;
    const fs::path root = MakeTree(dir);
    ReadSetup setup;
    ReadJob first;
    setup.newJob(first, root, "Old name");
    testing::RunRead(first);
    ReadJob update;
    setup.updateJob(update, first.disk, root);
    update.fields.name = "New name";
    testing::RunRead(update);
    EXPECT_EQ(first.disk->name(), "New name");
}

TEST(ReadEngineUpdate, NamesEqualButForCaseKeepTheirOwnItems) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root);
    testing::WriteFile(root / "readme", "1");
    testing::WriteFile(root / "README", "22");
    ReadSetup setup;
    ReadJob first;
    setup.newJob(first, root);
    testing::RunRead(first);
    setup.tree.setTextAttribute(FindItem(first.disk, "README"), attr::Description, "upper");
    setup.tree.setTextAttribute(FindItem(first.disk, "readme"), attr::Description, "lower");

    ReadJob update;
    setup.updateJob(update, first.disk, root);
    testing::RunRead(update);
    EXPECT_EQ(FindItem(first.disk, "README")->textAttribute(attr::Description), "upper");
    EXPECT_EQ(FindItem(first.disk, "readme")->textAttribute(attr::Description), "lower");
    EXPECT_EQ(CountItems(first.disk), 2u);
}

// Cancels once `after` files were counted, from the progress callback as a user would.
void CancelAfter(ReadJob& job, uint64_t after) {
    job.progressInterval = std::chrono::milliseconds(0);
    job.progress = [&job, after](const ReadProgress& progress) {
        if (progress.files >= after)
            job.cancel.request();
    };
}

TEST(ReadEngineCancel, ACancelledNewReadLeavesTheCatalogAsBefore) {
    TempDir dir;
    const fs::path root = MakeTree(dir);
    ReadSetup setup;
    ReadJob earlier;
    setup.newJob(earlier, root, "Earlier");
    testing::RunRead(earlier);
    const uint64_t folderSize = setup.folder->size();
    const uint32_t nextId = setup.tree.root()->numberAttribute(attr::DiskId).value_or(0);
    const uint32_t nextNumber = setup.tree.root()->numberAttribute(attr::DiskNumber).value_or(0);
    const uint64_t items = setup.tree.countItems(TopLevel);

    ReadJob job;
    setup.newJob(job, root, "Cancelled");
    job.fields.diskId = 50;  // another ID than the one offered
    CancelAfter(job, 64);
    EXPECT_EQ(testing::RunRead(job), ReadOutcome::Cancelled);
    EXPECT_EQ(job.disk, nullptr);
    EXPECT_EQ(setup.tree.countItems(TopLevel), items);
    EXPECT_EQ(setup.folder->size(), folderSize);
    EXPECT_EQ(setup.tree.root()->numberAttribute(attr::DiskId), nextId);
    EXPECT_EQ(setup.tree.root()->numberAttribute(attr::DiskNumber), nextNumber);
}

TEST(ReadEngineCancel, ACancelledUpdateKeepsWhatItRead) {
    TempDir dir;
    const fs::path root = MakeTree(dir);
    ReadSetup setup;
    ReadJob first;
    setup.newJob(first, root);
    testing::RunRead(first);
    CatalogItem* disk = first.disk;
    const uint64_t oldSize = disk->size();
    const size_t oldItems = CountItems(disk);
    fs::remove_all(root / "gone");

    ReadJob update;
    setup.updateJob(update, disk, root);
    CancelAfter(update, 64);
    EXPECT_EQ(testing::RunRead(update), ReadOutcome::Cancelled);
    EXPECT_EQ(update.disk, disk);
    // Nothing was deleted, not even what is gone from the volume; no mark is left behind.
    EXPECT_EQ(CountItems(disk), oldItems);
    EXPECT_NE(FindItem(disk, "gone/deeper/old.txt"), nullptr);
    EXPECT_FALSE(AnyUnseen(disk));
    EXPECT_EQ(setup.folder->size(), oldSize);
    WalkBelow(disk, EnterAll, [](CatalogItem& item) {
        if (item.next()) {
            EXPECT_LE(CompareTreeOrder(item, *item.next()), 0);
        }
        return true;
    });
}

TEST(ReadEngineCancel, ACancelSetBeforeTheFirstEntryReadsNothing) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root);
    testing::WriteFile(root / "big.bin", std::string(1 << 20, 'b'));
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    job.options.bCalcCRC32 = true;
    job.cancel.request();  // already set: the walk stops before its first entry
    EXPECT_EQ(testing::RunRead(job), ReadOutcome::Cancelled);
    EXPECT_EQ(setup.folder->firstChild(), nullptr);
}

// Runs `body` as an unprivileged user so that permissions hold even for tests run as root;
// its text comes back through a pipe.
std::string RunUnprivileged(const std::function<std::string()>& body) {
    if (::geteuid() != 0)
        return body();
    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const std::string out = body();
        const bool written =
            ::write(fds[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
        ::_exit(written ? 0 : 4);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return text;
}

TEST(ReadEngine, SkipsAndReportsDirectoriesThatCannotBeEntered) {
    TempDir dir;
    fs::permissions(dir.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const fs::path root = dir / "v";
    fs::create_directories(root / "closed");
    fs::create_directories(root / "open");
    testing::WriteFile(root / "closed" / "secret.txt", "12345");
    testing::WriteFile(root / "open" / "visible.txt", "123");
    testing::SetTime(root / "open" / "visible.txt", 1000000000);
    fs::permissions(root / "closed", fs::perms::none);

    const std::string out = RunUnprivileged([&] {
        ReadSetup setup;
        ReadJob job;
        setup.newJob(job, root);
        testing::RunRead(job);
        std::string text;
        for (const std::string& line : CatalogListing(job.disk))
            text += line + "\n";
        for (const std::string& shown : setup.prompter.shownTexts())
            text += "! " + shown + "\n";
        return text;
    });
    const std::string closed = (root / "closed").string();
    EXPECT_EQ(out, "d open 3\nf open/visible.txt 3 1000000000\n! Error changing to directory '" +
                       closed + "': Permission denied.\n\nDirectory is skipped.\n");
}

AudioDisc ThreeTrackDisc() {
    AudioDisc disc;
    disc.tracks.push_back({1, TrackType::Audio, {0, 2, 0}, {3, 10, 5}});
    disc.tracks.push_back({2, TrackType::Audio, {63, 12, 5}, {4, 1, 0}});
    disc.tracks.push_back({3, TrackType::Data, {67, 13, 5}, {20, 0, 0}});
    disc.leadOut = {87, 13, 5};
    return disc;
}

int64_t LocalTrackDate(int minutes, int seconds) {
    std::tm base{};
    base.tm_year = 95;
    base.tm_mday = 1;
    base.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&base)) + minutes * 60 + seconds;
}

TEST(ReadEngineAudio, AnAudioCdGetsOneItemPerAudioTrack) {
    TempDir dir;
    const fs::path root = dir / "cd";
    fs::create_directories(root);
    testing::WriteFile(root / "Track01.cda", std::string(44, 'c'));
    ReadSetup setup;
    ReadJob job;
    setup.newJob(job, root);
    job.drive.type = DriveType::CdRom;
    job.drive.audio = ThreeTrackDisc();
    std::vector<std::string> described;
    job.services.hasProvider = [](std::string_view extension) { return extension == "cda"; };
    job.services.describe = [&](std::string_view, const std::string& path, CatalogTree&,
                                CatalogItem*) { described.push_back(path); };
    ASSERT_EQ(testing::RunRead(job), ReadOutcome::Completed);

    const CatalogItem* disk = job.disk;
    EXPECT_EQ(disk->mediaType(), MediaType::AudioCd);
    EXPECT_EQ(CatalogListing(disk),
              (testing::Listing{"f Track01.cda 44 " + std::to_string(LocalTrackDate(0, 2)),
                                "f Track02.cda 44 " + std::to_string(LocalTrackDate(63, 12))}));
    const CatalogItem* second = FindItem(job.disk, "Track02.cda");
    EXPECT_EQ(second->numberAttribute(attr::TrackNumber), 2u);
    EXPECT_EQ(second->numberAttribute(attr::Length), 4u * 60 + 1);
    EXPECT_EQ(disk->numberAttribute(attr::Length), job.drive.audio->lengthSeconds());
    EXPECT_EQ(described, (std::vector<std::string>{root.string() + "/Track01.cda",
                                                   root.string() + "/Track02.cda"}));
    // The table of contents without its leading byte count, which is the block's own.
    const std::vector<uint8_t> toc = job.drive.audio->tocRecord();
    const auto stored = disk->blockAttribute(attr::Toc);
    ASSERT_TRUE(stored);
    EXPECT_EQ(std::vector<uint8_t>(stored->begin(), stored->end()),
              std::vector<uint8_t>(toc.begin() + 4, toc.end()));
    EXPECT_EQ(stored->size(), 4u * 4);  // three starts and the lead-out
}

TEST(ReadEngineAudio, MixedModeCdsFollowTheExtraOptions) {
    TempDir dir;
    const fs::path root = dir / "cd";
    fs::create_directories(root / "DATA");
    testing::WriteFile(root / "DATA" / "setup.txt", "s");
    testing::WriteFile(root / "autorun.inf", "a");

    auto read = [&](bool data, bool audio) {
        ReadSetup setup;
        ReadJob job;
        setup.newJob(job, root);
        job.drive.type = DriveType::CdRom;
        job.drive.audio = ThreeTrackDisc();
        job.drive.hasData = true;
        job.options.bCDExtraData = data;
        job.options.bCDExtraAudio = audio;
        testing::RunRead(job);
        std::string text = std::to_string(static_cast<int>(job.disk->mediaType()));
        for (const std::string& line : CatalogListing(job.disk))
            text += ";" + line.substr(0, line.find(' ', 2));
        return text;
    };
    EXPECT_EQ(read(false, true), "2;f Track01.cda;f Track02.cda");
    EXPECT_EQ(read(false, false), "1");
    EXPECT_EQ(read(true, false), "1;d DATA;f DATA/setup.txt;f autorun.inf");
    EXPECT_EQ(read(true, true),
              "2;d DATA;f DATA/setup.txt;f Track01.cda;f Track02.cda;f autorun.inf");
}

}  // namespace
}  // namespace shelfmark
