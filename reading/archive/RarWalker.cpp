// RAR 1.5 to 4.x block format. RAR 5 archives start with another marker and are not read.
#include <cstring>
#include <vector>

#include "catalog/FileText.h"
#include "foundation/Utf8Text.h"
#include "reading/archive/ArchiveFile.h"
#include "reading/archive/ArchiveWalkers.h"
#include "reading/archive/DosTime.h"
#include "reading/archive/NameText.h"
#include "reading/archive/WalkSupport.h"

namespace shelfmark::archive {
namespace {

constexpr unsigned char kMarker[7] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};

constexpr uint8_t kMainHeader = 0x73;
constexpr uint8_t kFileHeader = 0x74;
constexpr uint8_t kSubBlock = 0x7A;
constexpr uint8_t kEndOfArchive = 0x7B;

constexpr uint16_t kMainVolume = 0x0001;
constexpr uint16_t kMainEncryptedHeaders = 0x0080;

constexpr uint16_t kFileContinued = 0x0001;
constexpr uint16_t kFileContinues = 0x0002;
constexpr uint16_t kFileDictionaryMask = 0x00E0;  // all bits set: a directory entry
constexpr uint16_t kFileLargeSizes = 0x0100;
constexpr uint16_t kFileUnicodeName = 0x0200;
constexpr uint16_t kLongBlock = 0x8000;

constexpr size_t kBaseSize = 7;
constexpr size_t kFileFixedSize = 32;  // base header and the fields up to ATTR

constexpr uint8_t kHostUnix = 3;

void ConvertName(const std::string& field, bool unicode, uint8_t hostOs, std::string& out) {
    out.clear();
    const size_t zero = field.find('\0');
    const std::string_view ansi(field.data(), zero == std::string::npos ? field.size() : zero);
    if (unicode && zero != std::string::npos) {
        const std::vector<uint8_t> wide = DecodeRarUnicodeName(field, zero);
        if (!wide.empty()) {
            out = Utf16LeToUtf8(wide);
            return;
        }
    } else if (unicode && text::IsValidUtf8(ansi)) {
        // Later RAR 3 versions store a name needing Unicode as UTF-8 without the ANSI part.
        out.assign(ansi.substr(0, kMaxNameLength));
        return;
    }
    // RAR for Unix stores names in the packer's character set, UTF-8 nowadays, not an OEM page.
    if (hostOs == kHostUnix && text::IsValidUtf8(ansi)) {
        out.assign(ansi.substr(0, kMaxNameLength));
        return;
    }
    AppendOemNameAsUtf8(out, ansi.substr(0, kMaxNameLength));
}

// One volume from its marker to its end.
// A file split over volumes keeps in its first header the CRC-32 of its first part only; the
// whole file's CRC-32 comes with its last part, so the entry is held back until then.
VolumeEnd WalkVolume(ArchiveFile& file, uint64_t startOffset, EntryReporter& reporter) {
    unsigned char marker[7];
    if (!file.seek(startOffset) || !file.readExact(marker, 7) ||
        std::memcmp(marker, kMarker, 7) != 0)
        return VolumeEnd::Stop;

    bool volume = false;
    ArchiveEntry entry;
    std::string field;
    std::string name;
    while (true) {
        const uint64_t blockStart = file.position();
        unsigned char base[kBaseSize];
        if (!file.readExact(base, kBaseSize))
            break;
        const uint8_t type = base[2];
        const uint16_t flags = Le16(base + 3);
        const uint16_t headSize = Le16(base + 5);
        if (type < 0x72 || type > 0x7B || headSize < kBaseSize)
            return VolumeEnd::Stop;

        uint64_t dataSize = 0;
        if (type == kFileHeader || type == kSubBlock) {
            unsigned char fixed[kFileFixedSize - kBaseSize + 8];
            const size_t fixedSize =
                kFileFixedSize - kBaseSize + ((flags & kFileLargeSizes) ? 8 : 0);
            if (headSize < kBaseSize + fixedSize || !file.readExact(fixed, fixedSize))
                return VolumeEnd::Stop;
            const uint16_t nameSize = Le16(fixed + 19);
            if (headSize < kBaseSize + fixedSize + nameSize)
                return VolumeEnd::Stop;
            const uint64_t high = (flags & kFileLargeSizes) ? Le32(fixed + 25) : 0;
            dataSize = (high << 32) | Le32(fixed);
            if (type == kFileHeader && (flags & kFileContinued)) {
                if (reporter.holding() && !(flags & kFileContinues)) {
                    reporter.held().crc32 = Le32(fixed + 9);
                    reporter.release();
                }
            } else if (type == kFileHeader) {
                field.resize(nameSize);
                if (!file.readExact(field.data(), nameSize))
                    return VolumeEnd::Stop;
                const uint8_t hostOs = fixed[8];
                ConvertName(field, (flags & kFileUnicodeName) != 0, hostOs, name);
                const uint32_t attributes = Le32(fixed + 21);
                // The DOS directory attribute means something else in Unix modes.
                const bool dosAttributes = hostOs <= 2;
                entry.isDirectory = (flags & kFileDictionaryMask) == kFileDictionaryMask ||
                                    (dosAttributes && (attributes & 0x10));
                SplitPath(name, '\\', entry.components);
                const uint64_t highUnpacked = (flags & kFileLargeSizes) ? Le32(fixed + 29) : 0;
                entry.size = entry.isDirectory ? 0 : (highUnpacked << 32) | Le32(fixed + 4);
                entry.hasCrc32 = !entry.isDirectory;
                entry.crc32 = Le32(fixed + 9);
                entry.date = DosDateTimeToUnix(Le32(fixed + 13)).value_or(0);
                if ((flags & kFileContinues) && !entry.isDirectory)
                    reporter.hold(entry);
                else
                    reporter.report(entry);
            }
        } else if (type == kEndOfArchive) {
            break;
        } else {
            if (type == kMainHeader) {
                volume = (flags & kMainVolume) != 0;
                // Encrypted headers cannot be walked without the password.
                if (flags & kMainEncryptedHeaders)
                    return VolumeEnd::Stop;
            }
            if (flags & kLongBlock) {
                unsigned char addSize[4];
                if (headSize < kBaseSize + 4 || !file.readExact(addSize, 4))
                    return VolumeEnd::Stop;
                dataSize = Le32(addSize);
            }
        }
        const uint64_t next = blockStart + headSize + dataSize;
        if (next > file.size() || !file.seek(next))
            break;
    }
    return volume ? VolumeEnd::Next : VolumeEnd::Stop;
}

}  // namespace

bool WalkRar(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink) {
    EntryReporter reporter(sink);
    WalkVolumes(ArchiveKind::Rar, path, startOffset, [&](ArchiveFile& file, uint64_t offset) {
        return WalkVolume(file, offset, reporter);
    });
    // The set ended before the file's last part: its CRC-32 is not known.
    if (reporter.holding()) {
        reporter.held().hasCrc32 = false;
        reporter.release();
    }
    return reporter.stored();
}

}  // namespace shelfmark::archive
