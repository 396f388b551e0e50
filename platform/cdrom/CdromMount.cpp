#include "platform/cdrom/CdromMount.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace shelfmark::cdrom {

std::string FindMountPoint(const std::string& device, const std::vector<MountEntry>& mounts) {
    struct stat status {};
    if (::stat(device.c_str(), &status) != 0 || !S_ISBLK(status.st_mode))
        return {};
    for (const MountEntry& mount : mounts)
        if (mount.major == major(status.st_rdev) && mount.minor == minor(status.st_rdev) &&
            mount.root == "/")
            return mount.mountPoint;
    return {};
}

std::string CdromMountPoint(const std::string& device) {
    return FindMountPoint(device, ReadMountTable());
}

}  // namespace shelfmark::cdrom
