// The Discora client against the CDDB test server over loopback, on both transports.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "discora/Discora.h"
#include "tests/discora/CddbServers.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

const uint32_t kTwoTracks[] = {150, 15000, 30000};  // disc id 04018e02
const uint32_t kTriple[] = {150, 1000, 2000, 3210 * 75};

std::string IdText(uint32_t id) {
    char text[9];
    std::snprintf(text, sizeof(text), "%08x", id);
    return text;
}

std::string Record(const std::string& offsets, int length, const std::string& title,
                   const std::string& tracks) {
    return "# xmcd\n#\n# Track frame offsets:\n" + offsets +
           "#\n# Disc length: " + std::to_string(length) +
           " seconds\n#\n# Revision: 2\n#\nDTITLE=" + title + "\nDYEAR=2001\nDGENRE=Café\n" +
           tracks + "EXTD=first\\nsecond\nPLAYORDER=\n";
}

class DiscoraServer : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        Write("rock/04018e02", Record("#\t150\n#\t15000\n", 400, "Sigur Björk / Ágætis Byrjun",
                                      "TTITLE0=Intro\nTTITLE1=Guest / Svefn-g-englar\n"));
        // One disc id filed in three categories: an exact multiple match.
        for (const char* category : {"jazz", "blues", "folk"})
            Write(std::string(category) + "/" + IdText(CDiscora::ComputeDiscID(3, kTriple)),
                  Record("#\t150\n#\t1000\n#\t2000\n", 3210, std::string(category) + " / Triple",
                         ""));
        // Two discs of five tracks about 900 s long: inexact matches of each other.
        Write("rock/1f038405", Record("#\t150\n#\t1\n#\t2\n#\t3\n#\t4\n", 900, "Near / One", ""));
        Write("misc/1f038705", Record("#\t150\n#\t1\n#\t2\n#\t3\n#\t4\n", 903, "Near / Two", ""));
        start({});
    }

    void start(const std::vector<std::string>& args) {
        server_.reset();
        server_ = std::make_unique<CddbTestServer>(root_.path(), logDir_ / "requests.log", args);
        ASSERT_TRUE(server_->running());
    }

    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories((root_ / name).parent_path());
        WriteFile(root_ / name, text);
    }

    bool cddbp() const { return std::string(GetParam()) == "cddbp"; }

    std::string siteLine(const std::string& host = "127.0.0.1") const {
        return cddbp() ? host + " cddbp " + std::to_string(server_->cddbpPort()) +
                             " - N000.00 W000.00 test server"
                       : host + " http " + std::to_string(server_->httpPort()) +
                             " /~cddb/cddb.cgi N000.00 W000.00 test server";
    }

    // A client with the server as site 0, connected.
    std::unique_ptr<CDiscora> connected(int level = 6) {
        auto client = std::make_unique<CDiscora>("Halvenmoor Shelfmark", "3.30.2004");
        EXPECT_EQ(client->SetProtocolLevel(level), 1);
        EXPECT_EQ(client->AddSite(siteLine().c_str()), 0);
        EXPECT_EQ(client->Connect(0), 1);
        return client;
    }

    std::string log() const { return ReadFile(logDir_ / "requests.log"); }

    // The server writes its log on its own threads: give a last line a moment to appear.
    bool logShows(const std::string& text) const {
        for (int i = 0; i < 40; ++i) {
            if (log().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    TempDir root_;
    TempDir logDir_;
    std::unique_ptr<CddbTestServer> server_;
};

TEST_P(DiscoraServer, ExactQueryAndReadKeepUtf8) {
    const auto started = std::chrono::steady_clock::now();
    auto client = connected();
    CDiscoraQueryResult result;
    ASSERT_EQ(client->QueryDisc(2, kTwoTracks, result), 1);
    ASSERT_EQ(result.GetMatchCount(), 1);
    EXPECT_STREQ(result.GetDiscGenre(0), "rock");
    EXPECT_STREQ(result.GetDiscName(0), "Sigur Björk / Ágætis Byrjun");
    CDiscoraDisc disc;
    ASSERT_EQ(client->ReadDisc(result, disc, 0), 1);
    EXPECT_EQ(client->ReadDisc(result, disc, 1), 0);
    client->Disconnect();
    // A cddbp session of several commands ends as soon as each answer is whole, not after a
    // silence of 10 seconds per answer.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));

    EXPECT_STREQ(disc.GetCategory(), "rock");
    EXPECT_STREQ(disc.GetArtist(), "Sigur Björk");
    EXPECT_STREQ(disc.GetTitle(), "Ágætis Byrjun");
    EXPECT_STREQ(disc.GetGenre(), "Café");
    EXPECT_STREQ(disc.GetExtended(), "first\r\nsecond");
    EXPECT_EQ(disc.GetRevision(), 2);
    EXPECT_EQ(disc.GetDiscLength(), 400);
    CDiscoraTrack track;
    ASSERT_EQ(disc.GetTrack(2, track), 1);
    EXPECT_STREQ(track.GetArtist(), "Guest");
    EXPECT_EQ(track.GetFrameOffset(), 15000u);

    const std::string requests = log();
    EXPECT_NE(requests.find(cddbp() ? "< cddb query 04018e02 2 150 15000 400\n"
                                    : "cmd=cddb+query+04018e02+2+150+15000+400&"),
              std::string::npos)
        << requests;
    EXPECT_NE(requests.find(cddbp() ? "< proto 6" : "&proto=6 HTTP/1.0"), std::string::npos);
    if (cddbp()) {
        EXPECT_TRUE(logShows("< quit"));
    } else {
        EXPECT_EQ(requests.find("Host:"), std::string::npos);  // none without a proxy
    }
}

TEST_P(DiscoraServer, NoMatchExactListAndInexactList) {
    auto client = connected();
    CDiscoraQueryResult result;
    const uint32_t unknown[] = {150, 99000};
    ASSERT_EQ(client->QueryDisc(1, unknown, result), 1);
    EXPECT_EQ(result.MatchFound(), 0);

    // 210 with three exact matches: the first one only.
    ASSERT_EQ(CDiscora::ComputeDiscID(3, kTriple), 0x0e0c8803u);
    ASSERT_EQ(client->QueryDisc(3, kTriple, result), 1);
    ASSERT_EQ(result.GetMatchCount(), 1);
    EXPECT_STREQ(result.GetDiscGenre(0), "blues");

    // 211 with two inexact matches, in the server's order.
    const uint32_t near[] = {150, 300, 450, 600, 750, 901 * 75};
    ASSERT_EQ(client->QueryDisc(5, near, result), 1);
    ASSERT_EQ(result.GetMatchCount(), 2);
    EXPECT_STREQ(result.GetDiscGenre(0), "misc");
    EXPECT_STREQ(result.GetDiscName(0), "Near / Two");
    EXPECT_EQ(result.GetDiscID(1), 0x1f038405u);
    CDiscoraDisc disc;
    ASSERT_EQ(client->ReadDisc(result, disc, 1), 1);
    EXPECT_STREQ(disc.GetTitle(), "One");
}

TEST_P(DiscoraServer, CategoryAndSiteLists) {
    auto client = connected();
    ASSERT_EQ(client->ReadCategoryList(), 1);
    ASSERT_EQ(client->GetCategoryCount(), 11);
    EXPECT_STREQ(client->GetCategory(0), "blues");
    EXPECT_STREQ(client->GetCategory(10), "soundtrack");

    ASSERT_EQ(client->ReadSiteList(), 1);
    ASSERT_EQ(client->GetSiteCount(), 2);
    EXPECT_STREQ(client->GetSite(0)->GetProtocol(), "cddbp");
    EXPECT_EQ(client->GetSite(1)->GetPort(), server_->httpPort());
    EXPECT_STREQ(client->GetSite(1)->GetSubmitAddress(), "/~cddb/submit.cgi");
    client->Disconnect();

    start({"--no-sites"});
    client = connected();
    EXPECT_EQ(client->ReadSiteList(), 1);  // 401: the list stays
    EXPECT_EQ(client->GetSiteCount(), 1);
    EXPECT_STREQ(client->GetSite(0)->GetDescription(), "test server");
}

TEST_P(DiscoraServer, Iso88591ServerIsConvertedBothWays) {
    start({"--max-level", "5"});
    auto client = connected();
    CDiscoraQueryResult result;
    ASSERT_EQ(client->QueryDisc(2, kTwoTracks, result), 1);
    EXPECT_STREQ(result.GetDiscName(0), "Sigur Björk / Ágætis Byrjun");
    CDiscoraDisc disc;
    ASSERT_EQ(client->ReadDisc(result, disc, 0), 1);
    EXPECT_STREQ(disc.GetTitle(), "Ágætis Byrjun");
    if (cddbp()) {
        EXPECT_NE(log().find("cddbp > 501 Illegal protocol level."), std::string::npos);
        return;
    }
    // HTTP: the server refused level 6 once, the client went on at level 5.
    EXPECT_NE(log().find("&proto=5 HTTP/1.0"), std::string::npos);
    disc.SetTitle("Þjóðlag €");
    ASSERT_EQ(client->SubmitDisc(disc, "me@example.org", "submit"), 1);
    const std::string stored = ReadFile(root_ / "rock/04018e02");
    EXPECT_NE(stored.find("DTITLE=Sigur Björk / Þjóðlag ?\r\n"), std::string::npos) << stored;
}

TEST_P(DiscoraServer, Level5CanBeChosen) {
    auto client = connected(5);
    CDiscoraQueryResult result;
    ASSERT_EQ(client->QueryDisc(2, kTwoTracks, result), 1);
    // The server speaks Latin-1 below level 6: still readable as UTF-8.
    EXPECT_STREQ(result.GetDiscName(0), "Sigur Björk / Ágætis Byrjun");
    client->Disconnect();
    const std::string requests = log();
    EXPECT_EQ(requests.find("proto 6"), std::string::npos);
    EXPECT_EQ(requests.find("proto=6"), std::string::npos);
    if (!cddbp()) {
        EXPECT_NE(requests.find("&proto=5 HTTP/1.0"), std::string::npos);
    }
}

TEST_P(DiscoraServer, SubmissionRoundTrip) {
    auto client = connected();
    const uint32_t offsets[] = {150, 225, 300, 75 * 300};  // id below 10000000
    CDiscoraDisc disc;
    ASSERT_EQ(client->InitSubmitDisc(3, offsets, disc), 1);
    ASSERT_LT(disc.GetDiscID(), 0x10000000u);
    disc.SetCategory("newage");
    disc.SetArtist("Main Artist");
    disc.SetTitle("Ünïcode Title");
    disc.SetExtended("back\\n slash\tand\r\nbreak");
    for (int i = 1; i <= 3; ++i) {
        CDiscoraTrack track;
        track.SetTitle(("Track " + std::to_string(i)).c_str());
        track.SetArtist(i == 3 ? "MAIN artist" : i == 2 ? "Guest" : nullptr);
        track.SetExtended(i == 1 ? "x\\y" : nullptr);
        ASSERT_EQ(disc.SetTrack(i, track), 1);
    }
    if (cddbp()) {
        EXPECT_EQ(client->SubmitDisc(disc, "me@example.org", "submit"), 0);
        return;
    }
    ASSERT_EQ(client->SubmitDisc(disc, "me@example.org", "submit"), 1);

    const std::string id = IdText(disc.GetDiscID());
    EXPECT_EQ(id[0], '0');
    const std::string stored = ReadFile(root_ / "newage" / id);
    const std::string head =
        "# xmcd\r\n#\r\n# Track frame offsets:\r\n#\t150\r\n#\t225\r\n"
        "#\t300\r\n#\r\n# Disc length: 300\r\n#\r\n# Revision: 0\r\n"
        "# Submitted via: Halvenmoor Shelfmark 3.30.2004\r\n#\r\nDISCID=" +
        std::string(id) + "\r\n";
    EXPECT_EQ(stored.substr(0, head.size()), head);
    EXPECT_NE(stored.find("TTITLE1=Guest / Track 2\r\nTTITLE2=Track 3\r\n"), std::string::npos);
    EXPECT_NE(stored.find("EXTD=back\\\\n slash\\tand\\nbreak\r\n"), std::string::npos);
    const std::string requests = log();
    EXPECT_NE(requests.find("http > GET /~cddb/submit.cgi?cmd=&hello="), std::string::npos);
    EXPECT_NE(requests.find("http > Discid: " + std::string(id)), std::string::npos);
    EXPECT_NE(requests.find("http > Submit-Mode: submit"), std::string::npos);

    // Read back what was stored: the same texts come out.
    CDiscoraQueryResult result;
    ASSERT_EQ(client->QueryDisc(3, offsets, result), 1);
    CDiscoraDisc back;
    ASSERT_EQ(client->ReadDisc(result, back, 0), 1);
    EXPECT_STREQ(back.GetTitle(), "Ünïcode Title");
    EXPECT_STREQ(back.GetExtended(), "back\\n slash\tand\r\nbreak");
    EXPECT_EQ(back.GetRevision(), 0);
    CDiscoraTrack track;
    ASSERT_EQ(back.GetTrack(1, track), 1);
    EXPECT_STREQ(track.GetExtended(), "x\\y");
    ASSERT_EQ(back.GetTrack(3, track), 1);
    EXPECT_EQ(track.GetArtist(), nullptr);
}

TEST_P(DiscoraServer, LineBreaksInSubmissionFieldsSendNothing) {
    auto client = connected();
    CDiscoraDisc disc;
    ASSERT_EQ(client->InitSubmitDisc(2, kTwoTracks, disc), 1);
    EXPECT_EQ(client->SubmitDisc(disc, "me@example.org", "submit"), 0);  // no category
    disc.SetCategory("rock");
    EXPECT_EQ(client->SubmitDisc(disc, nullptr, "submit"), 0);
    EXPECT_EQ(client->SubmitDisc(disc, "me@example.org\r\nSubmit-Mode: test", "submit"), 0);
    EXPECT_EQ(client->SubmitDisc(disc, "me@example.org", "submit\n"), 0);
    disc.SetTitle("Title\r\nTTITLE0=forged");
    EXPECT_EQ(client->SubmitDisc(disc, "me@example.org", "submit"), 0);
    disc.SetTitle("Fine");
    disc.SetCategory("rock\r\nX-Injected: 1");
    EXPECT_EQ(client->SubmitDisc(disc, "me@example.org", "submit"), 0);
    EXPECT_EQ(log().find("submit.cgi"), std::string::npos);
}

// A proxy serves http sites only.
class DiscoraProxy : public DiscoraServer {};

TEST_P(DiscoraProxy, ProxyWithAndWithoutUser) {
    // The test server answers absolute URLs, so it can stand in for the proxy: the site's host
    // is never resolved or contacted.
    CDiscora client("Halvenmoor Shelfmark", "3.30.2004");
    client.AddSite("cddb.invalid http 80 /~cddb/cddb.cgi N000.00 W000.00 through a proxy");
    const auto port = static_cast<uint16_t>(server_->httpPort());
    ASSERT_EQ(client.SetProxy("127.0.0.1", port, nullptr, nullptr), 1);
    ASSERT_EQ(client.Connect(0), 1);
    CDiscoraQueryResult result;
    ASSERT_EQ(client.QueryDisc(2, kTwoTracks, result), 1);
    std::string requests = log();
    EXPECT_NE(requests.find("http > GET http://cddb.invalid/~cddb/cddb.cgi?cmd=cddb+query+"
                            "04018e02+2+150+15000+400&hello="),
              std::string::npos)
        << requests;
    EXPECT_NE(requests.find("http > Host: cddb.invalid"), std::string::npos);
    EXPECT_EQ(requests.find("Proxy-Authorization"), std::string::npos);

    ASSERT_EQ(client.SetProxy("127.0.0.1", port, "u", "p"), 1);
    ASSERT_EQ(client.QueryDisc(2, kTwoTracks, result), 1);
    EXPECT_NE(log().find("http > Proxy-Authorization: Basic dTpw\n"), std::string::npos);

    // Long credentials stay on one header line (base64 of 64 bytes is 88 characters).
    const std::string user(40, 'a');
    const std::string password(23, 'b');
    ASSERT_EQ(client.SetProxy("127.0.0.1", port, user.c_str(), password.c_str()), 1);
    ASSERT_EQ(client.QueryDisc(2, kTwoTracks, result), 1);
    const std::string expected =
        RunCommand("printf %s " + ShellQuote(user + ":" + password) + " | base64 -w0").out;
    ASSERT_EQ(expected.size(), 88u);
    EXPECT_NE(log().find("Proxy-Authorization: Basic " + expected + "\n"), std::string::npos);

    // Submissions join their header lines to the proxy request's.
    CDiscoraDisc disc;
    ASSERT_EQ(client.ReadDisc(result, disc, 0), 1);
    ASSERT_EQ(client.SubmitDisc(disc, "me@example.org", "test"), 1);
    EXPECT_NE(log().find("http > GET http://cddb.invalid/~cddb/submit.cgi?cmd=&hello="),
              std::string::npos);
}

TEST_P(DiscoraProxy, EmptyProxyHostRemovesProxyAndAuthorization) {
    auto client = connected();
    const auto port = static_cast<uint16_t>(server_->httpPort());
    ASSERT_EQ(client->SetProxy("127.0.0.1", port, "u", "p"), 1);
    ASSERT_EQ(client->SetProxy("", port, "u", "p"), 1);
    CDiscoraQueryResult result;
    ASSERT_EQ(client->QueryDisc(2, kTwoTracks, result), 1);
    const std::string requests = log();
    EXPECT_NE(requests.find("http > GET /~cddb/cddb.cgi?cmd=cddb+query"), std::string::npos);
    EXPECT_EQ(requests.find("Proxy-Authorization"), std::string::npos);
    EXPECT_EQ(requests.find("GET http://"), std::string::npos);
}

TEST_P(DiscoraServer, Ipv6Loopback) {
    start({"--host", "::1"});
    auto client = std::make_unique<CDiscora>("app", "1");
    client->AddSite(siteLine("::1").c_str());
    ASSERT_EQ(client->Connect(0), 1);
    CDiscoraQueryResult result;
    ASSERT_EQ(client->QueryDisc(2, kTwoTracks, result), 1);
    EXPECT_STREQ(result.GetDiscGenre(0), "rock");
}

TEST(CddbTestServerProcess, StopsAfterItsIdleTime) {
    TempDir root;
    TempDir logs;
    CddbTestServer server(root.path(), logs / "log", {"--idle-timeout", "1"});
    ASSERT_TRUE(server.running());
    EXPECT_TRUE(server.exitsWithin(std::chrono::seconds(5)));
}

INSTANTIATE_TEST_SUITE_P(Transports, DiscoraServer, ::testing::Values("cddbp", "http"),
                         [](const auto& info) { return std::string(info.param); });
INSTANTIATE_TEST_SUITE_P(Http, DiscoraProxy, ::testing::Values("http"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace shelfmark::testing
