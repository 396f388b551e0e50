#include <gtest/gtest.h>

#include "foundation/StringFormat.h"
#include "reading/audio/AudioDriveDetails.h"
#include "reading/audio/DiscInformation.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ScopedConfigHome;
using testing::WriteFile;

AudioDisc Disc(std::vector<Msf> starts, Msf leadOut) {
    AudioDisc disc;
    int number = 1;
    for (const Msf& start : starts)
        disc.tracks.push_back({number++, TrackType::Audio, start, {}});
    disc.leadOut = leadOut;
    return disc;
}

AudioDisc AudioSample() {
    AudioDisc disc;
    EXPECT_EQ(ReadDrive({{}, (testing::SourceDir() / "samples/cdrom/audio-cd.ini").string()}, disc),
              cdrom::CdromStatus::Ok);
    return disc;
}

TEST(CdPlayerKey, ThreeTracksAddOnlyTheStarts) {
    // 0x000221 + 0x030A05 + 0x050000, worked out by hand.
    const AudioDisc disc = Disc({{0, 2, 33}, {3, 10, 5}, {5, 0, 0}}, {7, 0, 0});
    EXPECT_EQ(CdPlayerKey(disc), 545u + 199173u + 327680u);
}

TEST(CdPlayerKey, TwoTracksAddLengthOneAndTrackOneFrames) {
    // Length: 7:00:00 is frame 31500, less the first start 183, less 1 = 31316.
    const AudioDisc disc = Disc({{0, 2, 33}, {3, 10, 5}}, {7, 0, 0});
    EXPECT_EQ(disc.length().frameCount(), 31316u);
    EXPECT_EQ(CdPlayerKey(disc), 545u + 199173u + 31316u + 1 + 33);
}

TEST(CdPlayerKey, OneTrackAddsLengthAndOne) {
    const AudioDisc disc = Disc({{0, 2, 33}}, {40, 0, 0});
    EXPECT_EQ(CdPlayerKey(disc), 545u + (180000u - 183 - 1) + 1);
}

TEST(CdPlayerKey, DataTracksAreLeftOutOfTheSum) {
    AudioDisc disc = Disc({{0, 2, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, {9, 0, 0});
    const uint32_t allAudio = CdPlayerKey(disc);
    disc.tracks[3].type = TrackType::Data;
    EXPECT_EQ(CdPlayerKey(disc), allAudio - (3u << 16));
    // The samples, summed by hand from their MSF starts.
    EXPECT_EQ(CdPlayerKey(AudioSample()), 2718333u);
}

TEST(CdPlayerIni, SectionIsTheKeyInUpperCaseHexWithFourDigits) {
    ScopedConfigHome home;
    WriteFile(
        home.configDir() / "cdplayer.ini",
        "[1a3]\nnumtracks=9\n"
        "[01A3]\nartist=Ann Other\ntitle=Quiet Rooms\nnumtracks=3\n0=Hall\n2=Attic\norder=0 1 2\n");
    DiscInformation information;
    ASSERT_TRUE(LookUpCdPlayerIni(0x1A3, information));
    ASSERT_EQ(information.titles.size(), 4u);
    ASSERT_EQ(information.artists.size(), 4u);
    EXPECT_EQ(information.title(0), "Quiet Rooms");
    EXPECT_EQ(information.artist(0), "Ann Other");
    EXPECT_EQ(information.title(1), "Hall");
    EXPECT_EQ(information.title(2), "");  // key "1" is missing
    EXPECT_EQ(information.title(3), "Attic");
    for (size_t i = 1; i <= 3; ++i)
        EXPECT_EQ(information.artist(i), "Ann Other");
}

TEST(CdPlayerIni, MissingSectionsFileAndBadCountsAreNotFound) {
    ScopedConfigHome home;
    DiscInformation information;
    EXPECT_FALSE(LookUpCdPlayerIni(0x1234, information));
    WriteFile(home.configDir() / "cdplayer.ini",
              "[1234]\nnumtracks=0\n[5678]\ntitle=x\n[9ABC]\nnumtracks=2000000000\n[DEF0]"
              "\nnumtracks=-3\n");
    for (uint32_t key : {0x1234u, 0x5678u, 0x9ABCu, 0xDEF0u, 0x4321u})
        EXPECT_FALSE(LookUpCdPlayerIni(key, information)) << key;
}

TEST(DiscInformation, CdTextWhenWantedElseCdPlayerIni) {
    ScopedConfigHome home;
    WriteFile(home.configDir() / "cdplayer.ini",
              "[297A7D]\nartist=Ini Artist\ntitle=Ini Title\nnumtracks=5\n0=One\n1=Two\n");
    const AudioDisc disc = AudioSample();

    DiscInformation information;
    ASSERT_TRUE(LookUpDiscInformation(disc, true, information));
    EXPECT_EQ(information.key, 0x297A7Du);
    EXPECT_EQ(information.title(0), "Harbour Lights");
    EXPECT_EQ(information.artist(0), "The Tidewater Band");
    EXPECT_EQ(information.title(3), "Lanterns");
    EXPECT_EQ(information.title(5), "Homeward");

    ASSERT_TRUE(LookUpDiscInformation(disc, false, information));
    EXPECT_EQ(information.title(0), "Ini Title");
    EXPECT_EQ(information.title(2), "Two");
    EXPECT_EQ(information.artist(5), "Ini Artist");
    EXPECT_EQ(information.titles.size(), 6u);

    // Without CD-Text on the disc the file is asked even when CD-Text is wanted.
    AudioDisc withoutText = disc;
    withoutText.cdText.clear();
    ASSERT_TRUE(LookUpDiscInformation(withoutText, true, information));
    EXPECT_EQ(information.title(0), "Ini Title");
}

TEST(DiscInformation, DataOnlyDiscAndUnknownDiscGiveNothing) {
    ScopedConfigHome home;
    DiscInformation information;
    information.titles = {"stale"};
    EXPECT_FALSE(LookUpDiscInformation(AudioSample(), false, information));
    EXPECT_TRUE(information.titles.empty());

    AudioDisc dataOnly = Disc({{0, 2, 0}}, {60, 0, 0});
    dataOnly.tracks[0].type = TrackType::Data;
    // Even a file entry under the key a data disc would have does not name it.
    WriteFile(home.configDir() / "cdplayer.ini",
              "[" + StringPrintf("%04X", CdPlayerKey(dataOnly)) + "]\nnumtracks=1\ntitle=No\n");
    EXPECT_FALSE(LookUpDiscInformation(dataOnly, true, information));
    EXPECT_EQ(information.key, 0u);
}

TEST(DiscName, FormatOrArtistDashTitle) {
    DiscInformation information;
    EXPECT_EQ(ProposeAudioDiscName(information, false, {}), "");
    information.artists = {"The Tidewater Band"};
    information.titles = {"Harbour Lights"};
    EXPECT_EQ(ProposeAudioDiscName(information, false, "%2 (%1)"),
              "The Tidewater Band - Harbour Lights");
    EXPECT_EQ(ProposeAudioDiscName(information, true, "%2 (%1)"),
              "Harbour Lights (The Tidewater Band)");
    EXPECT_EQ(ProposeAudioDiscName(information, true, ""), "The Tidewater Band - Harbour Lights");
    // Each variable is replaced over the text the one before produced.
    information.artists = {"A%2"};
    information.titles = {"T"};
    EXPECT_EQ(ProposeAudioDiscName(information, true, "%1/%2"), "AT/T");
    information.artists = {""};
    EXPECT_EQ(ProposeAudioDiscName(information, false, {}), " - T");
}

}  // namespace
}  // namespace shelfmark
