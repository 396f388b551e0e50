// discora-lookup: looks a disc up on a CDDB server in the calling order an application uses.
//
//   discora-lookup "SITE LINE" OFFSET... LEADOUT
//
// SITE LINE is "host protocol port address latitude longitude description", for example
// "gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 gnudb". The offsets are the tracks'
// start frames followed by the lead-out frame (75 frames a second, lead-in included).
#include <discora/Discora.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s \"SITE LINE\" OFFSET... LEADOUT\n", argv[0]);
        return 2;
    }
    std::vector<uint32_t> offsets;
    for (int i = 2; i < argc; ++i)
        offsets.push_back(static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    const int trackCount = static_cast<int>(offsets.size()) - 1;

    // 1. One client per application, with its name and version; 2. the site list.
    CDiscora client("discora-lookup", "1.0");
    if (client.AddSite(argv[1]) < 0)
        return 1;
    // (3. SetProxy here when a proxy is configured.)

    // 4. For each piece of work: Connect, the commands, Disconnect.
    if (!client.Connect(0)) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }
    CDiscoraQueryResult result;
    if (!client.QueryDisc(trackCount, offsets.data(), result)) {
        std::fprintf(stderr, "query failed\n");
        client.Disconnect();
        return 1;
    }
    if (!result.MatchFound()) {
        std::printf("no match for %08x\n", CDiscora::ComputeDiscID(trackCount, offsets.data()));
        client.Disconnect();
        return 0;
    }
    // Several matches: an application lets the user choose; this example takes the first.
    CDiscoraDisc disc;
    const int read = client.ReadDisc(result, disc, 0);
    client.Disconnect();
    if (!read) {
        std::fprintf(stderr, "read failed\n");
        return 1;
    }
    std::printf("%s / %s (%s)\n", disc.GetArtist() ? disc.GetArtist() : "",
                disc.GetTitle() ? disc.GetTitle() : "", disc.GetCategory());
    for (int i = 1; i <= disc.GetTrackCount(); ++i) {
        CDiscoraTrack track;
        if (disc.GetTrack(i, track))
            std::printf("%2d. %s\n", i, track.GetTitle() ? track.GetTitle() : "");
    }
    return 0;
}
