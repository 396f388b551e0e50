// shelfmark-cli's CD lookup commands on a catalog read from a simulated CD drive, against the
// CDDB test server and scripted HTTP servers.
#include <gtest/gtest.h>

#include "cdlookup/CddbSettings.h"
#include "platform/settings/SettingsStore.h"
#include "tests/cdlookup/CdLookupFixture.h"
#include "tests/discora/CddbServers.h"

namespace shelfmark {
namespace {

using testing::CddbTestServer;
using testing::ReadFile;
using testing::RunCommand;
using testing::ScopedConfigHome;
using testing::ShellQuote;
using testing::SourceDir;
using testing::TempDir;
using testing::WriteFile;

// The table of contents of samples/cdrom/audio-cd.ini.
const std::vector<uint32_t> kSampleToc{150, 20637, 36790, 58128, 78070, 98122};

class CdLookupCli : public ::testing::Test {
  protected:
    CdLookupCli() {
        std::filesystem::create_directories(work / "records");
        const auto read = run("read " + catalog() + " --name 'Unknown CD' --cdrom-sim " +
                              ShellQuote((SourceDir() / "samples/cdrom/audio-cd.ini").string()));
        EXPECT_EQ(read.exitCode, 0) << read.out;
    }
    testing::CommandResult run(const std::string& arguments) {
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " " + arguments + " 2>&1");
    }
    std::string catalog() const { return ShellQuote((work / "cat.tkd").string()); }
    std::string site() {
        if (!server_)
            server_ = std::make_unique<CddbTestServer>(work / "records", work / "server.log");
        return "--site " + ShellQuote(testing::TestSite(server_->httpPort()));
    }
    std::string tree() { return run("tree " + catalog()).out; }

    ScopedConfigHome config;
    TempDir work;
    std::unique_ptr<CddbTestServer> server_;
};

TEST_F(CdLookupCli, LookupNamesTheDiskAndSaves) {
    testing::WriteRecord(
        work / "records", "rock",
        {kSampleToc, "Harbour Lights", "Morning Tide", {"Salt", "Gulls", "Ebb", "Flood", "Home"}});
    EXPECT_EQ(run("cddb settings --track-format '%3. %2'").exitCode, 0);
    const auto result = run("cddb lookup " + catalog() + " 'Unknown CD' " + site());
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(result.out, "Unknown CD: named 'Harbour Lights - Morning Tide'\n");
    EXPECT_NE(tree().find("Harbour Lights - Morning Tide\\ [Audio CD]"), std::string::npos);
    const auto dump = run("dump " + catalog()).out;
    EXPECT_NE(dump.find("\"0x80\": \"03. Ebb\""), std::string::npos);
    EXPECT_NE(ReadFile(config.configDir() / "cdplayer.ini").find("[297A7D]"), std::string::npos);

    // The import reads back what the lookup wrote.
    const auto imported = run("import-cdplayer " + catalog() + " --new-folder Imported");
    EXPECT_EQ(imported.exitCode, 0) << imported.out;
    EXPECT_EQ(imported.out, "added Imported\\Harbour Lights - Morning Tide (5 tracks)\n");
}

TEST_F(CdLookupCli, SeveralMatchesNoMatchAndFailures) {
    std::vector<uint32_t> longer = kSampleToc;
    longer.back() += 300;
    testing::WriteRecord(work / "records", "jazz", {longer, "J", "One", {"a", "b", "c", "d", "e"}});
    longer.back() += 300;
    testing::WriteRecord(work / "records", "rock", {longer, "R", "Two", {"a", "b", "c", "d", "e"}});
    // Not on a terminal and no choice given: listed, nothing chosen, the disk unchanged.
    auto result = run("cddb lookup " + catalog() + " --all " + site() + " < /dev/null");
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("Unknown CD: 2 matches\n  1) jazz "), std::string::npos);
    EXPECT_NE(result.out.find("Unknown CD: no match chosen; unchanged"), std::string::npos);
    result = run("cddb lookup " + catalog() + " --all --choose 2 " + site());
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("Unknown CD: named 'R - Two'"), std::string::npos);

    // Nobody answers: the failure is reported and the exit status is 1.
    result = run("cddb lookup " + catalog() +
                 " --all --site '127.0.0.1 http 9 /~cddb/cddb.cgi N000.00 W000.00 nobody'");
    EXPECT_EQ(result.exitCode, 1) << result.out;
    EXPECT_NE(result.out.find("R - Two: Error accessing CDDB server."), std::string::npos);

    EXPECT_EQ(run("cddb lookup " + catalog() + " --all --first --ask").exitCode, 2);
    EXPECT_EQ(run("cddb lookup " + catalog()).exitCode, 2);
    EXPECT_EQ(run("cddb lookup " + catalog() + " Nothing").exitCode, 1);
}

TEST_F(CdLookupCli, SettingsAreCheckedAndStored) {
    auto result = run("cddb settings --email me@example");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("Please fill out this field correctly."), std::string::npos);
    WriteFile(work / "pw", "p\n");
    result =
        run("cddb settings --email me@example.org --proxy 127.0.0.1:3128 --proxy-user u "
            "--proxy-password-file " +
            ShellQuote((work / "pw").string()) + " --disc-format '%2 (%1)' --save-cdplayer 0");
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("Email=me@example.org\n"), std::string::npos);
    EXPECT_NE(result.out.find("Port=3128\n"), std::string::npos);
    EXPECT_NE(result.out.find("Password=(set)\n"), std::string::npos);
    SettingsStore store((config.configDir() / "settings.ini").string());
    const CddbSettings settings = CddbSettings::Load(store);
    EXPECT_EQ(settings.Password, "p");
    EXPECT_EQ(settings.Host, "127.0.0.1");
    EXPECT_TRUE(settings.bUseDiscFormat);
    EXPECT_FALSE(settings.bSaveDiscInfo);
    EXPECT_EQ(store.getBinary(kCddbSubKey, "Password"), std::vector<uint8_t>{'p' ^ 0x3C});
    EXPECT_EQ(run("cddb settings --proxy nowhere").exitCode, 2);
}

TEST_F(CdLookupCli, SubmitNeedsTheEmailAddress) {
    const std::string record = (work / "edited.xmcd").string();
    WriteFile(record,
              "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t20637\n#\t36790\n#\t58128\n"
              "#\t78070\n#\n# Disc length: 1308 seconds\n#\n# Revision: 0\n"
              "DISCID=41051c05\nDTITLE=Mine / Own\nTTITLE0=a\nTTITLE1=b\nTTITLE2=c\n"
              "TTITLE3=d\nTTITLE4=e\n");
    const std::string command = "cddb submit " + catalog() + " 'Unknown CD' --xmcd " +
                                ShellQuote(record) + " --category misc ";
    auto result = run(command + site());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("no e-mail address"), std::string::npos);
    EXPECT_EQ(run("cddb settings --email me@example.org").exitCode, 0);
    result = run(command + site());
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("submitted misc "), std::string::npos);
    EXPECT_NE(tree().find("Mine - Own\\ [Audio CD]"), std::string::npos);
    const auto submitted = std::filesystem::directory_iterator(work / "records" / "misc");
    EXPECT_NE(ReadFile(submitted->path()).find("DTITLE=Mine / Own"), std::string::npos);
}

TEST_F(CdLookupCli, ImportOnlyChosenSections) {
    WriteFile(config.configDir() / "cdplayer.ini",
              "[1A2B]\nartist=A\ntitle=One\nnumtracks=1\n0=x\n[3C4D]\nartist=B\ntitle=Two\n");
    auto result = run("import-cdplayer " + catalog() + " --list");
    EXPECT_EQ(result.out, "[1A2B] A - One\n[3C4D] B - Two\n");
    result = run("import-cdplayer " + catalog() + " --only 3c4d");
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(result.out, "added B - Two (0 tracks)\n");
    EXPECT_EQ(run("import-cdplayer " + catalog() + " --only FFFF").exitCode, 1);
    EXPECT_EQ(run("import-cdplayer " + catalog() + " --new-folder ''").exitCode, 2);
}

TEST_F(CdLookupCli, CheckVersion) {
    testing::ScriptedServer server([](testing::ScriptedServer& self, int fd) {
        self.readUntil(fd, "\r\n\r\n");
        testing::ScriptedServer::Send(
            fd, "HTTP/1.0 200 OK\r\nContent-Length: 16\r\n\r\nHVSMVersion 3.31");
    });
    auto result =
        run("check-version --url http://127.0.0.1:" + std::to_string(server.port()) + "/v");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
              "A newer version (3.31) of Halvenmoor Shelfmark is available. Show more "
              "information?");
    int port = 0;
    {
        testing::ScriptedServer closed([](testing::ScriptedServer&, int) {});
        port = closed.port();
    }
    result = run("check-version --url http://127.0.0.1:" + std::to_string(port) + "/v");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "shelfmark-cli: Failed.\n");
}

}  // namespace
}  // namespace shelfmark
