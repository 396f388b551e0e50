#include "reading/archive/ZipDirectory.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace shelfmark::archive {
namespace {

constexpr size_t kEndRecordSize = 22;
constexpr size_t kLocatorSize = 20;
constexpr size_t kCentralHeaderSize = 46;
constexpr uint64_t kLongestComment = 65535;
constexpr uint32_t kFull32 = 0xFFFFFFFF;

bool HasSignature(ArchiveFile& file, uint64_t at, const char* signature) {
    unsigned char bytes[4];
    return file.seek(at) && file.readExact(bytes, 4) && std::memcmp(bytes, signature, 4) == 0;
}

// The Zip64 end record the locator in front of the classic record points to. Its offset counts
// from the archive's start too, so a prefix is found by looking back from the locator.
bool ReadZip64End(ArchiveFile& file, uint64_t classicAt, ZipEndRecord& end) {
    if (classicAt < kLocatorSize)
        return false;
    unsigned char locator[kLocatorSize];
    if (!file.seek(classicAt - kLocatorSize) || !file.readExact(locator, kLocatorSize) ||
        std::memcmp(locator, "PK\x06\x07", 4) != 0)
        return false;
    const uint64_t stated = Le64(locator + 8);
    unsigned char record[56];
    for (const uint64_t at : {stated, classicAt - kLocatorSize - sizeof record}) {
        if (at > classicAt || !file.seek(at) || !file.readExact(record, sizeof record) ||
            std::memcmp(record, "PK\x06\x06", 4) != 0)
            continue;
        end.position = at;
        end.entryCount = Le64(record + 32);
        end.directorySize = Le64(record + 40);
        end.directoryOffset = Le64(record + 48);
        return true;
    }
    return false;
}

// The Zip64 extra field of a central entry: the full values of the fields that hold 0xFFFFFFFF,
// in the order uncompressed size, compressed size, local header offset.
void ApplyZip64(std::string_view extra, ZipCentralEntry& entry, uint64_t& localOffset) {
    const auto field = ZipExtraField(extra, 0x0001);
    if (!field)
        return;
    const auto* p = reinterpret_cast<const unsigned char*>(field->data());
    size_t at = 0;
    for (uint64_t* value : {&entry.uncompressed, &entry.compressed, &localOffset}) {
        if (*value != kFull32)
            continue;
        if (at + 8 > field->size())
            return;
        *value = Le64(p + at);
        at += 8;
    }
}

}  // namespace

std::optional<std::string_view> ZipExtraField(std::string_view extra, uint16_t id) {
    const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
    size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        const uint16_t length = Le16(p + pos + 2);
        if (length > extra.size() - pos - 4)
            return std::nullopt;
        if (Le16(p + pos) == id)
            return extra.substr(pos + 4, length);
        pos += 4 + length;
    }
    return std::nullopt;
}

std::optional<ZipEndRecord> FindZipEndRecord(ArchiveFile& file) {
    if (file.size() < kEndRecordSize)
        return std::nullopt;
    const uint64_t tail = std::min<uint64_t>(file.size(), kEndRecordSize + kLongestComment);
    std::string bytes(static_cast<size_t>(tail), '\0');
    if (!file.seek(file.size() - tail) || !file.readExact(bytes.data(), bytes.size()))
        return std::nullopt;
    for (size_t i = bytes.size() - kEndRecordSize + 1; i-- > 0;) {
        if (std::memcmp(bytes.data() + i, "PK\x05\x06", 4) != 0)
            continue;
        const auto* record = reinterpret_cast<const unsigned char*>(bytes.data() + i);
        ZipEndRecord end;
        end.position = file.size() - tail + i;
        end.diskNumber = Le16(record + 4);
        end.entryCount = Le16(record + 10);
        end.directorySize = Le32(record + 12);
        end.directoryOffset = Le32(record + 16);
        if (end.directoryOffset == kFull32 || end.directorySize == kFull32 ||
            end.entryCount == 0xFFFF)
            ReadZip64End(file, end.position, end);
        return end;
    }
    return std::nullopt;
}

std::optional<ZipDirectory> ReadZipDirectory(ArchiveFile& file) {
    const std::optional<ZipEndRecord> end = FindZipEndRecord(file);
    if (!end || end->directorySize > end->position)
        return std::nullopt;
    // Where the directory is, and so how many bytes precede the archive; writers that fixed up
    // their offsets for a prefix (or state a wrong directory size) are met by the second guess.
    const uint64_t directoryAt = end->position - end->directorySize;
    uint64_t archiveStart = 0;
    if (directoryAt >= end->directoryOffset && HasSignature(file, directoryAt, "PK\x01\x02"))
        archiveStart = directoryAt - end->directoryOffset;
    else if (!HasSignature(file, end->directoryOffset, "PK\x01\x02"))
        return std::nullopt;

    ZipDirectory directory;
    directory.firstLocalHeader = UINT64_MAX;
    if (!file.seek(archiveStart + end->directoryOffset))
        return std::nullopt;
    std::string extra;
    for (uint64_t i = 0; i < end->entryCount; ++i) {
        unsigned char header[kCentralHeaderSize];
        if (!file.readExact(header, sizeof header) || std::memcmp(header, "PK\x01\x02", 4) != 0)
            break;
        ZipCentralEntry entry;
        entry.dosTime = Le16(header + 12);
        entry.dosDate = Le16(header + 14);
        entry.crc = Le32(header + 16);
        entry.compressed = Le32(header + 20);
        entry.uncompressed = Le32(header + 24);
        const uint16_t nameLength = Le16(header + 28);
        extra.resize(Le16(header + 30));
        const uint16_t commentLength = Le16(header + 32);
        uint64_t localOffset = Le32(header + 42);
        if (!file.skip(nameLength) || !file.readExact(extra.data(), extra.size()) ||
            !file.skip(commentLength))
            break;
        ApplyZip64(extra, entry, localOffset);
        if (localOffset > file.size() - archiveStart)
            continue;
        const uint64_t at = archiveStart + localOffset;
        directory.entries.emplace(at, entry);
        directory.firstLocalHeader = std::min(directory.firstLocalHeader, at);
    }
    if (directory.entries.empty())
        return std::nullopt;
    return directory;
}

}  // namespace shelfmark::archive
