#include "platform/volumes/Volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

#include "platform/volumes/VolumeIdentity.h"

namespace shelfmark {

namespace {

constexpr std::array kPseudoFileSystems = {
    "proc",        "sysfs",      "devtmpfs",      "devpts",      "tmpfs",
    "ramfs",       "cgroup",     "cgroup2",       "securityfs",  "debugfs",
    "tracefs",     "configfs",   "fusectl",       "pstore",      "bpf",
    "mqueue",      "hugetlbfs",  "autofs",        "binfmt_misc", "efivarfs",
    "rpc_pipefs",  "nsfs",       "selinuxfs",     "nfsd",        "fuse.gvfsd-fuse",
    "fuse.portal", "fuse.lxcfs", "fuse.snapfuse", "overlay",     "squashfs",
    "rootfs",      "none",
};

constexpr std::array kRemoteFileSystems = {
    "nfs",
    "nfs4",
    "cifs",
    "smb3",
    "smbfs",
    "ncpfs",
    "9p",
    "afs",
    "ceph",
    "coda",
    "davfs",
    "virtiofs",
    "fuse.sshfs",
    "fuse.rclone",
    "fuse.s3fs",
    "fuse.gcsfuse",
    "fuse.curlftpfs",
    "fuse.glusterfs",
    "fuse.davfs2",
    "fuse.smbnetfs",
    "fuse.afpfs",
};

template <size_t N>
bool InList(const std::array<const char*, N>& list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path);
    std::string text;
    std::getline(in, text, '\0');
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr)
        return {};
    return buffer;
}

std::string SysBlockPath(unsigned major, unsigned minor) {
    return RealPath("/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
}

// The /dev node of a block device, from its uevent record.
std::string DeviceNode(const std::string& sysPath) {
    std::ifstream in(sysPath + "/uevent");
    std::string line;
    while (std::getline(in, line))
        if (StartsWith(line, "DEVNAME="))
            return "/dev/" + line.substr(8);
    return {};
}

BlockDeviceFacts FactsOfDevice(const MountEntry& mount) {
    BlockDeviceFacts facts;
    if (mount.major == 0)
        return facts;
    const std::string sys = SysBlockPath(mount.major, mount.minor);
    if (sys.empty())
        return facts;
    // A partition keeps the removable flag of its disk one level up.
    const bool partition = ::access((sys + "/partition").c_str(), F_OK) == 0;
    const std::string disk = partition ? sys.substr(0, sys.rfind('/')) : sys;
    const std::string name = disk.substr(disk.rfind('/') + 1);
    facts.cdrom = StartsWith(name, "sr") || ReadSmallFile(disk + "/device/type") == "5";
    facts.removable = ReadSmallFile(disk + "/removable") == "1";
    return facts;
}

// Maps a device node (symbolic links resolved) to the entry names of a /dev/disk/by-* folder.
std::map<std::string, std::string> ReadDiskLinks(const std::string& folder) {
    std::map<std::string, std::string> links;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return links;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string target = RealPath(folder + "/" + entry->d_name);
        if (!target.empty())
            links.emplace(target, UnescapeUdevName(entry->d_name));
    }
    ::closedir(dir);
    return links;
}

std::optional<VolumeIdentity> ProbeDevice(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::vector<unsigned char> head(kVolumeHeadSize);
    size_t have = 0;
    while (have < head.size()) {
        const ssize_t got =
            ::pread(fd, head.data() + have, head.size() - have, static_cast<off_t>(have));
        if (got <= 0)
            break;
        have += static_cast<size_t>(got);
    }
    ::close(fd);
    head.resize(have);
    return ProbeVolumeHead(head);
}

// Cuts a label to the longest kept length without splitting a UTF-8 sequence.
std::string LimitLabel(std::string label) {
    if (label.size() <= kMaxVolumeLabel)
        return label;
    size_t cut = kMaxVolumeLabel;
    while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80)
        --cut;
    label.resize(cut);
    return label;
}

// Without access to the device: these file systems derive the id statfs reports from their
// UUID, so its two halves folded together are as stable as the UUID itself.
uint32_t FileSystemIdFold(const Volume& volume) {
    constexpr std::array kUuidDerived = {"ext2", "ext3", "ext4", "xfs", "btrfs"};
    if (!InList(kUuidDerived, volume.fsType))
        return 0;
    struct statfs info {};
    if (::statfs(volume.mountPoint.c_str(), &info) != 0)
        return 0;
    int halves[2];
    static_assert(sizeof halves == sizeof info.f_fsid);
    std::memcpy(halves, &info.f_fsid, sizeof halves);
    return static_cast<uint32_t>(halves[0]) ^ static_cast<uint32_t>(halves[1]);
}

void FillIdentity(Volume& volume, const std::map<std::string, std::string>& labels,
                  const std::map<std::string, std::string>& uuids) {
    const std::string node = volume.device.empty() ? std::string() : RealPath(volume.device);
    if (!node.empty()) {
        if (auto it = labels.find(node); it != labels.end())
            volume.label = it->second;
        if (auto it = uuids.find(node); it != uuids.end())
            volume.uuid = it->second;
    }
    std::optional<VolumeIdentity> probed;
    const bool iso = volume.fsType == "iso9660";
    if (!volume.device.empty() && (iso || volume.label.empty() || volume.uuid.empty()))
        probed = ProbeDevice(volume.device);
    if (probed) {
        if (volume.label.empty())
            volume.label = probed->label;
        if (volume.uuid.empty())
            volume.uuid = probed->uuid;
    }
    // An ISO 9660 serial comes from its descriptor; the UUID fold stands in when the device
    // cannot be read.
    volume.serial =
        iso && probed && probed->fsType == "iso9660" ? probed->serial : SerialFromUuid(volume.uuid);
    if (volume.uuid.empty() && !probed)
        volume.serial = FileSystemIdFold(volume);
    volume.label = LimitLabel(volume.label);
}

Volume VolumeOfMount(const MountEntry& mount, DriveType type) {
    Volume volume;
    volume.mountPoint = mount.mountPoint;
    volume.fsType = mount.fsType;
    volume.type = type;
    volume.major = mount.major;
    volume.minor = mount.minor;
    if (type != DriveType::Remote) {
        if (StartsWith(mount.source, "/dev/") && ::access(mount.source.c_str(), F_OK) == 0)
            volume.device = mount.source;
        else if (mount.major != 0)
            volume.device = DeviceNode(SysBlockPath(mount.major, mount.minor));
    }
    return volume;
}

}  // namespace

std::string_view DriveTypeName(DriveType type) {
    switch (type) {
        case DriveType::CdRom:
            return "CD-ROM";
        case DriveType::Removable:
            return "removable";
        case DriveType::Remote:
            return "remote";
        case DriveType::Fixed:
            break;
    }
    return "fixed";
}

std::optional<DriveType> ClassifyMount(const MountEntry& mount, const BlockDeviceFacts& device) {
    if (InList(kPseudoFileSystems, mount.fsType))
        return std::nullopt;
    if (InList(kRemoteFileSystems, mount.fsType))
        return DriveType::Remote;
    if (mount.fsType == "iso9660" || mount.fsType == "udf" || device.cdrom)
        return DriveType::CdRom;
    if (device.removable)
        return DriveType::Removable;
    return DriveType::Fixed;
}

std::vector<Volume> SelectDrives(const std::vector<MountEntry>& mounts,
                                 const std::function<BlockDeviceFacts(const MountEntry&)>& device) {
    // A mount point mounted over shows only the latest mount.
    std::map<std::string_view, const MountEntry*> visible;
    for (const MountEntry& mount : mounts)
        visible[mount.mountPoint] = &mount;
    std::vector<const MountEntry*> chosen;
    for (const auto& [point, mount] : visible) {
        if (mount->root != "/")
            continue;  // a bind mount of a sub-directory is a folder, not a volume
        if (ClassifyMount(*mount, {}))
            chosen.push_back(mount);
    }
    std::vector<Volume> drives;
    for (const MountEntry* mount : chosen) {  // in mount point order
        // A device mounted at several places is listed once, at its first mount point.
        const bool seen = std::any_of(drives.begin(), drives.end(), [&](const Volume& v) {
            return v.major == mount->major && v.minor == mount->minor;
        });
        if (seen)
            continue;
        const std::optional<DriveType> type = ClassifyMount(*mount, device(*mount));
        if (type)
            drives.push_back(VolumeOfMount(*mount, *type));
    }
    return drives;
}

std::vector<Volume> ListDrives() {
    std::vector<Volume> drives = SelectDrives(ReadMountTable(), FactsOfDevice);
    const auto labels = ReadDiskLinks("/dev/disk/by-label");
    const auto uuids = ReadDiskLinks("/dev/disk/by-uuid");
    for (Volume& volume : drives)
        FillIdentity(volume, labels, uuids);
    return drives;
}

uint64_t FreeBytes(const std::string& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0)
        return 0;
    return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

std::string RelativeToMount(std::string_view path, std::string_view mountPoint) {
    if (mountPoint == "/")
        return std::string(path.substr(path.empty() ? 0 : 1));
    if (path.size() <= mountPoint.size())
        return {};
    return std::string(path.substr(mountPoint.size() + 1));
}

std::optional<ReadRoot> ResolveReadRoot(const std::string& path) {
    ReadRoot root;
    root.path = RealPath(path);
    struct stat info {};
    if (root.path.empty() || ::stat(root.path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;

    // The mount that holds the folder: the longest mount point above it, the latest when one
    // was mounted over another.
    const std::vector<MountEntry> mounts = ReadMountTable();
    const MountEntry* holder = nullptr;
    for (const MountEntry& mount : mounts) {
        const std::string& point = mount.mountPoint;
        const bool above = point == "/" || root.path == point ||
                           (StartsWith(root.path, point) && root.path[point.size()] == '/');
        if (above && (holder == nullptr || point.size() >= holder->mountPoint.size()))
            holder = &mount;
    }
    if (holder == nullptr)
        return std::nullopt;
    root.baseDirectory = RelativeToMount(root.path, holder->mountPoint);

    const std::vector<Volume> drives = ListDrives();
    for (size_t i = 0; i < drives.size(); ++i) {
        if (drives[i].mountPoint == holder->mountPoint) {
            root.volume = drives[i];
            root.driveIndex = i;
            return root;
        }
    }
    // A folder on a volume that is no drive (tmpfs, a bind mount) is still read, as a fixed disk.
    root.volume = VolumeOfMount(
        *holder, ClassifyMount(*holder, FactsOfDevice(*holder)).value_or(DriveType::Fixed));
    return root;
}

}  // namespace shelfmark
