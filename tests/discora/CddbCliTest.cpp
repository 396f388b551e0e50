// shelfmark-cli cddb against the CDDB test server over loopback.
#include <gtest/gtest.h>

#include <string>

#include "tests/discora/CddbServers.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

class CddbCli : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(root_ / "rock");
        WriteFile(root_ / "rock/04018e02",
                  "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t15000\n#\n# Disc length: 400\n"
                  "#\n# Revision: 4\n#\nDISCID=04018e02\nDTITLE=Björk / Début\nDYEAR=1993\n"
                  "DGENRE=Pop\nTTITLE0=Human Behaviour\nTTITLE1=Guest / Crying\nEXTD=\n"
                  "EXTT0=\nEXTT1=\nPLAYORDER=\n");
        server_ = std::make_unique<CddbTestServer>(root_.path(), logs_ / "log");
        ASSERT_TRUE(server_->running());
    }

    std::string site(bool http) const {
        return http ? "127.0.0.1 http " + std::to_string(server_->httpPort()) +
                          " /~cddb/cddb.cgi N000.00 W000.00 local"
                    : "127.0.0.1 cddbp " + std::to_string(server_->cddbpPort()) +
                          " - N000.00 W000.00 local";
    }

    static CommandResult Cli(const std::string& args) {
        return RunCommand(ShellQuote(SHELFMARK_CLI_PATH) + " cddb " + args + " 2>/dev/null");
    }

    TempDir root_;
    TempDir logs_;
    std::unique_ptr<CddbTestServer> server_;
};

TEST_F(CddbCli, QueryAndReadOnBothTransports) {
    for (bool http : {false, true}) {
        const CommandResult query =
            Cli("query --toc '150 15000 30000' --site " + ShellQuote(site(http)));
        EXPECT_EQ(query.exitCode, 0);
        EXPECT_EQ(query.out, "rock 04018e02 Björk / Début\n");
        const CommandResult read = Cli("read rock 04018e02 --site " + ShellQuote(site(http)));
        EXPECT_EQ(read.exitCode, 0);
        EXPECT_NE(read.out.find("Artist: Björk\nTitle: Début\nYear: 1993\n"), std::string::npos)
            << read.out;
        EXPECT_NE(read.out.find("02\t15000\tGuest / Crying\n"), std::string::npos);
    }
    const CommandResult none = Cli("query --toc '150 300 99000' --site " + ShellQuote(site(true)));
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(Cli("read rock 0badbad0 --site " + ShellQuote(site(false))).exitCode, 1);
}

TEST_F(CddbCli, CategoriesSitesAndSubmissionThroughAProxy) {
    const CommandResult categories = Cli("lscat --site " + ShellQuote(site(false)));
    EXPECT_EQ(categories.exitCode, 0);
    EXPECT_EQ(categories.out.substr(0, 16), "blues\nclassical\n");
    const CommandResult sites = Cli("sites --site " + ShellQuote(site(true)));
    EXPECT_EQ(sites.exitCode, 0);
    EXPECT_NE(sites.out.find(site(true).substr(0, site(true).find(" N000"))), std::string::npos);

    const std::string proxy = "--proxy 127.0.0.1:" + std::to_string(server_->httpPort()) +
                              " --proxy-user u --proxy-password p";
    const CommandResult submit =
        Cli("submit " + ShellQuote((root_ / "rock/04018e02").string()) +
            " --email me@example.org --category misc " + proxy + " --site " +
            ShellQuote("cddb.invalid http 80 /~cddb/cddb.cgi N000.00 W000.00 proxied"));
    EXPECT_EQ(submit.exitCode, 0);
    EXPECT_EQ(submit.out, "submitted misc 04018e02\n");
    const std::string stored = ReadFile(root_ / "misc/04018e02");
    EXPECT_NE(stored.find("# Revision: 5\r\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("DTITLE=Björk / Début\r\n"), std::string::npos);
    EXPECT_NE(ReadFile(logs_ / "log").find("Proxy-Authorization: Basic dTpw"), std::string::npos);
}

TEST_F(CddbCli, UsageErrorsAndFailures) {
    EXPECT_EQ(Cli("").exitCode, 2);
    EXPECT_EQ(Cli("query").exitCode, 2);
    EXPECT_EQ(Cli("query --toc '150 x'").exitCode, 2);
    EXPECT_EQ(Cli("read rock").exitCode, 2);
    EXPECT_EQ(Cli("lscat --proxy nohost").exitCode, 2);
    EXPECT_EQ(Cli("lscat --site 'host http 0 /x N W d'").exitCode, 2);
    EXPECT_EQ(Cli("submit x.xmcd --category rock").exitCode, 2);
    EXPECT_EQ(Cli("lscat --level 4").exitCode, 2);
    // Nothing listens on port 1 of the loopback address.
    EXPECT_EQ(Cli("lscat --site '127.0.0.1 cddbp 1 - N000.00 W000.00 closed'").exitCode, 1);
    // A record file is required to be xmcd.
    TempDir files;
    WriteFile(files / "bad.xmcd", "not a record\n");
    EXPECT_EQ(Cli("submit " + ShellQuote((files / "bad.xmcd").string()) +
                  " --email a@b --category rock --site " + ShellQuote(site(true)))
                  .exitCode,
              1);
    // cddbp cannot carry submissions.
    EXPECT_EQ(Cli("submit " + ShellQuote((root_ / "rock/04018e02").string()) +
                  " --email a@b --category rock --site " + ShellQuote(site(false)))
                  .exitCode,
              1);
}

// A failed exchange says why on standard error, for a person reading it.
TEST_F(CddbCli, FailuresNameTheReason) {
    const std::string cli = "LC_ALL=C " + ShellQuote(SHELFMARK_CLI_PATH) + " cddb ";
    const CommandResult refused = RunCommand(
        cli + "lscat --site '127.0.0.1 cddbp 1 - N000.00 W000.00 closed' 2>&1 >/dev/null");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out,
              "shelfmark-cli: reading the CDDB category list failed: cannot connect to 127.0.0.1 "
              "port 1: Connection refused\n");
    const CommandResult unresolved = RunCommand(
        cli + "query --toc '150 15000 30000' --site "
              "'no-such-host.invalid http 80 /~cddb/cddb.cgi N000.00 W000.00 x' 2>&1 >/dev/null");
    EXPECT_EQ(unresolved.exitCode, 1);
    EXPECT_EQ(unresolved.out.rfind(
                  "shelfmark-cli: CDDB query failed: cannot resolve no-such-host.invalid: ", 0),
              0u)
        << unresolved.out;
    const CommandResult unknown =
        RunCommand(cli + "read rock 0badc0de --site " + ShellQuote(site(false)) + " 2>&1 >/dev/null");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.out.rfind("shelfmark-cli: CDDB read failed: the server answered \"4", 0), 0u)
        << unknown.out;
}

}  // namespace
}  // namespace shelfmark::testing
