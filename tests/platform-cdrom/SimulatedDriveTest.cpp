#include <gtest/gtest.h>

#include <filesystem>

#include "platform/cdrom/SimulatedDrive.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::cdrom {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::string SamplePath(const char* name) {
    return (testing::SourceDir() / "samples/cdrom" / name).string();
}

std::string WriteDisc(const TempDir& dir, const std::string& text) {
    const std::string path = (dir / "disc.ini").string();
    WriteFile(path, text);
    return path;
}

TEST(CdTextCrc, MatchesPythonCrcCcitt) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    // Title pack of track 0 reading "Harbour Ligh".
    const uint8_t pack[16] = {0x80, 0x00, 0x00, 0x00, 'H', 'a', 'r', 'b',
                              'o',  'u',  'r',  ' ',  'L', 'i', 'g', 'h'};
    const testing::CommandResult python = testing::RunCommand(
        "python3 -c 'import binascii; print(binascii.crc_hqx(bytes([0x80,0,0,0])+b\"Harbour "
        "Ligh\", 0) ^ 0xFFFF)'");
    ASSERT_EQ(python.exitCode, 0);
    EXPECT_EQ(CdTextPackCrc(pack), std::stoul(python.out));
    EXPECT_EQ(CdTextPackCrc(pack), 0x0C5A);  // as the sample disc's first pack carries it
}

TEST(SimulatedDrive, ParsesMsfAndHex) {
    TocEntry entry;
    ASSERT_TRUE(ParseMsf("00:02:00", entry));
    EXPECT_EQ(entry.lba, 0);
    ASSERT_TRUE(ParseMsf("21:48:22", entry));
    EXPECT_EQ(entry.minutes, 21u);
    EXPECT_EQ(entry.seconds, 48u);
    EXPECT_EQ(entry.frames, 22u);
    EXPECT_EQ(entry.lba, 21 * 4500 + 48 * 75 + 22 - 150);
    ASSERT_TRUE(ParseMsf("00:00:00", entry));
    EXPECT_EQ(entry.lba, -150);
    EXPECT_FALSE(ParseMsf("00:60:00", entry));
    EXPECT_FALSE(ParseMsf("00:00:75", entry));
    EXPECT_FALSE(ParseMsf("1:2", entry));
    EXPECT_FALSE(ParseMsf("aa:00:00", entry));
    EXPECT_FALSE(ParseMsf("", entry));

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ParseHexBytes("80 0a FF", bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x80, 0x0A, 0xFF}));
    ASSERT_TRUE(ParseHexBytes("800aff", bytes));
    EXPECT_EQ(bytes.size(), 3u);
    EXPECT_FALSE(ParseHexBytes("8 0", bytes));
    EXPECT_FALSE(ParseHexBytes("80 0", bytes));
    EXPECT_FALSE(ParseHexBytes("zz", bytes));
}

TEST(SimulatedDrive, LoadsTheAudioSample) {
    SimulatedDisc disc;
    std::string error;
    ASSERT_EQ(LoadSimulatedDisc(SamplePath("audio-cd.ini"), disc, &error), CdromStatus::Ok)
        << error;
    EXPECT_EQ(disc.toc.firstTrack, 1);
    EXPECT_EQ(disc.toc.lastTrack, 5);
    ASSERT_EQ(disc.toc.tracks.size(), 5u);
    EXPECT_EQ(disc.toc.tracks[0].lba, 0);
    EXPECT_EQ(disc.toc.tracks[1].lba, 4 * 4500 + 35 * 75 + 12 - 150);
    EXPECT_FALSE(disc.toc.tracks[4].isData);
    EXPECT_EQ(disc.toc.leadOut.track, kLeadOutTrack);
    EXPECT_EQ(disc.toc.leadOut.lba, 98122 - 150);
    EXPECT_TRUE(disc.dataDirectory.empty());
    // 17 packs of 18 bytes behind a header whose length counts everything after itself.
    ASSERT_EQ(disc.cdText.size(), 4u + 17 * 18);
    EXPECT_EQ(disc.cdText[0] << 8 | disc.cdText[1], 17 * 18 + 2);
    EXPECT_EQ(disc.cdText[4], 0x80);
    EXPECT_EQ(disc.cdText[4 + 7 * 18], 0x81);
    for (size_t offset = 4; offset < disc.cdText.size(); offset += 18) {
        const uint16_t crc = CdTextPackCrc(&disc.cdText[offset]);
        EXPECT_EQ(disc.cdText[offset + 16], crc >> 8) << offset;
        EXPECT_EQ(disc.cdText[offset + 17], crc & 0xFF) << offset;
    }
}

TEST(SimulatedDrive, LoadsTheMixedSampleWithItsDataDirectory) {
    SimulatedDisc disc;
    ASSERT_EQ(LoadSimulatedDisc(SamplePath("mixed-cd.ini"), disc), CdromStatus::Ok);
    ASSERT_EQ(disc.toc.tracks.size(), 5u);
    EXPECT_TRUE(disc.toc.tracks[4].isData);
    EXPECT_TRUE(disc.toc.leadOut.isData);
    EXPECT_EQ(disc.label, "TIDEWATER_EXTRA");
    EXPECT_EQ(disc.serial, 0x3C1F09A2u);
    EXPECT_TRUE(disc.cdText.empty());
    EXPECT_TRUE(std::filesystem::path(disc.dataDirectory).is_absolute());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(disc.dataDirectory) / "README.TXT"));
}

TEST(SimulatedDrive, AddsCrcToShortPacksAndSkipsComments) {
    TempDir dir;
    const std::string path = WriteDisc(dir,
                                       "[Disc]\nLeadOut=10:00:00\nSerial=00ff\n"
                                       "[Tracks]\n; one track only\n1=AUDIO 00:02:00\n"
                                       "[CDText]\n; pack 0\n"
                                       "1=80 00 00 00 41 42 43 00 00 00 00 00 00 00 00 00\n");
    SimulatedDisc disc;
    std::string error;
    ASSERT_EQ(LoadSimulatedDisc(path, disc, &error), CdromStatus::Ok) << error;
    EXPECT_EQ(disc.serial, 0xFFu);
    ASSERT_EQ(disc.toc.tracks.size(), 1u);
    ASSERT_EQ(disc.cdText.size(), 4u + 18);
    const uint16_t crc = CdTextPackCrc(&disc.cdText[4]);
    EXPECT_EQ(disc.cdText[20], crc >> 8);
    EXPECT_EQ(disc.cdText[21], crc & 0xFF);
}

TEST(SimulatedDrive, ReportsMissingBusyEmptyAndDamagedDrives) {
    TempDir dir;
    SimulatedDisc disc;
    std::string error;
    EXPECT_EQ(LoadSimulatedDisc((dir / "missing.ini").string(), disc, &error),
              CdromStatus::NoDevice);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(LoadSimulatedDisc(dir.path().string(), disc), CdromStatus::NoDevice);

    EXPECT_EQ(
        LoadSimulatedDisc(WriteDisc(dir, "[Disc]\nBusy=1\n[Tracks]\n1=audio 00:02:00\n"), disc),
        CdromStatus::Busy);
    EXPECT_EQ(LoadSimulatedDisc(WriteDisc(dir, "[Disc]\nLeadOut=10:00:00\n"), disc),
              CdromStatus::NoDisc);
    EXPECT_EQ(
        LoadSimulatedDisc(WriteDisc(dir, "[Disc]\nLeadOut=10:00:00\n[Tracks]\n; none\n"), disc),
        CdromStatus::NoDisc);

    const char* damaged[] = {
        "[Disc]\nLeadOut=10:00:00\n[Tracks]\n1=video 00:02:00\n",
        "[Disc]\nLeadOut=10:00:00\n[Tracks]\n1=audio\n",
        "[Disc]\nLeadOut=10:00:00\n[Tracks]\n1=audio 00:02:80\n",
        "[Disc]\nLeadOut=10:00:00\n[Tracks]\n1=audio 00:02:00\n3=audio 01:00:00\n",
        "[Disc]\nLeadOut=10:00:00\n[Tracks]\n1=audio 02:00:00\n2=audio 01:00:00\n",
        "[Disc]\nLeadOut=01:00:00\n[Tracks]\n1=audio 02:00:00\n",
        "[Disc]\n[Tracks]\n1=audio 02:00:00\n",
        "[Disc]\nLeadOut=10:00:00\n[Tracks]\n0=audio 00:02:00\n",
        "[Disc]\nLeadOut=10:00:00\nSerial=xyz\n[Tracks]\n1=audio 00:02:00\n",
        "[Disc]\nLeadOut=10:00:00\n[Tracks]\n1=audio 00:02:00\n[CDText]\n1=80 00\n",
    };
    for (const char* text : damaged) {
        error.clear();
        EXPECT_EQ(LoadSimulatedDisc(WriteDisc(dir, text), disc, &error), CdromStatus::Failed)
            << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_TRUE(disc.toc.tracks.empty()) << text;
    }
}

TEST(SimulatedDrive, TracksMayBeListedInAnyOrder) {
    TempDir dir;
    SimulatedDisc disc;
    ASSERT_EQ(LoadSimulatedDisc(WriteDisc(dir,
                                          "[Disc]\nLeadOut=10:00:00\n[Tracks]\n"
                                          "2=data 05:00:00\n1=audio 00:02:00\n"),
                                disc),
              CdromStatus::Ok);
    ASSERT_EQ(disc.toc.tracks.size(), 2u);
    EXPECT_EQ(disc.toc.tracks[0].track, 1);
    EXPECT_TRUE(disc.toc.tracks[1].isData);
}

}  // namespace
}  // namespace shelfmark::cdrom
