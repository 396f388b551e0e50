// The CDDB settings as stored, the password scrambling, the page's checks and the name formats.
#include <gtest/gtest.h>

#include "cdlookup/CddbSettings.h"
#include "discora/Discora.h"
#include "platform/settings/SettingsStore.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::TempDir;

TEST(CddbSettings, DefaultsAndPorts) {
    TempDir dir;
    SettingsStore store((dir / "settings.ini").string());
    const CddbSettings settings = CddbSettings::Load(store);
    EXPECT_EQ(settings, CddbSettings{});
    EXPECT_TRUE(settings.bSaveDiscInfo);
    EXPECT_TRUE(settings.Password.empty());
    // A lookup without a stored port goes to 80; the page proposes 8080.
    EXPECT_EQ(settings.lookupPort(), 80);
    EXPECT_EQ(settings.shownPort(), 8080u);
    // With the switches off the formats are not used, whatever text is stored.
    CddbSettings off;
    off.DiscFormat = "%2 (%1)";
    off.TrackFormat = "%3 %2";
    EXPECT_EQ(off.discFormat(), "");
    EXPECT_EQ(off.trackFormat(), "");
}

TEST(CddbSettings, SavedValuesReadBackAndPasswordIsScrambled) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    CddbSettings settings;
    settings.bUseDiscFormat = true;
    settings.DiscFormat = "%2 (%1)";
    settings.bSaveDiscInfo = false;
    settings.Email = "me@example.org";
    settings.Host = "proxy.local";
    settings.Port = 3128;
    settings.Name = "u";
    settings.Password = "abc";
    {
        SettingsStore store(path);
        settings.save(store);
        ASSERT_TRUE(store.save());
    }
    SettingsStore again(path);
    EXPECT_EQ(CddbSettings::Load(again), settings);
    // Three letters give three bytes: 'a' ^ 0x3C, 'b' ^ 'a', 'c' ^ 'b'.
    const auto stored = again.getBinary(kCddbSubKey, "Password");
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, (std::vector<uint8_t>{0x61 ^ 0x3C, 0x62 ^ 0x61, 0x63 ^ 0x62}));
    EXPECT_EQ(again.getInt(kCddbSubKey, "Port", 0), 3128);
}

TEST(CddbSettings, PasswordScramblingRoundTrips) {
    EXPECT_TRUE(ScramblePassword("").empty());
    EXPECT_EQ(UnscramblePassword({}), "");
    for (const std::string password : {"x", "secret", "p\xC3\xA4ss w\xC3\xB6rd", "aaaa"})
        EXPECT_EQ(UnscramblePassword(ScramblePassword(password)), password);
    // Repeated letters scramble to zero bytes after the first.
    EXPECT_EQ(ScramblePassword("aaa"), (std::vector<uint8_t>{0x61 ^ 0x3C, 0, 0}));
}

TEST(CddbSettings, EmailAndPortChecksOfThePage) {
    EXPECT_TRUE(IsAcceptableEmail(""));
    EXPECT_TRUE(IsAcceptableEmail("me@example.org"));
    EXPECT_TRUE(IsAcceptableEmail("first.last@example.org"));
    EXPECT_FALSE(IsAcceptableEmail("me@example"));       // no period after the at sign
    EXPECT_FALSE(IsAcceptableEmail("first.last@host"));  // its only period before it
    EXPECT_FALSE(IsAcceptableEmail("example.org"));

    CddbSettings page;
    page.Email = "me@example";
    EXPECT_EQ(page.checkCddbPage(), "Please fill out this field correctly.");
    page.Email = "me@example.org";
    EXPECT_EQ(page.checkCddbPage(), std::nullopt);
    page.Port = 0;
    EXPECT_TRUE(page.checkCddbPage());
    page.Port = 65536;
    EXPECT_TRUE(page.checkCddbPage());
    page.Port = 65535;
    EXPECT_EQ(page.checkCddbPage(), std::nullopt);
}

TEST(CddbSettings, ProxyIsSetOnlyWithAHost) {
    CDiscora client("Halvenmoor Shelfmark", "3.30.2004");
    CddbSettings settings;
    EXPECT_TRUE(settings.applyProxy(client));
    settings.Host = "127.0.0.1";
    EXPECT_TRUE(settings.applyProxy(client));
}

TEST(NameFormats, DiscNames) {
    EXPECT_EQ(FormatDiscName("", "A", "T"), "A - T");
    EXPECT_EQ(FormatDiscName("%2 (%1)", "Artist", "Title"), "Title (Artist)");
    // Passes run one after the other: an artist holding "%2" gets the title too.
    EXPECT_EQ(FormatDiscName("%1", "a%2", "T"), "aT");
    EXPECT_EQ(FormatDiscName("%1%1-%2", "x", "y"), "xx-y");
}

TEST(NameFormats, TrackNames) {
    EXPECT_EQ(FormatTrackName("", 7, "TA", "A", "Song"), "Song");
    EXPECT_EQ(FormatTrackName("%3. %2", 7, "", "A", "Song"), "07. Song");
    EXPECT_EQ(FormatTrackName("%1 - %2", 1, "", "Disc Artist", "Song"), "Disc Artist - Song");
    EXPECT_EQ(FormatTrackName("%1 - %2", 1, "Guest", "Disc Artist", "Song"), "Guest - Song");
    // "%3" goes first, so a title holding "%3" keeps it.
    EXPECT_EQ(FormatTrackName("%2/%3", 12, "", "", "a%3"), "a%3/12");
}

}  // namespace
}  // namespace shelfmark
