// The simulated mixed-mode disc read into a catalog by shelfmark-cli, checked item by item
// against its description: the data files, one item per audio track, the table of contents.
#include <gtest/gtest.h>

#include <ctime>
#include <map>

#include "catalog/CatalogFile.h"
#include "foundation/Prompter.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

// 1 January 1995, 00:00:00 local time, plus a track's start (minutes, seconds).
int32_t TrackDate(int minutes, int seconds) {
    std::tm start{};
    start.tm_year = 95;
    start.tm_mday = 1;
    start.tm_hour = minutes / 60;
    start.tm_min = minutes % 60;
    start.tm_sec = seconds;
    start.tm_isdst = -1;
    return static_cast<int32_t>(std::mktime(&start));
}

uint32_t Le32(std::span<const uint8_t> bytes, size_t index) {
    const size_t at = index * 4;
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<uint32_t>(bytes[at + 3]) << 24;
}

TEST(MixedDiscRead, DataFilesAndAudioTracks) {
    const testing::ScopedConfigHome home;
    const testing::TempDir dir;
    const std::string file = (dir / "extra.tkd").string();
    const std::string simulation = (testing::SourceDir() / "samples/cdrom/mixed-cd.ini").string();
    ASSERT_EQ(RunCommand(ShellQuote(SHELFMARK_CLI_PATH) + " read " + ShellQuote(file) +
                         " --cdrom-sim " + ShellQuote(simulation) + " >/dev/null")
                  .exitCode,
              0);

    CatalogTree tree;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalogFile(file, tree, prompter).ok());
    const CatalogItem* disk = tree.root()->firstChild();
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(disk->mediaType(), MediaType::AudioCd);  // catalog the audio tracks: on by default
    EXPECT_EQ(disk->name(), "TIDEWATER_EXTRA");
    EXPECT_EQ(disk->textAttribute(attr::Volume).value_or(""), "TIDEWATER_EXTRA");
    EXPECT_EQ(disk->numberAttribute(attr::VolumeSerial).value_or(0), 0x3C1F09A2u);
    EXPECT_EQ(disk->numberAttribute(attr::Length).value_or(0), 33u * 60 + 8);

    // The record without its count (the block's own count): the five starts and the lead-out.
    const auto toc = disk->blockAttribute(attr::Toc);
    ASSERT_TRUE(toc);
    ASSERT_EQ(toc->size(), 6u * 4);
    const uint32_t expected[] = {150, 25533, 49657, 74311, 112370, 149255};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(Le32(*toc, i), expected[i]) << i;

    std::map<std::string, const CatalogItem*> children;
    for (const CatalogItem* child = disk->firstChild(); child; child = child->next())
        children[std::string(child->name())] = child;
    for (const char* name : {"README.TXT", "AUTORUN.INF", "LYRICS", "VIDEO"})
        EXPECT_TRUE(children.count(name)) << name;
    EXPECT_FALSE(children.count("Track05.cda"));  // the data track

    struct Expected {
        const char* name;
        uint32_t number;
        uint32_t seconds;
        int startMinutes;
        int startSeconds;
    };
    const Expected tracks[] = {
        {"Track01.cda", 1, 5 * 60 + 38, 0, 2},
        {"Track02.cda", 2, 5 * 60 + 21, 5, 40},
        {"Track03.cda", 3, 5 * 60 + 28, 11, 2},
        {"Track04.cda", 4, 8 * 60 + 27, 16, 30},
    };
    for (const Expected& track : tracks) {
        ASSERT_TRUE(children.count(track.name)) << track.name;
        const CatalogItem* item = children[track.name];
        EXPECT_EQ(item->size(), 44u) << track.name;
        EXPECT_EQ(item->numberAttribute(attr::TrackNumber).value_or(0), track.number) << track.name;
        EXPECT_EQ(item->numberAttribute(attr::Length).value_or(0), track.seconds) << track.name;
        EXPECT_EQ(item->date(), TrackDate(track.startMinutes, track.startSeconds)) << track.name;
    }
}

}  // namespace
}  // namespace shelfmark
