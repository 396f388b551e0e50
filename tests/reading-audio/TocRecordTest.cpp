#include <gtest/gtest.h>

#include "platform/cdrom/SimulatedDrive.h"
#include "reading/audio/AudioDriveDetails.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

AudioTrack Track(int number, Msf start, TrackType type = TrackType::Audio) {
    return {number, type, start, {}};
}

// The CDDB disc id as the lookup server computes it from the values of a table-of-contents record.
uint32_t DiscIdFromToc(const std::vector<uint32_t>& values) {
    const size_t n = values.size() - 2;
    uint32_t digits = 0;
    for (size_t i = 1; i <= n; ++i)
        for (uint32_t seconds = values[i] / 75; seconds > 0; seconds /= 10)
            digits += seconds % 10;
    const uint32_t total = values[n + 1] / 75 - values[1] / 75;
    return (digits % 255) << 24 | total << 8 | static_cast<uint32_t>(n);
}

TEST(TocRecord, FirstTrackAtZeroIsRaisedAndTheLeadOutFollows) {
    AudioDisc disc;
    disc.tracks = {Track(1, {0, 0, 0}), Track(2, {3, 0, 0})};
    disc.leadOut = {10, 0, 0};
    EXPECT_EQ(disc.length().frameCount(), 45000u - 1);
    const std::vector<uint32_t> values = disc.tocRecordValues();
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0], 12u);  // 4 * (2 + 1)
    EXPECT_EQ(values[1], 150u);
    EXPECT_EQ(values[2], 13500u);
    EXPECT_EQ(values[3], disc.length().frameCount() + 151);
}

TEST(TocRecord, BytesAreLittleEndianWithTheCountFirst) {
    AudioDisc disc;
    disc.tracks = {Track(1, {0, 2, 0})};
    disc.leadOut = {3, 2, 16};  // frame 13666 = 0x3562
    const std::vector<uint8_t> expected = {
        0x08, 0x00, 0x00, 0x00,  // 4 * (1 + 1) bytes follow
        0x96, 0x00, 0x00, 0x00,  // track 1 at frame 150
        0x62, 0x35, 0x00, 0x00,  // the lead-out
    };
    EXPECT_EQ(disc.tocRecord(), expected);
}

TEST(TocRecord, DataOnlyDiscHasNone) {
    AudioDisc disc;
    disc.tracks = {Track(1, {0, 2, 0}, TrackType::Data)};
    disc.leadOut = {50, 0, 0};
    EXPECT_FALSE(disc.hasAudio());
    EXPECT_TRUE(disc.tocRecordValues().empty());
    EXPECT_TRUE(disc.tocRecord().empty());
}

TEST(TocRecord, DataTracksAreCountedInTheRecord) {
    AudioDisc disc;
    disc.tracks = {Track(1, {0, 2, 0}), Track(2, {20, 0, 0}, TrackType::Data)};
    disc.leadOut = {30, 0, 0};
    const std::vector<uint32_t> values = disc.tocRecordValues();
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[2], 90000u);
    EXPECT_EQ(values[3], 135000u);  // the real lead-out when the first track starts at 150
}

TEST(TocRecord, TrackLengthsFillTheDisc) {
    cdrom::SimulatedDisc simulated;
    ASSERT_EQ(cdrom::LoadSimulatedDisc(
                  (testing::SourceDir() / "samples/cdrom/audio-cd.ini").string(), simulated),
              cdrom::CdromStatus::Ok);
    const AudioDisc disc = DiscFromToc(simulated.toc);
    ASSERT_EQ(disc.trackCount(), 5);
    uint32_t sum = 0;
    for (const AudioTrack& track : disc.tracks)
        sum += track.length.frameCount();
    EXPECT_EQ(sum, disc.length().frameCount());
    EXPECT_EQ(disc.tracks[0].length, (Msf{4, 33, 12}));  // 04:35:12 - 00:02:00
    EXPECT_EQ(disc.lengthSeconds(), 21u * 60 + 46);
}

// Python reads the sample file with its own INI parser and computes the record and the CDDB disc
// id from the MSF positions; our loader and record must agree.
TEST(TocRecord, AgreesWithAnIndependentComputationOfTheSamples) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    const char* script =
        "import configparser,sys\n"
        "c=configparser.ConfigParser(comment_prefixes=(';',),strict=False)\n"
        "c.read(sys.argv[1])\n"
        "f=lambda t:(lambda m,s,x:m*4500+s*75+x)(*map(int,t.split(':')))\n"
        "st=[f(v.split()[1]) for k,v in sorted(c['Tracks'].items(),key=lambda kv:int(kv[0]))]\n"
        "lo=f(c['Disc']['LeadOut'])\n"
        "ds=lambda n:sum(map(int,str(n)))\n"
        "i=(sum(ds(s//75) for s in st)%255)<<24|(lo//75-st[0]//75)<<8|len(st)\n"
        "print(' '.join(map(str,[4*(len(st)+1)]+st+[lo])), '%08x'%i)\n";
    testing::TempDir dir;
    testing::WriteFile(dir / "toc.py", script);
    for (const char* sample : {"audio-cd.ini", "mixed-cd.ini"}) {
        const std::string path = (testing::SourceDir() / "samples/cdrom" / sample).string();
        const testing::CommandResult python =
            testing::RunCommand("python3 " + testing::ShellQuote((dir / "toc.py").string()) + " " +
                                testing::ShellQuote(path));
        ASSERT_EQ(python.exitCode, 0) << sample;

        cdrom::SimulatedDisc simulated;
        ASSERT_EQ(cdrom::LoadSimulatedDisc(path, simulated), cdrom::CdromStatus::Ok) << sample;
        const std::vector<uint32_t> values = DiscFromToc(simulated.toc).tocRecordValues();
        std::string ours;
        for (uint32_t value : values)
            ours += (ours.empty() ? "" : " ") + std::to_string(value);
        char id[16];
        std::snprintf(id, sizeof id, "%08x", DiscIdFromToc(values));
        EXPECT_EQ(ours + " " + id + "\n", python.out) << sample;
    }
}

}  // namespace
}  // namespace shelfmark
