// The table of contents and CD-Text of a CD as a drive reports them, before the reading layer
// turns them into track lists and disc information.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace shelfmark::cdrom {

// Why a drive gave no table of contents. Busy is worth a retry; the others are not.
enum class CdromStatus { Ok, NoDevice, NotCdrom, NoDisc, Busy, Failed };

// One entry of the table of contents: a track, or the lead-out (track number 0xAA).
struct TocEntry {
    int track = 0;
    bool isData = false;  // the data-track bit of the entry's control field
    uint32_t minutes = 0;
    uint32_t seconds = 0;
    uint32_t frames = 0;
    int32_t lba = 0;  // logical block address: the MSF position less the two-second lead-in
};

struct RawToc {
    int firstTrack = 0;
    int lastTrack = 0;
    std::vector<TocEntry> tracks;  // firstTrack ... lastTrack in order
    TocEntry leadOut;
};

inline constexpr int kLeadOutTrack = 0xAA;
// Bytes asked for with READ TOC/PMA/ATIP format 5: a 4-byte header and up to 277 packs.
inline constexpr size_t kCdTextBufferSize = 5000;
inline constexpr size_t kCdTextHeaderSize = 4;
inline constexpr size_t kCdTextPackSize = 18;

// The CRC-16 of a CD-Text pack (polynomial x^16 + x^12 + x^5 + 1, stored inverted, high byte
// first in bytes 16 and 17), over its first 16 bytes.
uint16_t CdTextPackCrc(const uint8_t* pack);

// A readable name for a status, for messages of the command-line tool.
const char* StatusText(CdromStatus status);

}  // namespace shelfmark::cdrom
