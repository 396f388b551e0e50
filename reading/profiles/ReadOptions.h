// Every choice of the read dialog that steers a disk read, as one value shared by the read
// engine, the command line and the desktop program. A read profile (ReadProfiles.h) stores and
// recalls it; the defaults here are those of a profile that has none of its keys yet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reading/archive/ArchiveKind.h"

namespace shelfmark {

// The file extension filter: the text as the user typed it ("jpg.png") and its pieces. Empty
// pieces are dropped, so ".mp3.ogg", "mp3.ogg" and "mp3..ogg" give the same two entries.
// Entries are kept case-folded: the walk compares the lower-cased extension of each file, so
// "JPG" typed by the user must still match photo.jpg and PHOTO.JPG.
class ExtensionList {
  public:
    ExtensionList() = default;
    explicit ExtensionList(std::string_view text);

    const std::string& text() const { return text_; }
    const std::vector<std::string>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    // Exact comparison with the (case-folded) entries; pass the lower-cased extension.
    bool contains(std::string_view extension) const;

  private:
    std::string text_;
    std::vector<std::string> entries_;
};

// The checked extension indexes of one description provider, keyed by the provider's module
// file name ("Shelfmark.exe" for the built-in provider, the plug-in's file name otherwise).
// `indexes` is the stored text: decimal indexes separated by "," ("0,4").
struct ProviderSelection {
    std::string module;
    std::string indexes;
};

// The module name under which the built-in provider's selection is stored.
inline constexpr std::string_view kBuiltinProviderModule = "Shelfmark.exe";

struct ReadOptions {
    // General page: the drive list entry (drive index, 0 = A:, or a folder entry's value).
    int LastDrive = 2;

    // Options page.
    bool bNoFiles = false;      // store directories only; files still count into directory sizes
    bool bNoEmptyDirs = false;  // after the walk, drop directories without children
    ExtensionList ExtList;      // when not empty, only files with one of these extensions
    bool bReadACEs = false;
    bool bReadCABs = false;
    bool bReadRARs = false;
    bool bReadZIPs = false;
    bool bReadARJs = false;
    bool bReadJARs = false;
    bool bCheckEXEs = false;  // probe .exe files for an embedded archive
    bool bEjectDisk = false;

    // More Options page.
    bool bCDExtraData = true;   // mixed-mode CDs: read the data files
    bool bCDExtraAudio = true;  // mixed-mode CDs: read the audio tracks
    bool bCalcCRC32 = false;
    bool bLimitCRC32Size = false;
    int MaxCRC32Size = 0;  // KB (units of 1024 bytes)
    bool bStoreArchiveCRC32 = false;
    bool bCalcMD5 = false;
    bool bLimitMD5Size = false;
    int MaxMD5Size = 0;  // KB

    // Descriptions page.
    bool bContactCDDB = false;  // look an audio CD up after reading it
    bool bEnableCDText = false;
    // The built-in provider first, then one entry per plug-in, in the order they were loaded.
    std::vector<ProviderSelection> providers{{std::string(kBuiltinProviderModule), "0"}};

    // The archive switches folded into one byte: ZIP 0x01, RAR 0x02, ACE 0x04, CAB 0x08,
    // ARJ 0x10, JAR 0x20, and 0x80 for bCheckEXEs (see ArchiveKind.h).
    uint8_t archiveMask() const;

    // Whether a file of `length` bytes gets its CRC-32 / MD5 computed: the switch is on and,
    // when the limit is on, the file is below 4 GiB and below the limit in KB.
    bool wantsCrc32(uint64_t length) const;
    bool wantsMd5(uint64_t length) const;

    // The stored indexes text of a provider module, or nothing when it has no entry.
    const ProviderSelection* findProvider(std::string_view module) const;
    // Sets (or adds) a provider module's indexes text.
    void setProvider(std::string_view module, std::string_view indexes);
};

// The indexes 0 to 255 that a stored indexes text ("0,4") names, in text order.
std::vector<int> ParseProviderIndexes(std::string_view text);
// The stored form of a list of indexes: each followed by ",", the last comma dropped.
std::string FormatProviderIndexes(const std::vector<int>& indexes);

}  // namespace shelfmark
