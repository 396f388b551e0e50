// Listings of the real archivers' outputs kept next to every corpus archive (".truth.txt"):
// 7z -slt, zipinfo -v, arj v / arj l and the ACE header dump, parsed into comparable entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shelfmark::testing {

struct TruthEntry {
    std::string path;  // "/"-separated, as the tool shows it
    bool directory = false;
    uint64_t size = 0;
    std::string modified;      // "YYYY-MM-DD HH:MM:SS" or empty when the tool shows none
    std::string crc;           // eight upper-case hex digits or empty
    bool splitBefore = false;  // continued from an earlier volume
    char volumeMark = ' ';     // arj: '>' first part, '*' middle part, '<' last part
};

// The output of one command in a truth file ("===== $ COMMAND" up to its exit status line).
std::optional<std::string> TruthSection(const std::string& truth, const std::string& command);

// Entries of `7z l -slt`, in the tool's order.
std::vector<TruthEntry> Parse7zListing(const std::string& section);
// Entries of `bsdtar -tvf` (path, size, directory mark), in the tool's order.
std::vector<TruthEntry> ParseBsdtarListing(const std::string& section);
// The MS-DOS times of `zipinfo -v`, one per central directory entry, in order; empty for a
// date that names no moment (month 0).
std::vector<std::string> ParseZipinfoDosTimes(const std::string& section);
// Entries of `arj v` (paths) or `arj l` (base names only).
std::vector<TruthEntry> ParseArjListing(const std::string& section, bool verbose);
// File headers of the ACE header dump; the names are the stored bytes, "\"-separated.
struct AceHeader {
    std::string name;
    uint32_t flags = 0;
    uint32_t attributes = 0;
    uint64_t size = 0;
    std::string modified;
    std::string crc;
};
std::vector<AceHeader> ParseAceHeaders(const std::string& section);

}  // namespace shelfmark::testing
