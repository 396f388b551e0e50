// One CDDB lookup as the application makes it (connect, query, read the match, disconnect)
// against tools/cddb-testserver on loopback: Discora next to libcddb, over cddbp and HTTP.
#include <benchmark/benchmark.h>
#include <cddb/cddb.h>

#include <cstdlib>
#include <memory>

#include "discora/Discora.h"
#include "tests/discora/CddbServers.h"
#include "tests/support/TestSupport.h"

namespace {

using shelfmark::testing::CddbTestServer;
using shelfmark::testing::TempDir;

const uint32_t kToc[] = {150, 15000, 30000};

struct Fixture {
    Fixture() {
        setenv("SHELFMARK_SOURCE_DIR", SHELFMARK_SOURCE_PATH, 0);
        std::filesystem::create_directories(root / "rock");
        shelfmark::testing::WriteFile(
            root / "rock/04018e02",
            "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t15000\n#\n# Disc length: 400\n#\n"
            "# Revision: 1\n#\nDISCID=04018e02\nDTITLE=Artist / Title\nDYEAR=2000\nDGENRE=Rock\n"
            "TTITLE0=One\nTTITLE1=Two\nEXTD=\nEXTT0=\nEXTT1=\nPLAYORDER=\n");
        server = std::make_unique<CddbTestServer>(root.path(), logs / "log");
    }
    TempDir root;
    TempDir logs;
    std::unique_ptr<CddbTestServer> server;
};

Fixture& Server() {
    static Fixture fixture;
    return fixture;
}

void DiscoraLookup(benchmark::State& state, bool http) {
    CddbTestServer& server = *Server().server;
    const std::string site =
        http ? "127.0.0.1 http " + std::to_string(server.httpPort()) +
                   " /~cddb/cddb.cgi N000.00 W000.00 local"
             : "127.0.0.1 cddbp " + std::to_string(server.cddbpPort()) + " - N000.00 W000.00 local";
    CDiscora client("bench", "1");
    client.AddSite(site.c_str());
    for (auto _ : state) {
        CDiscoraQueryResult result;
        CDiscoraDisc disc;
        if (!client.Connect(0) || !client.QueryDisc(2, kToc, result) ||
            !client.ReadDisc(result, disc, 0))
            state.SkipWithError("lookup failed");
        client.Disconnect();
        benchmark::DoNotOptimize(disc.GetTitle());
    }
}

void LibcddbLookup(benchmark::State& state, bool http) {
    CddbTestServer& server = *Server().server;
    for (auto _ : state) {
        cddb_conn_t* connection = cddb_new();
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
        for (int offset : {150, 15000}) {
            cddb_track_t* track = cddb_track_new();
            cddb_track_set_frame_offset(track, offset);
            cddb_disc_add_track(disc, track);
        }
        cddb_disc_set_length(disc, 400);
        if (cddb_query(connection, disc) != 1 || cddb_read(connection, disc) != 1)
            state.SkipWithError("lookup failed");
        benchmark::DoNotOptimize(cddb_disc_get_title(disc));
        cddb_disc_destroy(disc);
        cddb_destroy(connection);
    }
}

BENCHMARK_CAPTURE(DiscoraLookup, cddbp, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LibcddbLookup, cddbp, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DiscoraLookup, http, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LibcddbLookup, http, true)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
