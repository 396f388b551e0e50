// Feeds arbitrary simulated-drive descriptions to the loader and checks that a disc it accepts
// is one a drive could report: tracks in order, the lead-out after them, whole CD-Text packs.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/ProfileFile.h"
#include "platform/cdrom/SimulatedDrive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    shelfmark::ProfileFile file;
    file.loadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    shelfmark::cdrom::SimulatedDisc disc;
    if (shelfmark::cdrom::ParseSimulatedDisc(file, "/sim", disc) !=
        shelfmark::cdrom::CdromStatus::Ok)
        return 0;
    const auto& tracks = disc.toc.tracks;
    if (tracks.empty() || tracks.size() > 99 || disc.toc.leadOut.lba <= tracks.back().lba)
        std::abort();
    for (size_t i = 1; i < tracks.size(); ++i)
        if (tracks[i].track != tracks[i - 1].track + 1 || tracks[i].lba <= tracks[i - 1].lba)
            std::abort();
    if (!disc.cdText.empty() && ((disc.cdText.size() - 4) % 18 != 0 || disc.cdText.size() > 5000))
        std::abort();
    return 0;
}
