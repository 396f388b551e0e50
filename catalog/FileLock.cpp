#include "catalog/FileLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace shelfmark {
namespace {

// A path replaced this often while we try to lock it is being saved in a tight loop by
// others; the change is refused rather than waiting for a gap.
constexpr int kLockAttempts = 100;

struct flock WholeFile(short type) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 0;  // to the end, however large the file becomes
    range.l_pid = 0;  // required for open-file-description locks
    return range;
}

}  // namespace

bool FileLock::acquire(const std::string& path, std::string* error) {
    release();
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            if (error)
                *error = std::strerror(errno);
            return false;
        }
        struct flock range = WholeFile(F_WRLCK);
        if (::fcntl(fd, F_OFD_SETLK, &range) != 0) {
            if (error)
                *error = errno == EAGAIN || errno == EACCES ? std::string()
                                                            : std::string(std::strerror(errno));
            ::close(fd);
            return false;
        }
        // The path may have been renamed over between open() and the lock.
        const std::optional<FileStamp> locked = StampOfDescriptor(fd);
        const std::optional<FileStamp> named = StampOfFile(path);
        if (locked && named && locked->sameFile(*named)) {
            fd_ = fd;
            return true;
        }
        ::close(fd);
    }
    if (error)
        *error = "the file is being replaced by another process";
    return false;
}

void FileLock::release() {
    if (fd_ < 0)
        return;
    struct flock range = WholeFile(F_UNLCK);
    ::fcntl(fd_, F_OFD_SETLK, &range);
    ::close(fd_);
    fd_ = -1;
}

std::optional<FileStamp> FileLock::stamp() const {
    return StampOfDescriptor(fd_);
}

}  // namespace shelfmark
