// Reads a file front to back in whole blocks, telling the kernel so, and afterwards drops from
// the page cache the parts that this read brought in. Parts that were already cached when the
// file was opened stay: the user had them for a reason, and a second checksum of the same file
// should not have to go back to the disc.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace shelfmark {

class SequentialFile {
  public:
    explicit SequentialFile(const std::string& path);
    ~SequentialFile();
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Fills `buffer` with the next `size` bytes; fewer only at the end of the file. -1 on a
    // read error.
    ssize_t readBlock(unsigned char* buffer, size_t size);

  private:
    void noteUncachedRanges();

    int fd_ = -1;
    // [start, end) byte ranges that were not in the page cache at open.
    std::vector<std::pair<uint64_t, uint64_t>> uncached_;
};

}  // namespace shelfmark
