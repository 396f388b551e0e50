// Finding the archive inside a self-extracting executable: the first 128 KB are searched for the
// start of each kind in turn.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "reading/archive/ArchiveFile.h"
#include "reading/archive/ArchiveReaders.h"

namespace shelfmark {
namespace {

constexpr size_t kProbeSize = 131072;
constexpr size_t kSearchLimit = 131056;

// Offsets where `pattern` starts, within the searched bytes.
template <typename Match>
std::optional<uint64_t> FindFirst(std::string_view bytes, std::string_view pattern, Match accept) {
    const size_t limit = std::min(bytes.size(), kSearchLimit);
    size_t from = 0;
    while (true) {
        const size_t at = bytes.find(pattern, from);
        if (at == std::string_view::npos || at >= limit)
            return std::nullopt;
        if (auto offset = accept(at))
            return offset;
        from = at + 1;
    }
}

}  // namespace

std::optional<std::pair<ArchiveKind, uint64_t>> SfxProbe(const std::string& path,
                                                         uint8_t archiveMask) {
    ArchiveFile file(path, 4096);
    if (!file.isOpen())
        return std::nullopt;
    std::vector<char> buffer(kProbeSize);
    const size_t got = file.read(buffer.data(), buffer.size());
    if (got == 0)
        return std::nullopt;
    const std::string_view bytes(buffer.data(), got);
    const auto at = [](size_t offset) { return std::optional<uint64_t>(offset); };

    if (archiveMask & MaskBit(ArchiveKind::Zip)) {
        if (auto offset = FindFirst(bytes, std::string_view("PK\x03\x04", 4), at))
            return std::make_pair(ArchiveKind::Zip, *offset);
    }
    if (archiveMask & MaskBit(ArchiveKind::Rar)) {
        if (auto offset = FindFirst(bytes, std::string_view("Rar!\x1A\x07\x00", 7), at))
            return std::make_pair(ArchiveKind::Rar, *offset);
    }
    if (archiveMask & MaskBit(ArchiveKind::Ace)) {
        // The signature sits 7 bytes into the ACE main header.
        const auto mainHeader = [](size_t offset) {
            return offset >= 7 ? std::optional<uint64_t>(offset - 7) : std::nullopt;
        };
        if (auto offset = FindFirst(bytes, "**ACE**", mainHeader))
            return std::make_pair(ArchiveKind::Ace, *offset);
    }
    if (archiveMask & MaskBit(ArchiveKind::Arj)) {
        // An ARJ main header: the id, then file type 2 ten bytes on.
        const auto mainHeader = [&bytes](size_t offset) {
            return offset + 10 < bytes.size() && bytes[offset + 10] == 2
                       ? std::optional<uint64_t>(offset)
                       : std::nullopt;
        };
        if (auto offset = FindFirst(bytes, std::string_view("\x60\xEA", 2), mainHeader))
            return std::make_pair(ArchiveKind::Arj, *offset);
    }
    return std::nullopt;
}

}  // namespace shelfmark
