// Buffered positional reading of one archive file: one buffer per file, filled with pread, so
// that reading a header field by field costs no system call and skipping data costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace shelfmark {

class ArchiveFile {
  public:
    // Opens the file for reading; isOpen() tells whether that worked.
    explicit ArchiveFile(const std::string& path, size_t bufferSize = 32 * 1024);
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    uint64_t size() const { return size_; }
    uint64_t position() const { return position_; }
    uint64_t remaining() const { return position_ < size_ ? size_ - position_ : 0; }

    // Copies up to `count` bytes from the current position and moves past them; returns how many
    // were copied (fewer at the end of the file or on a read error).
    size_t read(void* out, size_t count);
    // True when exactly `count` bytes were read.
    bool readExact(void* out, size_t count) { return read(out, count) == count; }
    // Reads one byte; -1 at the end of the file.
    int readByte();
    // Moves to an absolute position; false (position unchanged) beyond the end of the file.
    bool seek(uint64_t offset);
    // Moves forward; false, leaving the position at the end, when that passes the end.
    bool skip(uint64_t count);

  private:
    bool fill();

    int fd_ = -1;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t bufferSize_;
    uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
    size_t bufferLength_ = 0;   // valid bytes in buffer_
};

// Little-endian fields of a header already in memory.
inline uint16_t Le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Le64(const unsigned char* p) {
    return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}

}  // namespace shelfmark
