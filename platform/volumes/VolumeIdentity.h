// What identifies a volume again later: its label and a 32-bit serial number, the way the
// catalog stores them. The serial is the number other systems show for the same medium where
// one exists (FAT, exFAT, NTFS, ISO 9660), and a stable fold of the file system's UUID otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace shelfmark {

// Bytes from the start of a device that ProbeVolumeHead needs to recognise every file system it
// knows (btrfs keeps its superblock at 64 KiB).
inline constexpr size_t kVolumeHeadSize = 68 * 1024;

// Offset and size of the ISO 9660 primary volume descriptor (sector 16 of 2048 bytes).
inline constexpr size_t kIsoDescriptorOffset = 16 * 2048;
inline constexpr size_t kIsoDescriptorSize = 2048;

struct VolumeIdentity {
    std::string fsType;  // "vfat", "exfat", "ntfs", "iso9660", "ext4", "xfs", "btrfs"
    std::string label;   // empty when the file system keeps none where we look
    std::string uuid;    // as blkid prints it: "1234-ABCD", "5C34851D5176721C", "0123abcd-..."
    uint32_t serial = 0;
};

// Recognises the file system from the first bytes of its device (up to kVolumeHeadSize; fewer
// bytes recognise fewer kinds) and reads its label, UUID and serial. Nothing when unknown.
std::optional<VolumeIdentity> ProbeVolumeHead(std::span<const unsigned char> head);

// The serial of an ISO 9660 volume: each of the four byte lanes of the 2048-byte primary
// volume descriptor summed on its own (as bytes, so it wraps), lane 3 giving the high byte.
uint32_t IsoDescriptorSerial(std::span<const unsigned char, kIsoDescriptorSize> descriptor);

// The serial for a UUID text: "XXXX-XXXX" (FAT, exFAT) is the number itself; 16 hex digits
// without dashes (NTFS) give their low 32 bits; any other form folds its hex digits into 32
// bits by XOR of 8-digit groups. 0 when the text has no hex digits.
uint32_t SerialFromUuid(std::string_view uuid);

// "%04X-%04X": high 16 bits, low 16 bits.
std::string FormatVolumeSerial(uint32_t serial);

// Resolves the "\x20" escapes that udev writes into /dev/disk/by-label names.
std::string UnescapeUdevName(std::string_view name);

}  // namespace shelfmark
