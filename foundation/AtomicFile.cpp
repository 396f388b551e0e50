#include "foundation/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shelfmark {

namespace {

constexpr size_t kBufferSize = 1 << 20;

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : targetPath_(std::move(targetPath)) {
    std::string pattern = targetPath_ + ".tmp-XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail("cannot create a temporary file");
        return;
    }
    tempPath_ = pattern;
    // Keep the permissions of the file being replaced; new files get the usual 0666 & ~umask.
    struct stat existing {};
    if (::stat(targetPath_.c_str(), &existing) == 0) {
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

void AtomicFileWriter::fail(const char* what) {
    if (!failed_) {
        error_ = std::string(what) + ": " + std::strerror(errno);
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
            fail("cannot write the file");
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

bool AtomicFileWriter::commit() {
    if (failed_ || fd_ < 0 || !flushBuffer())
        return false;
    if (::fsync(fd_) != 0) {
        fail("cannot flush the file to disk");
        return false;
    }
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail("cannot close the file");
        return false;
    }
    fd_ = -1;
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
        fail("cannot replace the file");
        return false;
    }
    committed_ = true;
    const int dir = ::open(DirectoryOf(targetPath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error) {
    AtomicFileWriter writer(path);
    const bool ok = writer.isOpen() && writer.write(content) && writer.commit();
    if (!ok && error)
        *error = writer.error();
    return ok;
}

}  // namespace shelfmark
