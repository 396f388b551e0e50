// One entry of an archive's directory as a header walker reports it, before any catalog item
// exists: the walkers only read headers and hand each entry to a sink.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace shelfmark {

struct ArchiveEntry {
    // The path below the archive, split into its components, each already UTF-8. Empty
    // components ("a//b", a leading separator) are dropped; never empty when reported.
    std::vector<std::string> components;
    bool isDirectory = false;  // the entry names a directory (its time goes on that directory)
    uint64_t size = 0;         // uncompressed size
    int64_t date = 0;  // seconds since 1970 UTC from the MS-DOS time read as local time; 0 none
    bool hasCrc32 = false;  // the format stores a CRC-32 of the content
    uint32_t crc32 = 0;
};

// Receives the entries in archive order. The entry is reused for the next one: copy what is kept.
using ArchiveEntrySink = std::function<void(const ArchiveEntry&)>;

}  // namespace shelfmark
