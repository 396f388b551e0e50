// Independent checks against libcddb: its disc-id computation, and its client talking to the CDDB
// test server over cddbp and HTTP (so the server speaks the protocol as real clients expect).
#include <cddb/cddb.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "discora/Discora.h"
#include "tests/discora/CddbServers.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

// libcddb counts the playing time in whole seconds of the lead-out minus the first track's
// start; that equals the frame difference whenever the first track starts on a whole second.
TEST(LibcddbCross, DiscIdsAgreeForRandomTablesOfContents) {
    std::mt19937 random(20040330);
    for (int round = 0; round < 2000; ++round) {
        const int tracks = std::uniform_int_distribution<int>(1, 99)(random);
        std::vector<uint32_t> offsets;
        uint32_t frame = 75 * std::uniform_int_distribution<uint32_t>(0, 40)(random);
        for (int i = 0; i <= tracks; ++i) {
            offsets.push_back(frame);
            frame += std::uniform_int_distribution<uint32_t>(75, 30000)(random);
        }
        cddb_disc_t* disc = cddb_disc_new();
        ASSERT_NE(disc, nullptr);
        for (int i = 0; i < tracks; ++i) {
            cddb_track_t* track = cddb_track_new();
            cddb_track_set_frame_offset(track, static_cast<int>(offsets[i]));
            cddb_disc_add_track(disc, track);
        }
        cddb_disc_set_length(disc, offsets.back() / 75);
        cddb_disc_calc_discid(disc);
        EXPECT_EQ(CDiscora::ComputeDiscID(tracks, offsets.data()), cddb_disc_get_discid(disc))
            << "round " << round << ", " << tracks << " tracks";
        cddb_disc_destroy(disc);
    }
}

class LibcddbAgainstTestServer : public ::testing::TestWithParam<bool> {};

TEST_P(LibcddbAgainstTestServer, QueriesAndReadsADisc) {
    const bool http = GetParam();
    TempDir root;
    std::filesystem::create_directories(root / "jazz");
    WriteFile(root / "jazz/04018e02",
              "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t15000\n#\n# Disc length: 400 "
              "seconds\n#\n# Revision: 1\n#\nDISCID=04018e02\nDTITLE=Ella / Songbook\n"
              "DYEAR=1956\nDGENRE=Vocal\nTTITLE0=First\nTTITLE1=Second\nEXTD=\nEXTT0=\nEXTT1=\n"
              "PLAYORDER=\n");
    TempDir logs;
    CddbTestServer server(root.path(), logs / "log");
    ASSERT_TRUE(server.running());

    cddb_conn_t* connection = cddb_new();
    ASSERT_NE(connection, nullptr);
    cddb_cache_disable(connection);
    cddb_set_server_name(connection, "127.0.0.1");
    if (http) {
        cddb_http_enable(connection);
        cddb_set_http_path_query(connection, "/~cddb/cddb.cgi");
        cddb_set_server_port(connection, server.httpPort());
    } else {
        cddb_set_server_port(connection, server.cddbpPort());
    }
    cddb_disc_t* disc = cddb_disc_new();
    for (uint32_t offset : {150u, 15000u}) {
        cddb_track_t* track = cddb_track_new();
        cddb_track_set_frame_offset(track, static_cast<int>(offset));
        cddb_disc_add_track(disc, track);
    }
    cddb_disc_set_length(disc, 400);
    EXPECT_EQ(cddb_query(connection, disc), 1) << cddb_error_str(cddb_errno(connection));
    EXPECT_EQ(cddb_disc_get_discid(disc), 0x04018e02u);
    EXPECT_STREQ(cddb_disc_get_category_str(disc), "jazz");
    ASSERT_EQ(cddb_read(connection, disc), 1) << cddb_error_str(cddb_errno(connection));
    EXPECT_STREQ(cddb_disc_get_artist(disc), "Ella");
    EXPECT_STREQ(cddb_disc_get_title(disc), "Songbook");
    EXPECT_EQ(cddb_disc_get_year(disc), 1956u);
    EXPECT_STREQ(cddb_track_get_title(cddb_disc_get_track(disc, 1)), "Second");
    cddb_disc_destroy(disc);
    cddb_destroy(connection);
    EXPECT_NE(ReadFile(logs / "log")
                  .find(http ? "cmd=cddb+read+jazz+04018e02&" : "< cddb read jazz 04018e02"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Transports, LibcddbAgainstTestServer, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "http" : "cddbp"; });

}  // namespace
}  // namespace shelfmark::testing
