#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

std::string Cli(const std::string& args) {
    return ShellQuote(SHELFMARK_CLI_PATH) + " " + args;
}
std::string Sample(const char* name) {
    return ShellQuote((SourceDir() / "samples/cdrom" / name).string());
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CdInfoCommand, PrintsTheAudioSample) {
    const ScopedConfigHome home;
    const CommandResult result = RunCommand(Cli("cdinfo --cdrom-sim " + Sample("audio-cd.ini")));
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_TRUE(Contains(result.out, "Tracks: 5\n"));
    EXPECT_TRUE(Contains(result.out, "   2  audio  04:35:12  03:35:28  20637\n"));
    EXPECT_TRUE(Contains(result.out, "TocRecord: 24 150 20637 36790 58128 78070 98122\n"));
    EXPECT_TRUE(Contains(result.out, "CdPlayerKey: 2718333 (cdplayer.ini section [297A7D])\n"));
    EXPECT_TRUE(Contains(
        result.out, "Disc information (CD-Text):\n  Disc: The Tidewater Band / Harbour Lights\n"));
    EXPECT_TRUE(Contains(result.out, "  Track 05: The Tidewater Band / Homeward\n"));
    EXPECT_FALSE(Contains(result.out, "Track 06"));
}

TEST(CdInfoCommand, MixedSampleFromTheEnvironmentWithCdPlayerIni) {
    const ScopedConfigHome home;
    WriteFile(home.configDir() / "cdplayer.ini",
              "[204A65]\nartist=Tidewater\ntitle=Extra\nnumtracks=4\n0=Bonus\n");
    const CommandResult result =
        RunCommand("SHELFMARK_CDROM_SIM=" + Sample("mixed-cd.ini") + " " + Cli("cdinfo"));
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_TRUE(Contains(result.out, "Label: TIDEWATER_EXTRA\nSerial: 3C1F-09A2\n"));
    EXPECT_TRUE(Contains(result.out, "Mixed mode (CD Extra): yes"));
    EXPECT_TRUE(Contains(result.out, "   5  data   24:58:20"));
    EXPECT_TRUE(Contains(result.out, "CD-Text: none\n"));
    EXPECT_TRUE(Contains(result.out,
                         "Disc information (cdplayer.ini):\n  Disc: Tidewater / Extra\n"
                         "  Track 01: Tidewater / Bonus\n  Track 02: Tidewater / \n"));
}

TEST(CdInfoCommand, FailuresAndUsage) {
    EXPECT_EQ(RunCommand(Cli("cdinfo /dev/no-such-cdrom 2>/dev/null")).exitCode, 1);
    EXPECT_EQ(RunCommand(Cli("cdinfo /dev/null 2>/dev/null")).exitCode, 1);
    EXPECT_EQ(RunCommand(Cli("cdinfo --cdrom-sim /no/such.ini 2>/dev/null")).exitCode, 1);
    EXPECT_EQ(RunCommand(Cli("cdinfo /dev/sr0 --cdrom-sim x.ini 2>/dev/null")).exitCode, 2);
    EXPECT_EQ(RunCommand(Cli("cdinfo --bogus 2>/dev/null")).exitCode, 2);
    const CommandResult error = RunCommand(Cli("cdinfo /dev/no-such-cdrom 2>&1"));
    EXPECT_EQ(error.out, "shelfmark-cli: /dev/no-such-cdrom: no such device\n");
}

}  // namespace
}  // namespace shelfmark::testing
