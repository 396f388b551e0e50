#include "catalog/FileLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shelfmark {
namespace {

FileStamp StampFromStat(const struct stat& info) {
    return {uint64_t(info.st_size),
            int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

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

std::optional<FileStamp> StampOfFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return StampFromStat(info);
}

bool FileLock::acquire(const std::string& path) {
    release();
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock range = WholeFile(F_WRLCK);
    if (::fcntl(fd, F_OFD_SETLK, &range) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
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
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return std::nullopt;
    return StampFromStat(info);
}

bool IsFileLockedByOther(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock range = WholeFile(F_WRLCK);
    const bool locked = ::fcntl(fd, F_OFD_GETLK, &range) == 0 && range.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

}  // namespace shelfmark
