// Archive kinds and the archive mask: the read options fold the archive switches into one byte,
// and the same codes name the kind of an archive file during the walk.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace shelfmark {

enum class ArchiveKind : uint8_t {
    Zip = 0x01,
    Rar = 0x02,
    Ace = 0x04,
    Cab = 0x08,
    Arj = 0x10,
    Jar = 0x20,
};

// Mask bit asking for self-extracting executables to be probed.
inline constexpr uint8_t kArchiveMaskCheckExes = 0x80;
inline constexpr uint8_t kArchiveMaskAllKinds = 0x3F;

constexpr uint8_t MaskBit(ArchiveKind kind) {
    return static_cast<uint8_t>(kind);
}

// The kind an extension names ("zip", "jar", "rar", "cab", "ace", "arj"; lower case, no dot).
constexpr std::optional<ArchiveKind> ArchiveKindForExtension(std::string_view extension) {
    if (extension == "zip")
        return ArchiveKind::Zip;
    if (extension == "jar")
        return ArchiveKind::Jar;
    if (extension == "rar")
        return ArchiveKind::Rar;
    if (extension == "cab")
        return ArchiveKind::Cab;
    if (extension == "ace")
        return ArchiveKind::Ace;
    if (extension == "arj")
        return ArchiveKind::Arj;
    return std::nullopt;
}

}  // namespace shelfmark
