#include "foundation/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace shelfmark {

namespace {

constexpr size_t kBufferSize = 1 << 20;
constexpr char kTempMarker[] = ".tmp-";
// Temporary files of older versions carry no process number; they are taken as abandoned once
// they have not changed for this long.
constexpr time_t kUnownedTempAge = 3600;

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct flock WholeFile(short type) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    return range;  // l_start = l_len = 0: the whole file; l_pid = 0 as OFD locks require
}

// Whether the process `pid` still runs (one we may not signal runs too).
bool ProcessRuns(long pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

bool IsUniqueSuffix(std::string_view text) {
    if (text.size() != 6)
        return false;
    for (char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// What follows "<target>.tmp-" in a temporary file's name: "<pid>-XXXXXX", or "XXXXXX" as older
// versions wrote it (pid 0). Nothing for any other name: that file is not ours.
std::optional<long> OwnerOf(std::string_view suffix) {
    if (IsUniqueSuffix(suffix))
        return 0;
    const size_t dash = suffix.find('-');
    if (dash == std::string_view::npos || dash == 0 || !IsUniqueSuffix(suffix.substr(dash + 1)))
        return std::nullopt;
    long pid = 0;
    for (char c : suffix.substr(0, dash)) {
        if (c < '0' || c > '9' || pid > 100000000)
            return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// Renames `from` to `to` unless `to` exists, in one step; link() where the file system lacks
// RENAME_NOREPLACE.
int RenameNoReplace(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (::link(from, to) != 0)
        return -1;
    ::unlink(from);
    return 0;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : targetPath_(std::move(targetPath)) {
    struct stat existing {};
    const bool exists = ::stat(targetPath_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        fail("cannot replace '" + targetPath_ + "'", EISDIR);
        return;
    }
    std::string pattern = targetPath_ + kTempMarker + std::to_string(::getpid()) + "-XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail("cannot create a temporary file in '" + DirectoryOf(targetPath_) + "' for '" +
                 targetPath_ + "'",
             errno);
        return;
    }
    tempPath_ = pattern;
    // Held until the file is closed: tells a later sweep that this file is being written.
    struct flock range = WholeFile(F_WRLCK);
    ::fcntl(fd_, F_OFD_SETLK, &range);
    // Keep the permissions of the file being replaced; new files get the usual 0666 & ~umask.
    if (exists) {
        ::fchmod(fd_, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !tempPath_.empty())
        ::unlink(tempPath_.c_str());
}

void AtomicFileWriter::fail(const std::string& what, int error) {
    if (!failed_) {
        error_ = what + ": " + std::strerror(error);
        failed_ = true;
    }
}

bool AtomicFileWriter::flushBuffer() {
    const char* data = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail("cannot write '" + tempPath_ + "'", errno);
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    buffer_.clear();
    return true;
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (failed_ || fd_ < 0)
        return false;
    if (buffer_.size() + bytes.size() > kBufferSize && !flushBuffer())
        return false;
    if (bytes.size() >= kBufferSize) {
        buffer_.assign(bytes);
        return flushBuffer();
    }
    buffer_.append(bytes);
    return true;
}

bool AtomicFileWriter::moveIntoPlace(Replace replace) {
    if (replace == Replace::Allowed) {
        if (::rename(tempPath_.c_str(), targetPath_.c_str()) == 0)
            return true;
        fail("cannot replace '" + targetPath_ + "'", errno);
        return false;
    }
    if (RenameNoReplace(tempPath_.c_str(), targetPath_.c_str()) == 0)
        return true;
    targetExisted_ = errno == EEXIST;
    fail("cannot create '" + targetPath_ + "'", errno);
    return false;
}

bool AtomicFileWriter::commit(Replace replace) {
    if (failed_ || fd_ < 0 || !flushBuffer())
        return false;
    if (::fsync(fd_) != 0) {
        fail("cannot flush '" + tempPath_ + "' to disk", errno);
        return false;
    }
    // Renaming keeps the inode and the modification time: this is the stamp of the new target.
    const std::optional<FileStamp> stamp = StampOfDescriptor(fd_);
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail("cannot close '" + tempPath_ + "'", errno);
        return false;
    }
    fd_ = -1;
    if (!moveIntoPlace(replace))
        return false;
    committed_ = true;
    committedStamp_ = stamp;
    const int dir = ::open(DirectoryOf(targetPath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    RemoveStaleTemporaryFiles(targetPath_);
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error) {
    AtomicFileWriter writer(path);
    const bool ok = writer.isOpen() && writer.write(content) && writer.commit();
    if (!ok && error)
        *error = writer.error();
    return ok;
}

int RemoveStaleTemporaryFiles(const std::string& targetPath) {
    const std::string directory = DirectoryOf(targetPath);
    const std::string prefix = BaseNameOf(targetPath) + kTempMarker;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr)
        return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const std::optional<long> owner = OwnerOf(name.substr(prefix.size()));
        if (!owner || ProcessRuns(*owner))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        struct flock range = WholeFile(F_RDLCK);
        const bool abandoned = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                               ::fcntl(fd, F_OFD_GETLK, &range) == 0 && range.l_type == F_UNLCK &&
                               (*owner != 0 || info.st_mtime + kUnownedTempAge < ::time(nullptr));
        ::close(fd);
        if (abandoned && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace shelfmark
