#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

std::string Cli(const std::string& args) { return ShellQuote(SHELFMARK_CLI_PATH) + " " + args; }

TEST(CliBasics, VersionHelpAndExitStatuses) {
    const CommandResult version = RunCommand(Cli("--version"));
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "3.30.2004\n");

    const CommandResult help = RunCommand(Cli("--help"));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: shelfmark-cli COMMAND"), std::string::npos);

    EXPECT_EQ(RunCommand(Cli("no-such-command 2>/dev/null")).exitCode, 2);
    EXPECT_EQ(RunCommand(Cli("2>/dev/null")).exitCode, 2);
    EXPECT_EQ(RunCommand(Cli("help no-such-command 2>/dev/null")).exitCode, 2);
}

}  // namespace
}  // namespace shelfmark::testing
