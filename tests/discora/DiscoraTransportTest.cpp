// The Discora transport against scripted servers that misbehave in the ways real ones do.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "discora/Discora.h"
#include "tests/discora/CddbServers.h"

namespace shelfmark::testing {
namespace {

using std::chrono::steady_clock;

const uint32_t kTwoTracks[] = {150, 15000, 30000};
const char kHttpHead[] = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

std::string Site(const char* protocol, int port, const char* host = "127.0.0.1") {
    return std::string(host) + " " + protocol + " " + std::to_string(port) +
           (std::string(protocol) == "http" ? " /~cddb/cddb.cgi" : " -") + " N000.00 W000.00 x";
}

// An HTTP server that sends `answer` to every request, then closes.
ScriptedServer::Script HttpAnswer(std::string answer) {
    return [answer](ScriptedServer& server, int fd) {
        server.readUntil(fd, "\r\n\r\n");
        ScriptedServer::Send(fd, answer);
    };
}

// A cddbp server: greeting, then the answers in order, one per command line.
ScriptedServer::Script CddbpDialogue(std::vector<std::string> answers) {
    return [answers](ScriptedServer& server, int fd) {
        ScriptedServer::Send(fd, "201 fake CDDBP server v1.5 ready\r\n");
        for (const std::string& answer : answers) {
            if (server.readUntil(fd, "\r\n").empty())
                return;
            ScriptedServer::Send(fd, answer);
        }
        server.readUntil(fd, "quit\r\n");
    };
}

TEST(DiscoraTransport, HelloAnswered402CountsAsConnected) {
    ScriptedServer server(
        CddbpDialogue({"402 Already shook hands.\r\n", "201 OK, CDDB protocol level now: 6\r\n",
                       "200 rock 04018e02 A / B\r\n"}));
    CDiscora client("My App", "1.0 beta");
    client.AddSite(Site("cddbp", server.port()).c_str());
    ASSERT_EQ(client.Connect(0), 1);
    CDiscoraQueryResult result;
    ASSERT_EQ(client.QueryDisc(2, kTwoTracks, result), 1);
    EXPECT_STREQ(result.GetDiscName(0), "A / B");
    client.Disconnect();
    const std::string sent = server.received();
    EXPECT_NE(sent.find(" My_App 1.0_beta\r\nproto 6\r\ncddb query 04018e02 2 150 15000 400\r\n"),
              std::string::npos)
        << sent;
    EXPECT_EQ(sent.substr(0, 11), "cddb hello ");
}

TEST(DiscoraTransport, RefusedHelloFailsTheConnection) {
    ScriptedServer server(CddbpDialogue({"431 Handshake not successful.\r\n"}));
    CDiscora client("app", "1");
    client.AddSite(Site("cddbp", server.port()).c_str());
    EXPECT_EQ(client.Connect(0), 0);
    EXPECT_STREQ(client.GetLastError(), "the server answered \"431 Handshake not successful.\"");
    CDiscoraQueryResult result;
    EXPECT_EQ(client.QueryDisc(2, kTwoTracks, result), 0);  // no active site any more
    EXPECT_STREQ(client.GetLastError(), "not connected to a site");
}

TEST(DiscoraTransport, ListAnswerInPiecesWaitsForTheTerminator) {
    ScriptedServer server([](ScriptedServer& s, int fd) {
        ScriptedServer::Send(fd, "201 ready\r\n");
        s.readUntil(fd, "\r\n");
        ScriptedServer::Send(fd, "200 hello\r\n");
        s.readUntil(fd, "\r\n");
        ScriptedServer::Send(fd, "500 Unrecognized command.\r\n");  // a level 5 server
        s.readUntil(fd, "\r\n");
        ScriptedServer::Send(fd, "210 OK, category list follows\r\nbl");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ScriptedServer::Send(fd, "ues\r\ncaf\xe9\r\n.");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ScriptedServer::Send(fd, "\r\n");
        s.readUntil(fd, "quit\r\n");
    });
    CDiscora client("app", "1");
    client.AddSite(Site("cddbp", server.port()).c_str());
    ASSERT_EQ(client.Connect(0), 1);
    const auto started = steady_clock::now();
    ASSERT_EQ(client.ReadCategoryList(), 1);
    EXPECT_LT(steady_clock::now() - started, std::chrono::seconds(5));
    ASSERT_EQ(client.GetCategoryCount(), 2);
    EXPECT_STREQ(client.GetCategory(0), "blues");
    EXPECT_STREQ(client.GetCategory(1), "café");  // ISO-8859-1 from a level 5 server
}

TEST(DiscoraTransport, SilentCddbpServerCostsTheTimeOutNotForever) {
    ScriptedServer server(
        [](ScriptedServer&, int) { std::this_thread::sleep_for(std::chrono::seconds(11)); });
    CDiscora client("app", "1");
    client.AddSite(Site("cddbp", server.port()).c_str());
    const auto started = steady_clock::now();
    EXPECT_EQ(client.Connect(0), 0);
    const auto waited = steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(9500));
    EXPECT_LT(waited, std::chrono::seconds(15));
}

TEST(DiscoraTransport, SilentHttpServerCostsTheTimeOutNotForever) {
    ScriptedServer server([](ScriptedServer& s, int fd) {
        s.readUntil(fd, "\r\n\r\n");
        std::this_thread::sleep_for(std::chrono::seconds(11));
    });
    CDiscora client("app", "1");
    client.AddSite(Site("http", server.port()).c_str());
    ASSERT_EQ(client.Connect(0), 1);
    const auto started = steady_clock::now();
    CDiscoraQueryResult result;
    EXPECT_EQ(client.QueryDisc(2, kTwoTracks, result), 0);
    const auto waited = steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(9500));
    EXPECT_LT(waited, std::chrono::seconds(15));
}

TEST(DiscoraTransport, ResponsesAreCappedAtFourMebibytes) {
    const std::string status = "200 rock 04018e02 A / B\r\n";
    const size_t cap = 4u << 20;
    // Just under the cap the answer is read; one kilobyte beyond it the command fails.
    ScriptedServer fits(
        HttpAnswer(kHttpHead + status + std::string(cap - status.size() - 200, 'x')));
    ScriptedServer tooLarge(HttpAnswer(kHttpHead + status + std::string(cap + 1024, 'x')));
    CDiscoraQueryResult result;
    CDiscora client("app", "1");
    client.AddSite(Site("http", fits.port()).c_str());
    client.AddSite(Site("http", tooLarge.port(), "localhost").c_str());
    ASSERT_EQ(client.Connect(0), 1);
    EXPECT_EQ(client.QueryDisc(2, kTwoTracks, result), 1);
    ASSERT_EQ(client.Connect(1), 1);
    EXPECT_EQ(client.QueryDisc(2, kTwoTracks, result), 0);
    EXPECT_STREQ(client.GetLastError(), "the server's answer is larger than 4 MB");
}

TEST(DiscoraTransport, ReceiveErrorKeepsTheDataBeforeIt) {
    ScriptedServer server([](ScriptedServer& s, int fd) {
        s.readUntil(fd, "\r\n\r\n");
        ScriptedServer::Send(fd, std::string(kHttpHead) + "200 rock 04018e02 Kept / Data\r\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ScriptedServer::Reset(fd);
    });
    CDiscora client("app", "1");
    client.AddSite(Site("http", server.port()).c_str());
    ASSERT_EQ(client.Connect(0), 1);
    CDiscoraQueryResult result;
    ASSERT_EQ(client.QueryDisc(2, kTwoTracks, result), 1);
    EXPECT_STREQ(result.GetDiscName(0), "Kept / Data");
}

TEST(DiscoraTransport, HttpAnswerWithoutBlankLineFails) {
    ScriptedServer server(HttpAnswer("HTTP/1.0 200 OK\r\n200 rock 04018e02 A / B\r\n"));
    CDiscora client("app", "1");
    client.AddSite(Site("http", server.port()).c_str());
    ASSERT_EQ(client.Connect(0), 1);
    CDiscoraQueryResult result;
    EXPECT_EQ(client.QueryDisc(2, kTwoTracks, result), 0);
    EXPECT_STREQ(client.GetLastError(), "the server's answer is not HTTP");
    EXPECT_EQ(server.connections(), 1);
}

TEST(DiscoraTransport, HttpConnectAndDisconnectSendNothing) {
    ScriptedServer server(HttpAnswer(std::string(kHttpHead) + "202 No match\r\n"));
    CDiscora client("app", "1");
    client.AddSite(Site("http", server.port()).c_str());
    ASSERT_EQ(client.Connect(0), 1);
    client.Disconnect();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(server.connections(), 0);

    // Each command has its own connection and request.
    ASSERT_EQ(client.Connect(0), 1);
    CDiscoraQueryResult result;
    ASSERT_EQ(client.QueryDisc(2, kTwoTracks, result), 1);
    ASSERT_EQ(client.ReadCategoryList(), 0);  // 202 is no category list
    EXPECT_EQ(server.connections(), 2);
    EXPECT_EQ(server.received().find("Host:"), std::string::npos);
}

TEST(DiscoraTransport, DottedIpv6AddressIsUsedAsGiven) {
    ScriptedServer server(HttpAnswer(std::string(kHttpHead) + "200 jazz 04018e02 Six / Ways\r\n"),
                          true);
    CDiscora client("app", "1");
    client.AddSite(Site("http", server.port(), "::1").c_str());
    ASSERT_EQ(client.Connect(0), 1);
    CDiscoraQueryResult result;
    ASSERT_EQ(client.QueryDisc(2, kTwoTracks, result), 1);
    EXPECT_STREQ(result.GetDiscGenre(0), "jazz");
}

TEST(DiscoraTransport, NothingListensAtThePort) {
    int port;
    {
        ScriptedServer gone(HttpAnswer(""));
        port = gone.port();
    }
    CDiscora client("app", "1");
    client.AddSite(Site("cddbp", port).c_str());
    EXPECT_EQ(client.Connect(0), 0);
    EXPECT_EQ(std::string(client.GetLastError()),
              "cannot connect to 127.0.0.1 port " + std::to_string(port) + ": " +
                  std::strerror(ECONNREFUSED));
}

// The reason names what failed: the resolver, the web server's status, the CDDB status; it
// belongs to the object whose operation failed.
TEST(DiscoraTransport, FailuresSayWhy) {
    CDiscora client("app", "1");
    client.AddSite(Site("http", 80, "no-such-host.invalid").c_str());
    ASSERT_EQ(client.Connect(0), 1);  // http connects per command
    CDiscoraQueryResult result;
    EXPECT_EQ(client.QueryDisc(2, kTwoTracks, result), 0);
    EXPECT_EQ(std::string(client.GetLastError()).rfind("cannot resolve no-such-host.invalid: ", 0),
              0u)
        << client.GetLastError();
    CDiscora other("app", "1");
    EXPECT_STREQ(other.GetLastError(), "");

    ScriptedServer missing(HttpAnswer("HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n"
                                      "<html>gone</html>\r\n"));
    other.AddSite(Site("http", missing.port()).c_str());
    ASSERT_EQ(other.Connect(0), 1);
    EXPECT_EQ(other.ReadCategoryList(), 0);
    EXPECT_STREQ(other.GetLastError(), "the server answered \"HTTP/1.0 404 Not Found\"");
    EXPECT_STREQ(client.GetLastError(), "");  // another object's failure

    ScriptedServer noEntry(
        HttpAnswer(std::string(kHttpHead) + "401 rock 04018e02 No such CD entry in database.\r\n"));
    CDiscora reader("app", "1");
    reader.AddSite(Site("http", noEntry.port()).c_str());
    ASSERT_EQ(reader.Connect(0), 1);
    CDiscoraQueryResult match;
    CDiscora::ParseQueryResponse("200 rock 04018e02 A / B\r\n", match);
    CDiscoraDisc disc;
    EXPECT_EQ(reader.ReadDisc(match, disc, 0), 0);
    EXPECT_STREQ(reader.GetLastError(),
                 "the server answered \"401 rock 04018e02 No such CD entry in database.\"");
}

}  // namespace
}  // namespace shelfmark::testing
