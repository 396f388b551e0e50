// The update check: the version record, the byte-wise comparison and the three messages, against
// HTTP servers scripted on loopback.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>

#include "foundation/ScriptedPrompter.h"
#include "platform/settings/SettingsStore.h"
#include "platform/update/UpdateCheck.h"
#include "tests/discora/CddbServers.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ScriptedServer;

// Answers every request with `body` as a plain HTTP resource.
class VersionServer {
  public:
    explicit VersionServer(std::string body, std::string status = "200 OK")
        : server_([body, status](ScriptedServer& server, int fd) {
              server.readUntil(fd, "\r\n\r\n");
              ScriptedServer::Send(fd, "HTTP/1.1 " + status +
                                           "\r\nContent-Type: text/plain\r\n"
                                           "Content-Length: " +
                                           std::to_string(body.size()) +
                                           "\r\nConnection: close\r\n\r\n" + body);
          }) {}
    std::string url() const {
        return "http://127.0.0.1:" + std::to_string(server_.port()) + "/hvsmversion.txt";
    }
    std::string received() const { return server_.received(); }

  private:
    ScriptedServer server_;
};

TEST(VersionRecord, MarkerSeparatorAndLimit) {
    EXPECT_EQ(VersionOfRecord("HVSMVersion=3.30.2004"), "3.30.2004");
    EXPECT_EQ(VersionOfRecord("HVSMVersion 3.31\r\n"), "3.31\r\n");
    EXPECT_EQ(VersionOfRecord("HVSMVersion"), "");
    EXPECT_EQ(VersionOfRecord("HVSMVersion:"), "");
    EXPECT_EQ(VersionOfRecord(std::string("HVSMVersion 3.4\0junk", 20)), "3.4");
    EXPECT_EQ(VersionOfRecord("hvsmversion 9.9"), std::nullopt);
    EXPECT_EQ(VersionOfRecord("<html>Not Found</html>"), std::nullopt);
    EXPECT_EQ(VersionOfRecord(std::string(40, 'x').insert(0, "HVSMVersion ")),
              std::string(20, 'x'));
}

TEST(VersionRecord, ComparedAsBytes) {
    EXPECT_EQ(CompareWithOwnVersion("3.30.2004"), UpdateOutcome::Latest);
    EXPECT_EQ(CompareWithOwnVersion("3.31"), UpdateOutcome::Newer);
    EXPECT_EQ(CompareWithOwnVersion("3.30.2005"), UpdateOutcome::Newer);
    EXPECT_EQ(CompareWithOwnVersion("3.30.2004a"), UpdateOutcome::Newer);
    EXPECT_EQ(CompareWithOwnVersion("10.0"), UpdateOutcome::Latest);  // "1" sorts before "3"
    EXPECT_EQ(CompareWithOwnVersion("3.3"), UpdateOutcome::Latest);
    EXPECT_EQ(CompareWithOwnVersion("\xC3\xA4"), UpdateOutcome::Newer);  // bytes above 0x7F
}

TEST(UpdateCheck, EqualNewerAndOlderByBytes) {
    {
        VersionServer server("HVSMVersion 3.30.2004");
        const UpdateCheckResult result = CheckForUpdate(server.url());
        EXPECT_EQ(result.outcome, UpdateOutcome::Latest);
        EXPECT_EQ(result.message, "You already have the latest version of Halvenmoor Shelfmark.");
        // A forced reload with the program's name as user agent.
        EXPECT_NE(server.received().find("Cache-Control: no-cache\r\n"), std::string::npos);
        EXPECT_NE(server.received().find("User-Agent: Halvenmoor Shelfmark\r\n"),
                  std::string::npos);
    }
    {
        VersionServer server("HVSMVersion 3.31");
        const UpdateCheckResult result = CheckForUpdate(server.url());
        EXPECT_EQ(result.outcome, UpdateOutcome::Newer);
        EXPECT_EQ(result.remoteVersion, "3.31");
        EXPECT_EQ(result.message,
                  "A newer version (3.31) of Halvenmoor Shelfmark is available. Show more "
                  "information?");
    }
    {
        VersionServer server("HVSMVersion 10.0.2010");
        EXPECT_EQ(CheckForUpdate(server.url()).outcome, UpdateOutcome::Latest);
    }
}

TEST(UpdateCheck, ALongRecordIsCutAt32Bytes) {
    VersionServer server("HVSMVersion 3.30.2004-0123456789abcdefghijklmnop");  // 40 bytes
    const VersionFetch fetch = FetchVersionRecord(server.url());
    EXPECT_TRUE(fetch.opened);
    EXPECT_EQ(fetch.bytes, "HVSMVersion 3.30.2004-0123456789");
    const UpdateCheckResult result = CheckForUpdate(server.url());
    EXPECT_EQ(result.remoteVersion, "3.30.2004-0123456789");
    EXPECT_EQ(result.outcome, UpdateOutcome::Newer);
}

TEST(UpdateCheck, NoVersionRecordShowsNothing) {
    VersionServer server("<html>Not Found</html>", "404 Not Found");
    ScriptedPrompter prompter;
    const UpdateCheckResult result = RunUpdateCheck(server.url(), prompter, {});
    EXPECT_EQ(result.outcome, UpdateOutcome::Silent);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(UpdateCheck, MessagesAndTheHomePage) {
    VersionServer newer("HVSMVersion 3.31");
    ScriptedPrompter prompter;
    int opened = 0;
    prompter.queueAnswer(PromptAnswer::Yes);
    RunUpdateCheck(newer.url(), prompter, [&] { ++opened; });
    EXPECT_EQ(opened, 1);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.buttons, PromptButtons::YesNo);
    RunUpdateCheck(newer.url(), prompter, [&] { ++opened; });  // No this time
    EXPECT_EQ(opened, 1);

    VersionServer same("HVSMVersion 3.30.2004");
    prompter.clear();
    RunUpdateCheck(same.url(), prompter, [&] { ++opened; });
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Information);
}

TEST(UpdateCheck, RefusedConnectionFails) {
    // A port that was just free: nobody listens there.
    int port = 0;
    {
        ScriptedServer closed([](ScriptedServer&, int) {});
        port = closed.port();
    }
    ScriptedPrompter prompter;
    const UpdateCheckResult result =
        RunUpdateCheck("http://127.0.0.1:" + std::to_string(port) + "/v.txt", prompter, {});
    EXPECT_EQ(result.outcome, UpdateOutcome::Failed);
    EXPECT_EQ(prompter.shownTexts(), std::vector<std::string>{"Failed."});
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);
    EXPECT_EQ(CheckForUpdate("not a url").outcome, UpdateOutcome::Failed);
}

TEST(UpdateCheck, AServerThatNeverAnswersIsGivenUp) {
    ScriptedServer silent([](ScriptedServer& server, int fd) {
        server.readUntil(fd, "never sent");  // holds the connection for up to 5 s
    });
    UpdateFetchOptions options;
    options.connectTimeout = std::chrono::milliseconds(1000);
    options.requestTimeout = std::chrono::milliseconds(1000);
    const auto began = std::chrono::steady_clock::now();
    const UpdateCheckResult result =
        CheckForUpdate("http://127.0.0.1:" + std::to_string(silent.port()) + "/v.txt", options);
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_EQ(result.outcome, UpdateOutcome::Failed);
    // Connected at once, so no retries: one wait of the request time-out.
    EXPECT_LT(took, std::chrono::milliseconds(5000));
    EXPECT_EQ(silent.connections(), 1);
}

TEST(UpdateCheck, UrlSetting) {
    testing::TempDir dir;
    SettingsStore store((dir / "settings.ini").string());
    EXPECT_EQ(UpdateUrl(store), kDefaultUpdateUrl);
    store.setText(kSettingsSubKey, "UpdateUrl", "http://127.0.0.1:1/v.txt");
    EXPECT_EQ(UpdateUrl(store), "http://127.0.0.1:1/v.txt");
}

}  // namespace
}  // namespace shelfmark
