// Reports volumes as they are mounted and unmounted, in place of the system's device-arrival
// and device-removal notifications. The kernel marks /proc/self/mountinfo with POLLPRI whenever
// the mount table changes; the watcher then lists the drives again and reports the difference.
//
// Threads: the listener runs on the watcher's own thread. A desktop program hands each change
// over to its user-interface thread; nothing in the catalog may be touched from the listener.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/volumes/Volumes.h"

namespace shelfmark {

struct VolumeChange {
    enum class Kind { Arrived, Removed };
    Kind kind = Kind::Arrived;
    Volume volume;
};

// Whether two listings name the same volume: same mount point, device and serial. A medium
// swapped at the same mount point is a different volume.
bool SameVolume(const Volume& a, const Volume& b);

// What changed from one drive listing to the next: the removals in the order of `before`, then
// the arrivals in the order of `after`.
std::vector<VolumeChange> DiffVolumes(const std::vector<Volume>& before,
                                      const std::vector<Volume>& after);

class VolumeWatcher {
  public:
    using Listener = std::function<void(const VolumeChange&)>;
    using Lister = std::function<std::vector<Volume>()>;

    // `lister` gives the current drives (ListDrives; tests may widen or narrow what counts).
    explicit VolumeWatcher(Listener listener, Lister lister = ListDrives);
    ~VolumeWatcher();  // stops the watcher
    VolumeWatcher(const VolumeWatcher&) = delete;
    VolumeWatcher& operator=(const VolumeWatcher&) = delete;

    // Takes the current listing as the starting point (nothing is reported for it) and starts
    // the watcher's thread. False with `error` naming the file and the system's reason when the
    // mount table cannot be watched.
    bool start(std::string& error);
    // Ends the thread promptly (it waits on the mount table and on a wake-up descriptor, never on
    // a timer); no listener call runs after stop returns. Safe to call when not started; not to
    // be called from the listener.
    void stop();
    bool running() const { return thread_.joinable(); }

    // The drives as of the last change seen.
    std::vector<Volume> volumes() const;

  private:
    void run();

    Listener listener_;
    Lister lister_;
    int mountInfoFd_ = -1;
    int wakeFd_ = -1;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Volume> volumes_;
};

}  // namespace shelfmark
