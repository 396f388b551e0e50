#include "foundation/ProfileUpdate.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace shelfmark {

ProfileUpdateLock::ProfileUpdateLock(const std::string& path) {
    fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return;
    int result;
    do
        result = ::flock(fd_, LOCK_EX);
    while (result != 0 && errno == EINTR);
}

ProfileUpdateLock::~ProfileUpdateLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool UpdateProfileFile(const std::string& path, const std::function<void(ProfileFile&)>& change) {
    const ProfileUpdateLock lock(path);
    ProfileFile file(path, true);
    change(file);
    const bool saved = !file.isModified() || file.save();
    file.clearPath();  // a failed save is not retried on destruction
    return saved;
}

}  // namespace shelfmark
