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
    std::optional<size_t> candidate;
    if (rememberedIndex && *rememberedIndex < drives.size() &&
        drives[*rememberedIndex].type == expected) {
        candidate = rememberedIndex;
    } else {
        for (size_t i = 0; i < drives.size() && !candidate; ++i)
            if (drives[i].type == expected)
                candidate = i;
    }
    if (!candidate)
        return std::nullopt;
    if (drives[*candidate].serial == serial)
        return candidate;
    if (expected == DriveType::Removable)
        return std::nullopt;
    for (size_t i = 0; i < drives.size(); ++i)
        if (drives[i].type == expected && drives[i].serial == serial)
            return i;
    return std::nullopt;
}

}  // namespace shelfmark
