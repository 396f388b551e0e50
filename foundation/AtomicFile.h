// Replacing a file so that a crash, a full disk or a killed process never leaves it damaged:
// the new content goes to a temporary file in the same directory, is flushed to the disk, and
// is renamed over the target in one step.
//
// The temporary file is named "<target>.tmp-<pid>-XXXXXX" and carries a write lock while it is
// written. A writer that was killed half-way leaves it behind; the next successful commit for
// the same target removes every such file whose process is gone and that nobody holds locked.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "foundation/FileStamp.h"

namespace shelfmark {

class AtomicFileWriter {
public:
    // Opens a temporary file beside `targetPath`. Check isOpen() and error().
    explicit AtomicFileWriter(std::string targetPath);
    // Removes the temporary file unless commit() succeeded.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // Buffered append; false once any write failed (the failure sticks until the end).
    bool write(std::string_view bytes);
    bool write(const void* data, size_t size) {
        return write(std::string_view(static_cast<const char*>(data), size));
    }
    enum class Replace { Allowed, Never };
    // Flushes, fsyncs, renames over the target and fsyncs the directory. With Replace::Never an
    // existing target is kept and the commit fails (error() says it exists), decided in one
    // step of the file system. False on any failure, in which case the target is untouched.
    bool commit(Replace replace = Replace::Allowed);

    // The system's description of the first failure, naming the file; empty when none.
    const std::string& error() const { return error_; }
    // Whether the first failure was an existing target under Replace::Never.
    bool targetExisted() const { return targetExisted_; }
    const std::string& targetPath() const { return targetPath_; }
    // After a successful commit: the stamp of the file now at the target.
    const std::optional<FileStamp>& committedStamp() const { return committedStamp_; }

private:
    bool flushBuffer();
    void fail(const std::string& what, int error);
    bool moveIntoPlace(Replace replace);

    std::string targetPath_;
    std::string tempPath_;
    std::string buffer_;
    std::string error_;
    std::optional<FileStamp> committedStamp_;
    int fd_ = -1;
    bool failed_ = false;
    bool committed_ = false;
    bool targetExisted_ = false;
};

// Writes the whole content atomically; false (and the reason in `error` when given) on failure.
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error = nullptr);

// Removes the temporary files of `targetPath` that writers left behind when they were killed:
// those whose process no longer runs and that no open file holds locked (older files without a
// process number: when unchanged for an hour). Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::string& targetPath);

}  // namespace shelfmark
