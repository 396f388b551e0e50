// Reading the title, artist, album, comment and track number of an MP3 file from its ID3 tag:
// an ID3v2.3/2.4 tag at the start of the file, otherwise an ID3v1/v1.1 tag at its end.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace shelfmark {

struct TagRecord {
    std::string title;
    std::string artist;
    std::string album;
    std::string comment;
    int trackNumber = 0;  // 1 to 255; 0 = none

    bool operator==(const TagRecord&) const = default;
};

struct TagReadOptions {
    // ID3v2 frames in UTF-16 or UTF-8 are used too (by default only ISO-8859-1 frames are).
    bool bMP3Unicode = false;
};

// The tag of a file; nothing when the file has none or cannot be opened or read. Only the
// header, the frame headers and used frames of an ID3v2 tag, or the last 128 bytes are read.
std::optional<TagRecord> ReadTags(const std::string& path, const TagReadOptions& options = {});

// The same for a whole file already in memory.
std::optional<TagRecord> ReadTagsFromMemory(std::span<const uint8_t> file,
                                            const TagReadOptions& options = {});

}  // namespace shelfmark
