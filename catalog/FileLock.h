// The edit lock on a catalog file: an open-file-description byte-range write lock over the
// whole file, so that a second Shelfmark process (desktop program or command-line tool) cannot
// change the same catalog while this one has unsaved changes. The lock belongs to the open file
// description, not to the process, so it behaves the same from any thread and is released when
// the descriptor is closed, also when the process dies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace shelfmark {

// What identifies a version of a file on disk: its size and last modification time.
struct FileStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;  // nanoseconds since 1970
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at `path`; nothing when it cannot be examined.
std::optional<FileStamp> StampOfFile(const std::string& path);

class FileLock {
  public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens `path` for writing and takes the write lock over the whole file without waiting.
    // False when the file cannot be opened for writing or another open file holds a lock.
    bool acquire(const std::string& path);
    void release();
    bool held() const { return fd_ >= 0; }
    // The stamp of the locked file (as the descriptor sees it).
    std::optional<FileStamp> stamp() const;

  private:
    int fd_ = -1;
};

// True when some other open file description holds a lock on the file at `path` (false when
// the file does not exist or cannot be opened).
bool IsFileLockedByOther(const std::string& path);

}  // namespace shelfmark
