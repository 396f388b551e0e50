// What the end of a ZIP file tells about the archive: where it starts when other bytes precede it
// (a stub program, padding), and the sizes and CRC-32 the central directory keeps for each entry.
// The walk still goes through the local headers; this fills in what they leave open.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "reading/archive/ArchiveFile.h"

namespace shelfmark::archive {

struct ZipCentralEntry {
    uint64_t compressed = 0;
    uint64_t uncompressed = 0;
    uint32_t crc = 0;
    uint16_t dosDate = 0;
    uint16_t dosTime = 0;
};

struct ZipDirectory {
    // File offset of the first local header the directory names.
    uint64_t firstLocalHeader = 0;
    // Central directory entries by the file offset of their local header.
    std::unordered_map<uint64_t, ZipCentralEntry> entries;

    const ZipCentralEntry* find(uint64_t localHeader) const {
        const auto it = entries.find(localHeader);
        return it == entries.end() ? nullptr : &it->second;
    }
};

// The data of the extra field `id` in an entry's extra fields, when it has one.
std::optional<std::string_view> ZipExtraField(std::string_view extra, uint16_t id);

struct ZipEndRecord {
    uint64_t position = 0;    // where the record (its Zip64 form, when there is one) really is
    uint32_t diskNumber = 0;  // of the disk holding the record: not 0 in the last part of a set
    uint64_t directorySize = 0;
    uint64_t directoryOffset = 0;  // counted from the start of the archive
    uint64_t entryCount = 0;
};

// The end-of-central-directory record in the last 64 KB of the file (the last one found), with
// the values of its Zip64 form when the classic fields are full and that form is there.
std::optional<ZipEndRecord> FindZipEndRecord(ArchiveFile& file);

// Finds the end-of-central-directory record (and its Zip64 form) in the last 64 KB of the file
// and reads the central directory it points to. Offsets in the directory count from the start of
// the archive, which lies after any prefix: the prefix is the distance between where the record
// says the directory is and where it really is. Nothing when no record or directory is found;
// entries after a damaged one are left out. The file's position is left anywhere.
std::optional<ZipDirectory> ReadZipDirectory(ArchiveFile& file);

}  // namespace shelfmark::archive
