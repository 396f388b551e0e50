#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "platform/cdrom/CdromDevice.h"
#include "platform/cdrom/CdromMount.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::cdrom {
namespace {

// Any block device of the machine stands in for a drive; its number is all the lookup uses.
std::optional<std::pair<std::string, dev_t>> SomeBlockDevice() {
    for (const char* path : {"/dev/loop0", "/dev/sda", "/dev/vda", "/dev/nvme0n1", "/dev/zram0"}) {
        struct stat status {};
        if (::stat(path, &status) == 0 && S_ISBLK(status.st_mode))
            return std::make_pair(std::string(path), status.st_rdev);
    }
    return std::nullopt;
}

TEST(CdromMount, FindsTheWholeFileSystemMountOfTheDevice) {
    const auto device = SomeBlockDevice();
    if (!device)
        GTEST_SKIP() << "no block device to stand in for a drive";
    const unsigned major = ::major(device->second), minor = ::minor(device->second);
    const std::vector<MountEntry> mounts = {
        {major + 1, minor, "/", "/elsewhere", "ext4", "/dev/other"},
        {major, minor, "/music", "/srv/bind", "iso9660", device->first},
        {major, minor, "/", "/media/cdrom", "iso9660", device->first},
    };
    EXPECT_EQ(FindMountPoint(device->first, mounts), "/media/cdrom");
    EXPECT_EQ(FindMountPoint(device->first, {mounts[0], mounts[1]}), "");
    // Whatever the device is, it answers no CD-ROM request with a table of contents.
    RawToc toc;
    EXPECT_NE(ReadDeviceToc(device->first, toc), CdromStatus::Ok);
    EXPECT_TRUE(toc.tracks.empty());
}

TEST(CdromMount, OnlyBlockDevicesAreMounted) {
    const std::vector<MountEntry> mounts = {{1, 3, "/", "/mnt/null", "tmpfs", "/dev/null"}};
    EXPECT_EQ(FindMountPoint("/dev/null", mounts), "");  // a character device (1:3)
    EXPECT_EQ(FindMountPoint("/dev/no-such-cdrom", mounts), "");
    EXPECT_EQ(CdromMountPoint("/dev/no-such-cdrom"), "");
}

}  // namespace
}  // namespace shelfmark::cdrom
