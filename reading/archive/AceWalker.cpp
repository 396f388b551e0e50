// ACE 1.x and 2.0: a main header, then one file header per entry, each followed by its data.
#include <cstring>

#include "reading/archive/ArchiveFile.h"
#include "reading/archive/ArchiveWalkers.h"
#include "reading/archive/DosTime.h"
#include "reading/archive/NameText.h"
#include "reading/archive/WalkSupport.h"

namespace shelfmark::archive {
namespace {

constexpr uint16_t kMainMultiVolume = 0x0800;
constexpr uint16_t kFileContinued = 0x1000;
constexpr size_t kMainFixedSize = 26;  // counted from the type byte
constexpr size_t kFileFixedSize = 31;

VolumeEnd WalkVolume(ArchiveFile& file, uint64_t startOffset, EntryReporter& reporter) {
    unsigned char main[14];
    if (!file.seek(startOffset) || !file.readExact(main, sizeof main) || main[4] != 0 ||
        std::memcmp(main + 7, "**ACE**", 7) != 0)
        return VolumeEnd::Stop;
    const uint16_t mainSize = Le16(main + 2);
    const bool multiVolume = (Le16(main + 5) & kMainMultiVolume) != 0;
    if (mainSize < kMainFixedSize || !file.seek(startOffset + 4 + mainSize))
        return VolumeEnd::Stop;

    ArchiveEntry entry;
    std::string rawName;
    std::string name;
    while (true) {
        const uint64_t headerStart = file.position();
        unsigned char header[4 + kFileFixedSize];
        if (!file.readExact(header, sizeof header))
            break;
        const uint16_t headSize = Le16(header + 2);
        const uint16_t flags = Le16(header + 5);
        if (header[4] != 1)
            return VolumeEnd::Stop;
        const uint16_t nameSize = Le16(header + 33);
        if (headSize < kFileFixedSize + nameSize)
            return VolumeEnd::Stop;
        const uint32_t packedSize = Le32(header + 7);
        rawName.resize(nameSize);
        if (!file.readExact(rawName.data(), nameSize))
            break;
        if (!(flags & kFileContinued)) {
            name.clear();
            AppendOemNameAsUtf8(name, std::string_view(rawName).substr(0, kMaxNameLength));
            SplitPath(name, '\\', entry.components);
            entry.isDirectory = (Le32(header + 19) & 0x10) != 0;
            entry.size = entry.isDirectory ? 0 : Le32(header + 11);
            entry.date = DosDateTimeToUnix(Le32(header + 15)).value_or(0);
            entry.hasCrc32 = !entry.isDirectory;
            entry.crc32 = Le32(header + 23);
            reporter.report(entry);
        }
        const uint64_t next = headerStart + 4 + headSize + packedSize;
        if (next > file.size() || !file.seek(next))
            break;
    }
    return multiVolume ? VolumeEnd::Next : VolumeEnd::Stop;
}

}  // namespace

bool WalkAce(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink) {
    EntryReporter reporter(sink);
    WalkVolumes(ArchiveKind::Ace, path, startOffset, [&](ArchiveFile& file, uint64_t offset) {
        return WalkVolume(file, offset, reporter);
    });
    return reporter.stored();
}

}  // namespace shelfmark::archive
