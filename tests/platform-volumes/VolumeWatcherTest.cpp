#include "platform/volumes/VolumeWatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/volumes/VolumeIdentity.h"
#include "tests/support/LoopMount.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using namespace std::chrono_literals;

Volume MakeVolume(std::string point, unsigned minor, uint32_t serial) {
    Volume volume;
    volume.mountPoint = std::move(point);
    volume.major = 8;
    volume.minor = minor;
    volume.serial = serial;
    return volume;
}

TEST(VolumeWatcher, DiffListsRemovalsThenArrivals) {
    const std::vector<Volume> before = {MakeVolume("/", 1, 1), MakeVolume("/media/a", 17, 2),
                                        MakeVolume("/media/b", 33, 3)};
    const std::vector<Volume> after = {MakeVolume("/", 1, 1), MakeVolume("/media/b", 33, 4),
                                       MakeVolume("/media/c", 49, 5)};
    const std::vector<VolumeChange> changes = DiffVolumes(before, after);
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ(changes[0].kind, VolumeChange::Kind::Removed);
    EXPECT_EQ(changes[0].volume.mountPoint, "/media/a");
    // Another medium at the same place is the old one leaving and the new one arriving.
    EXPECT_EQ(changes[1].kind, VolumeChange::Kind::Removed);
    EXPECT_EQ(changes[1].volume.serial, 3u);
    EXPECT_EQ(changes[2].kind, VolumeChange::Kind::Arrived);
    EXPECT_EQ(changes[2].volume.serial, 4u);
    EXPECT_EQ(changes[3].kind, VolumeChange::Kind::Arrived);
    EXPECT_EQ(changes[3].volume.mountPoint, "/media/c");
    EXPECT_TRUE(DiffVolumes(after, after).empty());
}

// Collects what the watcher reports, for a test thread to wait on.
class Recorder {
  public:
    void add(const VolumeChange& change) {
        const std::lock_guard lock(mutex_);
        changes_.push_back(change);
        changed_.notify_all();
    }
    // The first change of that kind at the mount point, waiting up to five seconds.
    std::optional<VolumeChange> waitFor(VolumeChange::Kind kind, const std::string& point) {
        std::unique_lock lock(mutex_);
        std::optional<VolumeChange> found;
        changed_.wait_for(lock, 5s, [&] {
            for (const VolumeChange& change : changes_)
                if (change.kind == kind && change.volume.mountPoint == point)
                    found = change;
            return found.has_value();
        });
        return found;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<VolumeChange> changes_;
};

TEST(VolumeWatcher, ReportsAVolumeMountedAndUnmounted) {
    testing::TempDir dir;
    Recorder recorder;
    VolumeWatcher watcher([&](const VolumeChange& change) { recorder.add(change); });
    std::string error;
    ASSERT_TRUE(watcher.start(error)) << error;

    testing::LoopMount loop(dir.path(), "stick", "WATCHED");
    SHELFMARK_REQUIRE_MOUNT(loop);
    const std::string point = std::filesystem::canonical(loop.mountPoint()).string();
    const std::optional<VolumeChange> arrived =
        recorder.waitFor(VolumeChange::Kind::Arrived, point);
    ASSERT_TRUE(arrived) << "no arrival reported for " << point;
    EXPECT_EQ(arrived->volume.fsType, "ext2");
    EXPECT_EQ(arrived->volume.label, "WATCHED");
    EXPECT_EQ(arrived->volume.serial, SerialFromUuid(loop.uuid()));
    bool listed = false;
    for (const Volume& volume : watcher.volumes())
        listed = listed || volume.mountPoint == point;
    EXPECT_TRUE(listed);

    loop.unmount();
    ASSERT_TRUE(recorder.waitFor(VolumeChange::Kind::Removed, point));

    const auto before = std::chrono::steady_clock::now();
    watcher.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms);
    EXPECT_FALSE(watcher.running());
}

TEST(VolumeWatcher, StopsPromptlyWhenNothingHappens) {
    std::atomic<int> listed = 0;
    VolumeWatcher watcher([](const VolumeChange&) {},
                          [&listed] {
                              ++listed;
                              return std::vector<Volume>{};
                          });
    watcher.stop();  // not started: nothing to do
    std::string error;
    ASSERT_TRUE(watcher.start(error)) << error;
    EXPECT_TRUE(watcher.running());
    std::this_thread::sleep_for(20ms);
    const auto before = std::chrono::steady_clock::now();
    watcher.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms);
    EXPECT_GE(listed.load(), 1);  // the starting list was taken
    watcher.stop();
}

}  // namespace
}  // namespace shelfmark
