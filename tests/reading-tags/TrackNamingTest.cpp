#include <gtest/gtest.h>

#include "reading/tags/TrackNaming.h"

namespace shelfmark {
namespace {

TEST(TrackNaming, DefaultFormatIsArtistDashTitle) {
    TagRecord tags;
    tags.title = "Song";
    tags.artist = "Band";
    EXPECT_EQ(Mp3Description(tags, "%2 - %1"), "Band - Song");
}

TEST(TrackNaming, TrackNumberHasTwoDigits) {
    TagRecord tags;
    tags.title = "Song";
    tags.trackNumber = 3;
    EXPECT_EQ(Mp3Description(tags, "%5. %1"), "03. Song");
}

TEST(TrackNaming, EveryOccurrenceAndEveryVariable) {
    TagRecord tags{"T", "A", "L", "C", 12};
    EXPECT_EQ(Mp3Description(tags, "%1%1 %2 %3 %4 %5 %6 %"), "TT A L C 12 %6 %");
}

TEST(TrackNaming, LaterVariablesApplyToSubstitutedText) {
    TagRecord tags;
    tags.title = "100%2";
    tags.artist = "X";
    EXPECT_EQ(Mp3Description(tags, "%1"), "100X");
}

TEST(TrackNaming, TrackNumberFromPath) {
    EXPECT_EQ(TrackNumberFromPath("D:\\Track02.cda"), 2);
    EXPECT_EQ(TrackNumberFromPath("/media/cdrom/Track11.cda"), 11);
    EXPECT_EQ(TrackNumberFromPath("/media/cdrom/Intro.cda"), 0);
    EXPECT_EQ(TrackNumberFromPath("Track.cda"), 0);
}

TEST(TrackNaming, TrackDescriptionWithAndWithoutFormat) {
    DiscNames disc;
    disc.artist = "Band";
    disc.trackTitles = {"Opening", "Intro"};
    EXPECT_EQ(TrackDescription(2, disc, "%1 %3"), "02 Intro");
    EXPECT_EQ(TrackDescription(2, disc, ""), "Intro");
    EXPECT_EQ(TrackDescription(2, disc, "%2: %3"), "Band: Intro");
}

TEST(TrackNaming, TrackArtistOverridesDiscArtist) {
    DiscNames disc;
    disc.artist = "Various";
    disc.trackArtists = {"", "Guest"};
    disc.trackTitles = {"One", "Two"};
    EXPECT_EQ(TrackDescription(1, disc, "%2 - %3"), "Various - One");
    EXPECT_EQ(TrackDescription(2, disc, "%2 - %3"), "Guest - Two");
}

TEST(TrackNaming, TracksBeyondTheListUseTheDiscArtistAndNoTitle) {
    DiscNames disc;
    disc.artist = "Band";
    disc.trackTitles = {"One"};
    EXPECT_EQ(TrackDescription(5, disc, "%1 %2 %3"), "05 Band ");
    EXPECT_EQ(TrackDescription(5, disc, ""), "");
    EXPECT_EQ(TrackDescription(0, disc, "%1"), "");
    EXPECT_EQ(TrackDescription(1, DiscNames{}, "%1"), "");
}

}  // namespace
}  // namespace shelfmark
