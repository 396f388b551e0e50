// The edit lock on a catalog file: an open-file-description byte-range write lock over the
// whole file, so that a second Shelfmark process (desktop program or command-line tool) cannot
// change the same catalog while this one has unsaved changes. The lock belongs to the open file
// description, not to the process, so it behaves the same from any thread and is released when
// the descriptor is closed, also when the process dies.
//
// A save renames a new file over the catalog's path, so a lock on the file that was there
// before guards nothing afterwards: acquire() only succeeds once the locked file is the one the
// path names.
#pragma once

#include <optional>
#include <string>

#include "foundation/FileStamp.h"

namespace shelfmark {

class FileLock {
  public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens `path` for writing and takes the write lock over the whole file without waiting,
    // then checks that `path` still names the locked file (trying again when it was replaced
    // meanwhile). False when the file cannot be opened for writing or another open file holds a
    // lock; `error` then holds the system's reason when there is one.
    bool acquire(const std::string& path, std::string* error = nullptr);
    void release();
    bool held() const { return fd_ >= 0; }
    // The stamp of the locked file (as the descriptor sees it).
    std::optional<FileStamp> stamp() const;

  private:
    int fd_ = -1;
};

}  // namespace shelfmark
