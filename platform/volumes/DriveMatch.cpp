#include "platform/volumes/DriveMatch.h"

namespace shelfmark {

std::optional<DriveType> ExpectedDriveType(unsigned mediaTypeBits) {
    switch (mediaTypeBits & 0x78) {
        case 8:   // CD/ DVD
        case 16:  // Audio CD
        case 48:  // (Super) Video CD
            return DriveType::CdRom;
        case 24:
            return DriveType::Removable;
        case 32:
            return DriveType::Fixed;
        case 40:
            return DriveType::Remote;
        default:
            return std::nullopt;
    }
}

std::optional<size_t> MatchDrive(std::span<const DriveCandidate> drives, DriveType expected,
                                 std::optional<size_t> rememberedIndex, uint32_t serial) {
    auto matches = [&](size_t i) {
        return i < drives.size() && drives[i].type == expected && drives[i].serial == serial;
    };
    if (rememberedIndex && matches(*rememberedIndex))
        return rememberedIndex;
    for (size_t i = 0; i < drives.size(); ++i)
        if (matches(i))
            return i;
    return std::nullopt;
}

}  // namespace shelfmark
