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
    EXPECT_EQ(TrackDescription(2, "Band", "Intro", "%1 %3"), "02 Intro");
    EXPECT_EQ(TrackDescription(2, "Band", "Intro", ""), "Intro");
    EXPECT_EQ(TrackDescription(2, "Band", "Intro", "%2: %3"), "Band: Intro");
}

TEST(TrackNaming, TrackDescriptionNeedsANumberAndANameOfSomeKind) {
    EXPECT_EQ(TrackDescription(5, "Band", "", "%1 %2 %3"), "05 Band ");
    EXPECT_EQ(TrackDescription(5, "Band", "", ""), "");
    EXPECT_EQ(TrackDescription(0, "Band", "Intro", "%1"), "");
    EXPECT_EQ(TrackDescription(1, "", "", "%1"), "");
}

}  // namespace
}  // namespace shelfmark
