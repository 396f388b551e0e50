#include "platform/volumes/VolumeIdentity.h"

#include <array>
#include <cstring>

#include "foundation/StringFormat.h"

namespace shelfmark {

namespace {

using Bytes = std::span<const unsigned char>;

bool Has(Bytes bytes, size_t offset, size_t size) {
    return offset <= bytes.size() && size <= bytes.size() - offset;
}

uint16_t Le16(Bytes b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

uint32_t Le32(Bytes b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

bool Matches(Bytes b, size_t at, std::string_view text) {
    return Has(b, at, text.size()) && std::memcmp(b.data() + at, text.data(), text.size()) == 0;
}

// A fixed-width text field: cut at the first NUL and without the trailing blanks.
std::string FieldText(Bytes b, size_t at, size_t size) {
    std::string text(reinterpret_cast<const char*>(b.data() + at), size);
    if (const size_t nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

std::string HexBytes(Bytes b, size_t at, size_t size, bool upper) {
    std::string out;
    for (size_t i = 0; i < size; ++i)
        out += StringPrintf(upper ? "%02X" : "%02x", b[at + i]);
    return out;
}

// The 8-4-4-4-12 form of a 16-byte UUID.
std::string UuidText(Bytes b, size_t at) {
    std::string hex = HexBytes(b, at, 16, false);
    return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
           hex.substr(16, 4) + "-" + hex.substr(20);
}

bool IsPowerOfTwo(unsigned value) {
    return value != 0 && (value & (value - 1)) == 0;
}

std::optional<VolumeIdentity> ProbeFat(Bytes b) {
    if (!Has(b, 0, 512) || b[510] != 0x55 || b[511] != 0xAA)
        return std::nullopt;
    const unsigned bytesPerSector = Le16(b, 11);
    if (bytesPerSector < 512 || bytesPerSector > 4096 || !IsPowerOfTwo(bytesPerSector) ||
        !IsPowerOfTwo(b[13]) || b[16] == 0 || b[16] > 2)
        return std::nullopt;
    // FAT32 has no 16-bit FAT size; its extended boot record sits further on.
    const bool fat32 = Le16(b, 22) == 0;
    const size_t signature = fat32 ? 66 : 38;
    const size_t typeField = fat32 ? 82 : 54;
    if (!Matches(b, typeField, "FAT") || (b[signature] != 0x29 && b[signature] != 0x28))
        return std::nullopt;
    VolumeIdentity id;
    id.fsType = "vfat";
    id.serial = Le32(b, signature + 1);
    id.uuid = FormatVolumeSerial(id.serial);
    if (b[signature] == 0x29) {
        id.label = FieldText(b, signature + 5, 11);
        if (id.label == "NO NAME")
            id.label.clear();
    }
    return id;
}

std::optional<VolumeIdentity> ProbeExfat(Bytes b) {
    if (!Has(b, 0, 512) || !Matches(b, 3, "EXFAT   "))
        return std::nullopt;
    VolumeIdentity id;
    id.fsType = "exfat";
    id.serial = Le32(b, 100);
    id.uuid = FormatVolumeSerial(id.serial);
    return id;
}

std::optional<VolumeIdentity> ProbeNtfs(Bytes b) {
    if (!Has(b, 0, 512) || !Matches(b, 3, "NTFS    "))
        return std::nullopt;
    VolumeIdentity id;
    id.fsType = "ntfs";
    // The 64-bit serial, printed high byte first; the low 32 bits are the volume's serial.
    std::string hex;
    for (size_t i = 0; i < 8; ++i)
        hex += StringPrintf("%02X", b[0x48 + 7 - i]);
    id.uuid = hex;
    id.serial = Le32(b, 0x48);
    return id;
}

std::optional<VolumeIdentity> ProbeIso9660(Bytes b) {
    const size_t at = kIsoDescriptorOffset;
    if (!Has(b, at, kIsoDescriptorSize) || b[at] != 1 || !Matches(b, at + 1, "CD001"))
        return std::nullopt;
    VolumeIdentity id;
    id.fsType = "iso9660";
    id.label = FieldText(b, at + 40, 32);
    // The creation date, in blkid's "2026-12-08-04-05-50-00" form, when it is set.
    const Bytes date = b.subspan(at + 813, 16);
    bool digits = true;
    for (unsigned char c : date)
        digits = digits && c >= '0' && c <= '9';
    if (digits) {
        const std::string d(reinterpret_cast<const char*>(date.data()), date.size());
        id.uuid = d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) + "-" +
                  d.substr(8, 2) + "-" + d.substr(10, 2) + "-" + d.substr(12, 2) + "-" +
                  d.substr(14, 2);
    }
    id.serial = IsoDescriptorSerial(b.subspan(at).first<kIsoDescriptorSize>());
    return id;
}

// The file systems that keep a 16-byte UUID and a fixed-width label in their superblock.
VolumeIdentity UuidVolume(std::string fsType, Bytes b, size_t uuidAt, size_t labelAt,
                          size_t labelSize) {
    VolumeIdentity id;
    id.fsType = std::move(fsType);
    id.uuid = UuidText(b, uuidAt);
    id.label = FieldText(b, labelAt, labelSize);
    id.serial = SerialFromUuid(id.uuid);
    return id;
}

std::optional<VolumeIdentity> ProbeExt(Bytes b) {
    const size_t at = 1024;
    if (!Has(b, at, 1024) || Le16(b, at + 56) != 0xEF53)
        return std::nullopt;
    // ext4 marks itself by its incompatible features (extents, 64-bit, flex groups), ext3 by a
    // journal; the UUID and label are where all three keep them.
    const uint32_t compat = Le32(b, at + 92);
    const uint32_t incompat = Le32(b, at + 96);
    return UuidVolume((incompat & 0x2C0) ? "ext4"
                      : (compat & 0x4)   ? "ext3"
                                         : "ext2",
                      b, at + 104, at + 120, 16);
}

std::optional<VolumeIdentity> ProbeXfs(Bytes b) {
    if (!Has(b, 0, 120) || !Matches(b, 0, "XFSB"))
        return std::nullopt;
    return UuidVolume("xfs", b, 32, 108, 12);
}

std::optional<VolumeIdentity> ProbeBtrfs(Bytes b) {
    const size_t at = 64 * 1024;
    if (!Has(b, at, 0x12B + 256) || !Matches(b, at + 64, "_BHRfS_M"))
        return std::nullopt;
    return UuidVolume("btrfs", b, at + 32, at + 0x12B, 256);
}

}  // namespace

std::optional<VolumeIdentity> ProbeVolumeHead(std::span<const unsigned char> head) {
    // Boot-sector file systems first: an ISO image that is also bootable from a stick keeps a
    // boot sector at 0 but no BPB, so the ISO test still decides for it.
    for (auto probe :
         {ProbeNtfs, ProbeExfat, ProbeFat, ProbeXfs, ProbeExt, ProbeBtrfs, ProbeIso9660}) {
        if (std::optional<VolumeIdentity> id = probe(head))
            return id;
    }
    return std::nullopt;
}

uint32_t IsoDescriptorSerial(std::span<const unsigned char, kIsoDescriptorSize> descriptor) {
    std::array<uint8_t, 4> lanes{};
    for (size_t i = 0; i < descriptor.size(); ++i)
        lanes[i & 3] = static_cast<uint8_t>(lanes[i & 3] + descriptor[i]);
    return (static_cast<uint32_t>(lanes[3]) << 24) | (static_cast<uint32_t>(lanes[2]) << 16) |
           (static_cast<uint32_t>(lanes[1]) << 8) | lanes[0];
}

uint32_t SerialFromUuid(std::string_view uuid) {
    std::string digits;
    bool dashes = false;
    for (char c : uuid) {
        if (HexDigitValue(c) >= 0)
            digits.push_back(c);
        else if (c == '-')
            dashes = true;
    }
    if (digits.empty())
        return 0;
    auto value = [](std::string_view hex) {
        uint32_t v = 0;
        for (char c : hex)
            v = (v << 4) | static_cast<uint32_t>(HexDigitValue(c));
        return v;
    };
    const bool fatForm = uuid.size() == 9 && uuid[4] == '-' && digits.size() == 8;
    if (fatForm)
        return value(digits);
    if (!dashes && digits.size() == 16 && uuid.size() == 16)
        return value(std::string_view(digits).substr(8));
    while (digits.size() % 8 != 0)
        digits.push_back('0');
    uint32_t folded = 0;
    for (size_t i = 0; i < digits.size(); i += 8)
        folded ^= value(std::string_view(digits).substr(i, 8));
    return folded;
}

std::string FormatVolumeSerial(uint32_t serial) {
    return StringPrintf("%04X-%04X", serial >> 16, serial & 0xFFFF);
}

std::string UnescapeUdevName(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            HexDigitValue(name[i + 2]) >= 0 && HexDigitValue(name[i + 3]) >= 0) {
            out.push_back(static_cast<char>(HexDigitValue(name[i + 2]) * 16 + HexDigitValue(name[i + 3])));
            i += 3;
        } else {
            out.push_back(name[i]);
        }
    }
    return out;
}

}  // namespace shelfmark
