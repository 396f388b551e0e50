// What identifies one version of a file on disk: the file itself (device and inode) and its
// size and last modification time. Files here are replaced by renaming a new file over them,
// so a changed file is a different inode; size and time catch the rest.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace shelfmark {

struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t modifiedNs = 0;  // nanoseconds since 1970

    bool operator==(const FileStamp&) const = default;
    // The same file (device and inode), whatever its content.
    bool sameFile(const FileStamp& other) const {
        return device == other.device && inode == other.inode;
    }
};

// The stamp of the file at `path` (links followed); nothing when it cannot be examined.
std::optional<FileStamp> StampOfFile(const std::string& path);
// The stamp of the open file `fd`: of exactly the file that was read or written through it.
std::optional<FileStamp> StampOfDescriptor(int fd);

}  // namespace shelfmark
