// Replacing a file so that a crash, a full disk or a killed process never leaves it damaged:
// the new content goes to a temporary file in the same directory, is flushed to the disk, and
// is renamed over the target in one step.
#pragma once

#include <string>
#include <string_view>

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
    // Flushes, fsyncs, renames over the target and fsyncs the directory. False on any failure,
    // in which case the target is untouched.
    bool commit();

    // The system's description of the first failure, empty when none.
    const std::string& error() const { return error_; }
    const std::string& targetPath() const { return targetPath_; }

private:
    bool flushBuffer();
    void fail(const char* what);

    std::string targetPath_;
    std::string tempPath_;
    std::string buffer_;
    std::string error_;
    int fd_ = -1;
    bool failed_ = false;
    bool committed_ = false;
};

// Writes the whole content atomically; false (and the reason in `error` when given) on failure.
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error = nullptr);

}  // namespace shelfmark
