// Archives written byte by byte after the published layouts, for the cases no archiver on the
// machine writes (RAR and ACE have no free packer) and for damaged headers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "reading/archive/ArchiveEntry.h"
#include "reading/archive/ArchiveKind.h"

namespace shelfmark::testing {

void PutLe16(std::string& out, uint32_t value);
void PutLe32(std::string& out, uint32_t value);

// RAR 2.x/3.x block format.
struct RarFile {
    std::string name;  // the whole name field (with an encoded Unicode part when wanted)
    std::string data;
    uint16_t flags = 0;
    uint8_t hostOs = 2;
    uint32_t attributes = 0x20;
    uint32_t crc = 0x11223344;
    uint32_t dosTime = 0x50221863;  // 2020-01-02 03:03:06
    uint32_t unpackedSize = 0;      // 0: the data's size
    uint32_t highUnpacked = 0;      // with flag 0x0100
};
std::string RarMarker();
std::string RarMainHeader(uint16_t flags);
std::string RarFileHeader(const RarFile& file);
std::string RarEnd();

// ACE 1.x/2.0.
struct AceFile {
    std::string name;
    std::string data;
    uint16_t flags = 0x0001;
    uint32_t attributes = 0x20;
    uint32_t crc = 0x55667788;
    uint32_t dosTime = 0x50221863;
};
std::string AceMainHeader(uint16_t flags);
std::string AceFileHeader(const AceFile& file);

// A ZIP local header and its stored data.
struct ZipLocal {
    std::string name;
    std::string data;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0x1863;
    uint16_t dosDate = 0x5022;
    uint32_t crc = 0x99AABBCC;
};
std::string ZipLocalHeader(const ZipLocal& local);

// Every entry a walker reports, copied, and an entry's path joined with "/".
std::vector<ArchiveEntry> Collect(ArchiveKind kind, const std::filesystem::path& path,
                                  uint64_t offset = 0);
std::string Joined(const ArchiveEntry& entry);

}  // namespace shelfmark::testing
