// Finding the drive that holds a catalogued disk: by the drive type its media type expects,
// the drive it was read from, and the volume serial number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/volumes/Volumes.h"

namespace shelfmark {

struct DriveCandidate {
    DriveType type = DriveType::Fixed;
    uint32_t serial = 0;
};

// The drive type a disk of this media type is looked for in (the MediaType bits of the disk's
// flags, flags & 0x78): CD-ROM for CD/DVD, audio CD and Video CD, removable, fixed for a hard
// disk, remote for a network drive. Nothing for other values.
std::optional<DriveType> ExpectedDriveType(unsigned mediaTypeBits);

// The index of the drive that holds the disk, or nothing (the caller then asks for the disk).
// The serial decides: the remembered drive is only tried first, when it exists and has the
// expected type; then every drive of the type in order. Drive indexes are positions among the
// mounted volumes, so they move as volumes come and go; a removable medium is looked for in
// every removable drive like any other.
std::optional<size_t> MatchDrive(std::span<const DriveCandidate> drives, DriveType expected,
                                 std::optional<size_t> rememberedIndex, uint32_t serial);

}  // namespace shelfmark
