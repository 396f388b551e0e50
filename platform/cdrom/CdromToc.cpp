#include "platform/cdrom/CdromToc.h"

namespace shelfmark::cdrom {

uint16_t CdTextPackCrc(const uint8_t* pack) {
    uint16_t crc = 0;
    for (size_t i = 0; i < 16; ++i) {
        crc ^= static_cast<uint16_t>(pack[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return static_cast<uint16_t>(~crc);
}

const char* StatusText(CdromStatus status) {
    switch (status) {
        case CdromStatus::Ok:
            return "ok";
        case CdromStatus::NoDevice:
            return "no such device";
        case CdromStatus::NotCdrom:
            return "not a CD-ROM drive";
        case CdromStatus::NoDisc:
            return "no disc in the drive";
        case CdromStatus::Busy:
            return "the drive is busy";
        case CdromStatus::Failed:
            return "the drive cannot be read";
    }
    return "unknown";
}

}  // namespace shelfmark::cdrom
