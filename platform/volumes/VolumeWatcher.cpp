#include "platform/volumes/VolumeWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace shelfmark {

namespace {

constexpr const char* kMountInfo = "/proc/self/mountinfo";

bool Contains(const std::vector<Volume>& list, const Volume& volume) {
    return std::any_of(list.begin(), list.end(),
                       [&](const Volume& other) { return SameVolume(other, volume); });
}

void CloseIfOpen(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

bool SameVolume(const Volume& a, const Volume& b) {
    return a.mountPoint == b.mountPoint && a.major == b.major && a.minor == b.minor &&
           a.serial == b.serial;
}

std::vector<VolumeChange> DiffVolumes(const std::vector<Volume>& before,
                                      const std::vector<Volume>& after) {
    std::vector<VolumeChange> changes;
    for (const Volume& volume : before)
        if (!Contains(after, volume))
            changes.push_back({VolumeChange::Kind::Removed, volume});
    for (const Volume& volume : after)
        if (!Contains(before, volume))
            changes.push_back({VolumeChange::Kind::Arrived, volume});
    return changes;
}

VolumeWatcher::VolumeWatcher(Listener listener, Lister lister)
    : listener_(std::move(listener)), lister_(std::move(lister)) {}

VolumeWatcher::~VolumeWatcher() {
    stop();
}

bool VolumeWatcher::start(std::string& error) {
    if (running())
        return true;
    mountInfoFd_ = ::open(kMountInfo, O_RDONLY | O_CLOEXEC);
    if (mountInfoFd_ < 0) {
        error = std::string(kMountInfo) + ": " + std::strerror(errno);
        return false;
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        error = std::string("eventfd: ") + std::strerror(errno);
        CloseIfOpen(mountInfoFd_);
        return false;
    }
    // Listed after the descriptor is open, so a mount in between is not lost: it marks the
    // descriptor and the first wake-up finds it.
    {
        std::vector<Volume> now = lister_();
        const std::lock_guard lock(mutex_);
        volumes_ = std::move(now);
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

void VolumeWatcher::stop() {
    if (!running())
        return;
    const uint64_t one = 1;
    // An eventfd write of 1 only fails when the counter is full, which leaves it readable too.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    thread_.join();
    CloseIfOpen(mountInfoFd_);
    CloseIfOpen(wakeFd_);
}

std::vector<Volume> VolumeWatcher::volumes() const {
    const std::lock_guard lock(mutex_);
    return volumes_;
}

void VolumeWatcher::run() {
    pollfd fds[2] = {{mountInfoFd_, POLLPRI, 0}, {wakeFd_, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0 || (fds[0].revents & POLLNVAL) != 0)
            return;
        if ((fds[0].revents & (POLLPRI | POLLERR)) == 0)
            continue;
        std::vector<Volume> now = lister_();
        std::vector<VolumeChange> changes;
        {
            const std::lock_guard lock(mutex_);
            changes = DiffVolumes(volumes_, now);
            volumes_ = std::move(now);
        }
        for (const VolumeChange& change : changes)
            listener_(change);
    }
}

}  // namespace shelfmark
