// ParseDiscRecord on arbitrary "cddb read" answers; a parsed disc must survive copying and
// reading back every track.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "discora/Discora.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CDiscoraDisc disc;
    const int parsed = CDiscora::ParseDiscRecord(text.c_str(), disc);
    CDiscoraDisc copy;
    copy = disc;
    if (copy.GetTrackCount() != disc.GetTrackCount() || copy.GetTrackCount() > DISCORA_MAX_TRACKS)
        __builtin_trap();
    for (int i = 1; i <= copy.GetTrackCount(); ++i) {
        CDiscoraTrack track;
        if (!copy.GetTrack(i, track))
            __builtin_trap();
        if (track.GetTitle() != nullptr)
            (void)std::strlen(track.GetTitle());
    }
    (void)parsed;
    return 0;
}
