#include "foundation/FileStamp.h"

#include <sys/stat.h>

namespace shelfmark {
namespace {

FileStamp StampFromStat(const struct stat& info) {
    return {uint64_t(info.st_dev), uint64_t(info.st_ino), uint64_t(info.st_size),
            int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

}  // namespace

std::optional<FileStamp> StampOfFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return StampFromStat(info);
}

std::optional<FileStamp> StampOfDescriptor(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return std::nullopt;
    return StampFromStat(info);
}

}  // namespace shelfmark
