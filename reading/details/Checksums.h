// Checksums of a file's content, read in 64 KB blocks with the cancel flag tested between
// blocks. Both give nothing (0 / no text) when the file cannot be opened or read, or when the
// read was cancelled, so a caller stores a value only when it has one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/CancelFlag.h"

namespace shelfmark {

// The block size both checksums read with.
inline constexpr size_t kChecksumBlockSize = 65536;

// State the read engine keeps for a whole read instead of making it per file: the read buffer.
class DigestContext {
  public:
    DigestContext() : buffer_(kChecksumBlockSize) {}
    unsigned char* buffer() { return buffer_.data(); }

  private:
    std::vector<unsigned char> buffer_;
};

// Both checksums in one pass over the file. Each checksum read drops from the page cache the
// pages it brought in, so a read that wants both should ask here: the file then comes off the
// disc once instead of twice. A checksum not asked for, or not produced, is absent.
struct FileChecksums {
    std::optional<uint32_t> crc32;
    std::optional<std::string> md5;
    // The system's error number when the file could not be opened or read; 0 otherwise (also
    // after a cancel).
    int error = 0;
};
FileChecksums ChecksumFile(const std::string& path, const CancelFlag& cancel, bool wantCrc32,
                           bool wantMd5, DigestContext* context = nullptr);

// The CRC-32 of ZIP (reflected polynomial 0xEDB88320) of the file's content; 0 on failure or
// cancel (an empty file also gives 0).
uint32_t Crc32File(const std::string& path, const CancelFlag& cancel);

// The MD5 of the file's content as 32 lower-case hexadecimal digits; nothing on failure or
// cancel. `context` may be null; the read engine passes one for the whole read.
std::optional<std::string> Md5File(const std::string& path, const CancelFlag& cancel,
                                   DigestContext* context = nullptr);

}  // namespace shelfmark
