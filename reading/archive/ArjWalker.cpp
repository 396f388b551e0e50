// ARJ: a main header, then one header per file, each followed by its compressed data; a header
// of size 0 ends a volume.
#include "reading/archive/ArchiveFile.h"
#include "reading/archive/ArchiveWalkers.h"
#include "reading/archive/DosTime.h"
#include "reading/archive/NameText.h"
#include "reading/archive/WalkSupport.h"

namespace shelfmark::archive {
namespace {

constexpr uint16_t kMaxBasicHeader = 2600;
constexpr size_t kFixedSize = 30;  // the fields from "first header size" to "host data"
constexpr uint8_t kFlagVolume = 0x04;
constexpr uint8_t kTypeDirectory = 3;
constexpr uint8_t kHostUnix =
    2;  // ARJ for Unix stores seconds since 1970 instead of an MS-DOS time

enum class HeaderResult { Read, EndOfVolume, Damaged };

// Reads one basic header into `header` (its `size` bytes after the id and size fields) and
// steps over its CRC and its extended headers.
HeaderResult ReadHeader(ArchiveFile& file, std::string& header) {
    unsigned char start[4];
    const size_t got = file.read(start, 4);
    if (got < 4)
        return HeaderResult::EndOfVolume;
    if (start[0] != 0x60 || start[1] != 0xEA)
        return HeaderResult::Damaged;
    const uint16_t size = Le16(start + 2);
    if (size == 0)
        return HeaderResult::EndOfVolume;
    if (size > kMaxBasicHeader || size < kFixedSize)
        return HeaderResult::Damaged;
    header.resize(size);
    if (!file.readExact(header.data(), size) || !file.skip(4))
        return HeaderResult::EndOfVolume;
    while (true) {
        unsigned char extended[2];
        if (!file.readExact(extended, 2))
            return HeaderResult::EndOfVolume;
        const uint16_t extendedSize = Le16(extended);
        if (extendedSize == 0)
            return HeaderResult::Read;
        if (!file.skip(uint64_t{extendedSize} + 4))
            return HeaderResult::EndOfVolume;
    }
}

// A file split over volumes has one header per part, each with the size and CRC-32 of that part
// only: the entry is held back until its last part has added its size, and keeps no CRC-32.
VolumeEnd WalkVolume(ArchiveFile& file, uint64_t startOffset, EntryReporter& reporter,
                     bool& previousContinues) {
    std::string header;
    if (!file.seek(startOffset) || ReadHeader(file, header) != HeaderResult::Read)
        return VolumeEnd::Stop;
    const bool volume = (static_cast<uint8_t>(header[4]) & kFlagVolume) != 0;

    ArchiveEntry entry;
    std::string name;
    while (true) {
        const HeaderResult result = ReadHeader(file, header);
        if (result == HeaderResult::Damaged)
            return VolumeEnd::Stop;
        if (result == HeaderResult::EndOfVolume)
            break;
        const auto* fields = reinterpret_cast<const unsigned char*>(header.data());
        // Later ARJ versions put more fields before the name; the first byte says how many.
        const size_t nameStart =
            fields[0] >= kFixedSize && fields[0] < header.size() ? fields[0] : kFixedSize;
        const size_t zero = header.find('\0', nameStart);
        const std::string_view rawName = std::string_view(header).substr(
            nameStart, (zero == std::string::npos ? header.size() : zero) - nameStart);
        const uint8_t flags = fields[4];
        const uint32_t compressed = Le32(fields + 12);
        const bool continues = (flags & kFlagVolume) != 0;
        if (previousContinues) {
            if (reporter.holding()) {
                reporter.held().size += Le32(fields + 16);
                if (!continues)
                    reporter.release();
            }
        } else {
            name.clear();
            AppendOemNameAsUtf8(name, rawName.substr(0, kMaxNameLength));
            SplitPath(name, '/', entry.components);
            entry.isDirectory = fields[6] == kTypeDirectory;
            entry.size = entry.isDirectory ? 0 : Le32(fields + 16);
            entry.date = fields[3] == kHostUnix ? int64_t{Le32(fields + 8)}
                                                : DosDateTimeToUnix(Le32(fields + 8)).value_or(0);
            entry.hasCrc32 = !entry.isDirectory && !continues;
            entry.crc32 = Le32(fields + 20);
            if (continues && !entry.isDirectory)
                reporter.hold(entry);
            else
                reporter.report(entry);
        }
        previousContinues = continues;
        if (!file.skip(compressed))
            break;
    }
    return volume ? VolumeEnd::Next : VolumeEnd::Stop;
}

}  // namespace

bool WalkArj(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink) {
    EntryReporter reporter(sink);
    bool previousContinues = false;
    WalkVolumes(ArchiveKind::Arj, path, startOffset, [&](ArchiveFile& file, uint64_t offset) {
        return WalkVolume(file, offset, reporter, previousContinues);
    });
    if (reporter.holding())
        reporter.release();
    return reporter.stored();
}

}  // namespace shelfmark::archive
