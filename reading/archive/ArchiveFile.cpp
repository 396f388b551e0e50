#include "reading/archive/ArchiveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace shelfmark {

ArchiveFile::ArchiveFile(const std::string& path, size_t bufferSize)
    : buffer_(std::make_unique<unsigned char[]>(bufferSize)), bufferSize_(bufferSize) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<uint64_t>(info.st_size);
}

ArchiveFile::~ArchiveFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool ArchiveFile::fill() {
    bufferStart_ = position_;
    bufferLength_ = 0;
    while (bufferLength_ < bufferSize_) {
        const ssize_t got = ::pread(fd_, buffer_.get() + bufferLength_, bufferSize_ - bufferLength_,
                                    static_cast<off_t>(bufferStart_ + bufferLength_));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        bufferLength_ += static_cast<size_t>(got);
    }
    return bufferLength_ > 0;
}

size_t ArchiveFile::read(void* out, size_t count) {
    if (fd_ < 0)
        return 0;
    auto* target = static_cast<unsigned char*>(out);
    size_t done = 0;
    while (done < count) {
        if (position_ < bufferStart_ || position_ >= bufferStart_ + bufferLength_) {
            // A large read goes straight to the caller's memory.
            if (count - done >= bufferSize_) {
                const ssize_t got =
                    ::pread(fd_, target + done, count - done, static_cast<off_t>(position_));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    break;
                done += static_cast<size_t>(got);
                position_ += static_cast<uint64_t>(got);
                continue;
            }
            if (!fill())
                break;
        }
        const size_t offset = static_cast<size_t>(position_ - bufferStart_);
        const size_t chunk = std::min(count - done, bufferLength_ - offset);
        std::memcpy(target + done, buffer_.get() + offset, chunk);
        done += chunk;
        position_ += chunk;
    }
    return done;
}

int ArchiveFile::readByte() {
    unsigned char byte = 0;
    return read(&byte, 1) == 1 ? byte : -1;
}

bool ArchiveFile::seek(uint64_t offset) {
    if (fd_ < 0 || offset > size_)
        return false;
    position_ = offset;
    return true;
}

bool ArchiveFile::skip(uint64_t count) {
    if (count > remaining()) {
        position_ = std::max(position_, size_);
        return false;
    }
    position_ += count;
    return true;
}

}  // namespace shelfmark
