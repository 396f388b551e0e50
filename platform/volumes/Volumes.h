// The drives the program offers: mounted volumes that hold real file systems, in the order of
// their mount points. A drive's position in that list is its drive index, a hint that helps to
// find the same medium again.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/volumes/MountTable.h"

namespace shelfmark {

// Numbered as the catalog records drive types.
enum class DriveType : int { Removable = 2, Fixed = 3, Remote = 4, CdRom = 5 };

// "CD-ROM", "removable", "remote", "fixed".
std::string_view DriveTypeName(DriveType type);

// The longest volume label kept, in bytes.
inline constexpr size_t kMaxVolumeLabel = 64;

// What the kernel tells about the block device behind a mount.
struct BlockDeviceFacts {
    bool cdrom = false;      // /dev/sr*, or a SCSI device of type 5
    bool removable = false;  // /sys/block/<disk>/removable is 1
};

// The drive type of a mount, or nothing for the pseudo file systems (proc, sysfs, tmpfs, cgroup,
// ...) that are not drives.
std::optional<DriveType> ClassifyMount(const MountEntry& mount, const BlockDeviceFacts& device);

struct Volume {
    std::string mountPoint;
    std::string device;  // "/dev/sdb1"; empty for network and virtual file systems
    std::string fsType;
    DriveType type = DriveType::Fixed;
    std::string label;
    std::string uuid;
    uint32_t serial = 0;  // 0 when nothing identifies the volume
    unsigned major = 0;
    unsigned minor = 0;
};

// The drives among the mounts: pseudo file systems left out, bind mounts of a sub-directory
// left out, a device mounted twice listed once; sorted by mount point. Labels and serials are
// not filled in. `device` gives the facts of a mount's block device.
std::vector<Volume> SelectDrives(const std::vector<MountEntry>& mounts,
                                 const std::function<BlockDeviceFacts(const MountEntry&)>& device);

// The drives of this system with their labels and serials (from /dev/disk/by-label and
// by-uuid, else from the device's own superblock when it can be read).
std::vector<Volume> ListDrives();

// Free bytes on the file system holding `path` for an unprivileged user; 0 when unknown.
uint64_t FreeBytes(const std::string& path);

// Where a folder lies: its volume, the volume's drive index, and the folder's path relative to
// the mount point ("" for the mount point itself, else "photos/2003").
struct ReadRoot {
    std::string path;  // the folder, with symbolic links resolved
    Volume volume;     // label and serial filled in when the volume is a drive
    std::optional<size_t> driveIndex;
    std::string baseDirectory;
};

// Nothing when the path does not name a directory.
std::optional<ReadRoot> ResolveReadRoot(const std::string& path);

// The part of `path` below `mountPoint` without a leading "/" ("" when they are the same).
std::string RelativeToMount(std::string_view path, std::string_view mountPoint);

}  // namespace shelfmark
