// Records, values and parsers of the Discora library, without a network.
#include <gtest/gtest.h>

#include <string>

#include "discora/Discora.h"

namespace {

const uint32_t kTwoTracks[] = {150, 15000, 30000};

// A "cddb read" answer as a server sends it; `body` lines are joined with CR LF.
std::string ReadAnswer(const std::string& body, const std::string& status = "210 rock 04018e02 x") {
    std::string text = status + "\r\n# xmcd\r\n";
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string::npos)
            end = body.size();
        text += body.substr(start, end - start) + "\r\n";
        start = end + 1;
    }
    return text + ".\r\n";
}

const char kTenTracks[] =
    "#\n# Track frame offsets:\n#\t150\n#\t1000\n#\t2000\n#\t3000\n#\t4000\n#\t5000\n#\t6000\n"
    "#\t7000\n#\t8000\n#\t9000\n#\n# Disc length: 200 seconds\n#\n# Revision: 7\n#\n";

TEST(DiscoraIds, WorkedExampleAndSubmitPreparation) {
    EXPECT_EQ(CDiscora::ComputeDiscID(2, kTwoTracks), 0x04018E02u);
    CDiscora client("Halvenmoor Shelfmark", "3.30.2004");
    CDiscoraDisc disc;
    ASSERT_EQ(client.InitSubmitDisc(2, kTwoTracks, disc), 1);
    EXPECT_EQ(disc.GetDiscLength(), 400);
    EXPECT_EQ(disc.GetRevision(), -1);
    EXPECT_EQ(disc.GetDiscID(), 0x04018E02u);
    EXPECT_EQ(disc.GetTrackCount(), 2);
    EXPECT_EQ(disc.GetCategory(), nullptr);
    CDiscoraTrack track;
    ASSERT_EQ(disc.GetTrack(2, track), 1);
    EXPECT_EQ(track.GetFrameOffset(), 15000u);
    EXPECT_EQ(track.GetTitle(), nullptr);
}

TEST(DiscoraIds, MoreThan99TracksAreRejected) {
    uint32_t offsets[101];
    for (int i = 0; i <= 100; ++i)
        offsets[i] = 150 + static_cast<uint32_t>(i) * 1000;
    CDiscora client("app", "1");
    CDiscoraDisc disc;
    EXPECT_EQ(client.InitSubmitDisc(100, offsets, disc), 0);
    EXPECT_EQ(disc.GetTrackCount(), 0);
    EXPECT_EQ(client.InitSubmitDisc(99, offsets, disc), 1);
    EXPECT_EQ(disc.GetTrackCount(), 99);
    EXPECT_EQ(disc.GetDiscID() & 0xFF, 99u);
}

TEST(DiscoraValues, TrackAccessAndCopies) {
    CDiscora client("app", "1");
    auto* source = new CDiscoraDisc;
    ASSERT_EQ(client.InitSubmitDisc(2, kTwoTracks, *source), 1);
    CDiscoraTrack named;
    ASSERT_EQ(named.SetTitle("Second"), 1);
    ASSERT_EQ(named.SetArtist("Guest"), 1);
    EXPECT_EQ(source->SetTrack(2, named), 1);

    CDiscoraTrack untouched;
    untouched.SetTitle("keep");
    EXPECT_EQ(source->GetTrack(0, untouched), 0);
    EXPECT_EQ(source->GetTrack(3, untouched), 0);
    EXPECT_STREQ(untouched.GetTitle(), "keep");
    EXPECT_EQ(source->SetTrack(3, named), 0);

    // SetTrack keeps the stored offset whatever the argument's offset.
    CDiscoraTrack fetched;
    ASSERT_EQ(source->GetTrack(2, fetched), 1);
    EXPECT_EQ(fetched.GetFrameOffset(), 15000u);
    EXPECT_STREQ(fetched.GetTitle(), "Second");

    source->SetTitle("Album");
    CDiscoraDisc copy;
    copy = *source;
    const CDiscoraDisc constructed(*source);
    delete source;
    EXPECT_STREQ(copy.GetTitle(), "Album");
    ASSERT_EQ(copy.GetTrack(2, fetched), 1);
    EXPECT_STREQ(fetched.GetArtist(), "Guest");
    EXPECT_STREQ(constructed.GetTitle(), "Album");
    EXPECT_EQ(constructed.GetTrackCount(), 2);

    EXPECT_EQ(copy.SetTitle(nullptr), 1);
    EXPECT_EQ(copy.GetTitle(), nullptr);
}

TEST(DiscoraSites, SiteLinesAndAddSite) {
    CDiscora client("app", "1");
    EXPECT_EQ(client.AddSite("gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Random "
                             "gnudb server"),
              0);
    EXPECT_EQ(client.AddSite("gnudb.gnudb.org cddbp 8880 - N000.00 W000.00 other"), 0);
    EXPECT_EQ(client.GetSiteCount(), 1);
    const CDiscoraSite* site = client.GetSite(0);
    ASSERT_NE(site, nullptr);
    EXPECT_STREQ(site->GetProtocol(), "http");
    EXPECT_EQ(site->GetPort(), 80);
    EXPECT_STREQ(site->GetSubmitAddress(), "/~cddb/submit.cgi");
    EXPECT_STREQ(site->GetDescription(), "Random gnudb server");
    EXPECT_STREQ(client.GetSiteDescription(0),
                 "Random gnudb server (gnudb.gnudb.org/~cddb/cddb.cgi)");
    EXPECT_EQ(client.GetSiteDescription(1), nullptr);

    // A host that merely begins with an existing host is another site.
    EXPECT_EQ(client.AddSite("127.0.0.1 cddbp 8880 - N000.00 W000.00 a"), 1);
    EXPECT_EQ(client.AddSite("127.0.0.10   cddbp   8880 -  N1 W1   b  c"), 2);
    EXPECT_STREQ(client.GetSite(2)->GetDescription(), "b  c");

    // Broken lines still give a site, with every field unset.
    EXPECT_EQ(client.AddSite("host.example http 0 /cddb.cgi N W d"), 3);
    EXPECT_EQ(client.GetSite(3)->GetHost(), nullptr);
    EXPECT_EQ(client.AddSite("host.example http 80 /cddb.cgi N"), 4);
    EXPECT_EQ(client.GetSite(4)->GetHost(), nullptr);
    EXPECT_EQ(client.Connect(3), 1);  // neither cddbp nor http: nothing to do
    CDiscoraQueryResult result;
    EXPECT_EQ(client.QueryDisc(2, kTwoTracks, result), 0);
    EXPECT_EQ(client.Connect(9), 0);
}

TEST(DiscoraSites, SiteListAnswers) {
    CDiscora client("app", "1");
    client.AddSite("old.example http 80 /~cddb/cddb.cgi N000.00 W000.00 old");
    EXPECT_EQ(client.ParseSiteList("401 No site information available.\r\n"), 1);
    EXPECT_EQ(client.GetSiteCount(), 1);
    EXPECT_EQ(client.ParseSiteList("500 error\r\n"), 0);
    EXPECT_EQ(client.ParseSiteList("210 OK\r\na.example cddbp 888 - N1 W1 A\r\n"
                                   "b.example http 80 /x/cddb.cgi N2 W2 B\r\n.\r\n"),
              1);
    ASSERT_EQ(client.GetSiteCount(), 2);
    EXPECT_STREQ(client.GetSite(1)->GetSubmitAddress(), "/x/submit.cgi");
    EXPECT_STREQ(client.GetSite(0)->GetSubmitAddress(), "-");
}

TEST(DiscoraParse, QueryAnswers) {
    CDiscoraQueryResult result;
    ASSERT_EQ(
        CDiscora::ParseQueryResponse("200 rock 04018e02 Some Artist / Some Title\r\n", result), 1);
    EXPECT_EQ(result.GetMatchCount(), 1);
    EXPECT_EQ(result.IsExactMatch(), 1);
    EXPECT_STREQ(result.GetDiscGenre(0), "rock");
    EXPECT_EQ(result.GetDiscID(0), 0x04018e02u);
    EXPECT_STREQ(result.GetDiscName(0), "Some Artist / Some Title");
    EXPECT_EQ(result.GetDiscName(1), nullptr);
    EXPECT_EQ(result.GetDiscID(-1), 0u);

    // Outside 200 to 211 the result stays; inside but not accepted it is emptied.
    EXPECT_EQ(CDiscora::ParseQueryResponse("500 Command syntax error\r\n", result), 0);
    EXPECT_EQ(result.GetMatchCount(), 1);
    EXPECT_EQ(CDiscora::ParseQueryResponse("201 what\r\n", result), 0);
    EXPECT_EQ(result.GetMatchCount(), 0);

    ASSERT_EQ(CDiscora::ParseQueryResponse("202 No match for disc ID 04018e02.\r\n", result), 1);
    EXPECT_EQ(result.MatchFound(), 0);

    ASSERT_EQ(CDiscora::ParseQueryResponse("211 inexact\r\nrock 0a0b0c03 A / B\r\n"
                                           "jazz 0a0b0c04 C / D\r\n.\r\n",
                                           result),
              1);
    ASSERT_EQ(result.GetMatchCount(), 2);
    EXPECT_EQ(result.IsExactMatch(), 0);
    EXPECT_STREQ(result.GetDiscGenre(1), "jazz");
    EXPECT_EQ(result.GetDiscID(0), 0x0a0b0c03u);

    CDiscoraQueryResult copy;
    copy = result;
    EXPECT_STREQ(copy.GetDiscName(1), "C / D");

    ASSERT_EQ(CDiscora::ParseQueryResponse("211 one\r\nmisc 00000001\r\n.\r\n", result), 1);
    EXPECT_STREQ(result.GetDiscGenre(0), "misc");
    EXPECT_EQ(result.GetDiscName(0), nullptr);
    EXPECT_EQ(result.IsExactMatch(), 1);
}

TEST(DiscoraParse, RecordFieldsAndTracks) {
    CDiscoraDisc disc;
    const std::string text = ReadAnswer(std::string(kTenTracks) +
                                            "discid=04018e02,12345678\n"
                                            "DTITLE=Two Words / Other Words\n"
                                            "DYEAR=1999\nDGENRE=Art Rock\n"
                                            "TTITLE0=First\nttitle1=Guest / Second\n"
                                            "TTITLE10=Eleventh\nTTITLE1=Guest / Second again\n"
                                            "EXTD=abc\nEXTD=def\nEXTT2=one\\ntwo\nEXTT10=x\n"
                                            "PLAYORDER=1,2\n",
                                        "210 newage 04018e02 CD database entry follows");
    ASSERT_EQ(CDiscora::ParseDiscRecord(text.c_str(), disc), 1);
    EXPECT_STREQ(disc.GetCategory(), "newage");
    EXPECT_EQ(disc.GetDiscID(), 0x04018e02u);
    EXPECT_EQ(disc.GetTrackCount(), 10);
    EXPECT_EQ(disc.GetDiscLength(), 200);
    EXPECT_EQ(disc.GetRevision(), 7);
    EXPECT_STREQ(disc.GetArtist(), "Two Words");
    EXPECT_STREQ(disc.GetTitle(), "Other Words");
    EXPECT_STREQ(disc.GetYear(), "1999");
    EXPECT_STREQ(disc.GetGenre(), "Art Rock");
    EXPECT_STREQ(disc.GetExtended(), "abcdef");
    EXPECT_STREQ(disc.GetPlayOrder(), "1,2");
    CDiscoraTrack track;
    ASSERT_EQ(disc.GetTrack(1, track), 1);
    EXPECT_EQ(track.GetArtist(), nullptr);
    EXPECT_STREQ(track.GetTitle(), "First");
    ASSERT_EQ(disc.GetTrack(2, track), 1);
    EXPECT_STREQ(track.GetArtist(), "Guest");
    EXPECT_STREQ(track.GetTitle(), "Second again");
    ASSERT_EQ(disc.GetTrack(3, track), 1);
    EXPECT_STREQ(track.GetExtended(), "one\r\ntwo");
    EXPECT_EQ(track.GetFrameOffset(), 2000u);
    ASSERT_EQ(disc.GetTrack(10, track), 1);
    EXPECT_EQ(track.GetTitle(), nullptr);  // index 10 is an eleventh track: ignored
    EXPECT_EQ(disc.GetTrack(11, track), 0);
}

TEST(DiscoraParse, TitleWithoutSeparatorAndEmptyGenre) {
    CDiscoraDisc disc;
    const std::string text = ReadAnswer(
        "#\n# Track frame offsets:\n#\t150\n#\n# Disc length: 60\n#\nDTITLE=A / B\n"
        "DTITLE=Only Title\nDGENRE=\nEXTD=a\\\\nb\\tc\\x\n");
    ASSERT_EQ(CDiscora::ParseDiscRecord(text.c_str(), disc), 1);
    EXPECT_STREQ(disc.GetArtist(), "A");
    EXPECT_STREQ(disc.GetTitle(), "Only Title");
    EXPECT_EQ(disc.GetGenre(), nullptr);
    EXPECT_STREQ(disc.GetExtended(), "a\\nb\tc\\x");
    EXPECT_EQ(disc.GetRevision(), -1);
}

TEST(DiscoraParse, BrokenRecordsFail) {
    CDiscoraDisc disc;
    const std::string good =
        ReadAnswer("#\n# Track frame offsets:\n#\t150\n#\n# Disc length: 60\n");
    EXPECT_EQ(CDiscora::ParseDiscRecord(good.c_str(), disc), 1);

    std::string capitals = good;
    capitals.replace(capitals.find("xmcd"), 4, "XMCD");
    EXPECT_EQ(CDiscora::ParseDiscRecord(capitals.c_str(), disc), 0);
    EXPECT_EQ(CDiscora::ParseDiscRecord(good.substr(0, good.size() - 3).c_str(), disc), 0);
    EXPECT_EQ(CDiscora::ParseDiscRecord((good + "more\r\n").c_str(), disc), 0);
    EXPECT_EQ(CDiscora::ParseDiscRecord(ReadAnswer("# Disc length: 0\n").c_str(), disc), 0);
    EXPECT_EQ(CDiscora::ParseDiscRecord(ReadAnswer("# Revision: -2\n").c_str(), disc), 0);
    EXPECT_EQ(CDiscora::ParseDiscRecord(ReadAnswer("", "210 rock").c_str(), disc), 0);
    EXPECT_EQ(CDiscora::ParseDiscRecord("210 rock 04018e02", disc), 0);
    EXPECT_EQ(CDiscora::ParseDiscRecord(nullptr, disc), 0);

    // A disc has 99 track slots: a record with 100 offsets is rejected.
    std::string offsets = "# Track frame offsets:\n";
    for (int i = 0; i < 100; ++i)
        offsets += "#\t" + std::to_string(150 + i * 100) + "\n";
    EXPECT_EQ(CDiscora::ParseDiscRecord(ReadAnswer(offsets + "#\n").c_str(), disc), 0);
    offsets = offsets.substr(0, offsets.rfind("#\t"));
    ASSERT_EQ(CDiscora::ParseDiscRecord(ReadAnswer(offsets + "#\n").c_str(), disc), 1);
    EXPECT_EQ(disc.GetTrackCount(), 99);
}

TEST(DiscoraParse, LeadingZeroIdsAndCategoryLists) {
    CDiscoraDisc disc;
    ASSERT_EQ(CDiscora::ParseDiscRecord(ReadAnswer("", "210 misc 0000ab01 x").c_str(), disc), 1);
    EXPECT_EQ(disc.GetDiscID(), 0xab01u);

    CDiscora client("app", "1");
    EXPECT_EQ(client.ParseCategoryList("210 OK\r\nblues\r\nrock\r\n.\r\n"), 1);
    ASSERT_EQ(client.GetCategoryCount(), 2);
    EXPECT_STREQ(client.GetCategory(1), "rock");
    EXPECT_EQ(client.GetCategory(2), nullptr);
    EXPECT_EQ(client.GetCategory(-1), nullptr);
    EXPECT_EQ(client.ParseCategoryList("210 OK\r\nblues\r\n"), 0);  // no terminator
    EXPECT_EQ(client.GetCategoryCount(), 0);
}

TEST(DiscoraClient, ProtocolLevelAndProxySetters) {
    CDiscora client("app", "1");
    EXPECT_EQ(client.GetProtocolLevel(), 6);
    EXPECT_EQ(client.SetProtocolLevel(4), 0);
    EXPECT_EQ(client.SetProtocolLevel(5), 1);
    EXPECT_EQ(client.GetProtocolLevel(), 5);
    EXPECT_EQ(client.SetProxy("proxy.example", 3128, "u", "p"), 1);
    EXPECT_EQ(client.SetProxy("", 0, nullptr, nullptr), 1);
    // Commands need an active site.
    CDiscoraQueryResult result;
    EXPECT_EQ(client.QueryDisc(2, kTwoTracks, result), 0);
    EXPECT_EQ(client.ReadCategoryList(), 0);
}

}  // namespace
