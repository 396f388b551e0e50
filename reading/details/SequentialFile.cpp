#include "reading/details/SequentialFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace shelfmark {

namespace {

// The residency of a large file is looked at through windows of this size, so that the map
// and the residency vector stay small.
constexpr uint64_t kResidencyWindow = uint64_t{1} << 30;

}  // namespace

SequentialFile::SequentialFile(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0)
        return;
    noteUncachedRanges();
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

SequentialFile::~SequentialFile() {
    if (fd_ < 0)
        return;
    // Also the parts not read (after a cancel): the kernel may have read ahead into them.
    for (const auto& [start, end] : uncached_)
        ::posix_fadvise(fd_, static_cast<off_t>(start), static_cast<off_t>(end - start),
                        POSIX_FADV_DONTNEED);
    ::close(fd_);
}

void SequentialFile::noteUncachedRanges() {
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return;
    const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
    const uint64_t pageSize = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident;
    for (uint64_t window = 0; window < fileSize; window += kResidencyWindow) {
        const size_t length = static_cast<size_t>(std::min(kResidencyWindow, fileSize - window));
        void* map = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd_, static_cast<off_t>(window));
        if (map == MAP_FAILED) {
            // Residency unknown: treat the rest as brought in by us.
            uncached_.emplace_back(window, fileSize);
            return;
        }
        resident.assign((length + pageSize - 1) / pageSize, 0);
        const bool known = ::mincore(map, length, resident.data()) == 0;
        ::munmap(map, length);
        for (size_t page = 0; page < resident.size(); ++page) {
            if (known && (resident[page] & 1))
                continue;
            const uint64_t start = window + page * pageSize;
            const uint64_t end = std::min(fileSize, start + pageSize);
            if (!uncached_.empty() && uncached_.back().second == start)
                uncached_.back().second = end;
            else
                uncached_.emplace_back(start, end);
        }
    }
}

ssize_t SequentialFile::readBlock(unsigned char* buffer, size_t size) {
    size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::read(fd_, buffer + filled, size - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

}  // namespace shelfmark
