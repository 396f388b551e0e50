#include "platform/volumes/Volumes.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include "platform/volumes/DriveMatch.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

MountEntry Mount(std::string point, std::string type, unsigned major, unsigned minor,
                 std::string root = "/") {
    MountEntry entry;
    entry.mountPoint = std::move(point);
    entry.fsType = std::move(type);
    entry.major = major;
    entry.minor = minor;
    entry.root = std::move(root);
    entry.source = "src";
    return entry;
}

TEST(Volumes, ClassifiesDriveTypes) {
    EXPECT_EQ(ClassifyMount(Mount("/", "ext4", 8, 1), {}), DriveType::Fixed);
    EXPECT_EQ(ClassifyMount(Mount("/m", "iso9660", 11, 0), {}), DriveType::CdRom);
    EXPECT_EQ(ClassifyMount(Mount("/m", "udf", 11, 0), {}), DriveType::CdRom);
    EXPECT_EQ(ClassifyMount(Mount("/m", "ext4", 11, 0), {true, false}), DriveType::CdRom);
    EXPECT_EQ(ClassifyMount(Mount("/m", "vfat", 8, 17), {false, true}), DriveType::Removable);
    for (const char* remote : {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs", "9p"})
        EXPECT_EQ(ClassifyMount(Mount("/m", remote, 0, 50), {}), DriveType::Remote) << remote;
    for (const char* pseudo : {"proc", "sysfs", "tmpfs", "cgroup", "cgroup2", "devpts", "devtmpfs"})
        EXPECT_FALSE(ClassifyMount(Mount("/m", pseudo, 0, 5), {})) << pseudo;
}

TEST(Volumes, SelectsSortsAndDeduplicatesDrives) {
    const std::vector<MountEntry> mounts = {
        Mount("/", "ext4", 8, 1),
        Mount("/proc", "proc", 0, 21),
        Mount("/run", "tmpfs", 0, 22),
        Mount("/media/usb", "vfat", 8, 17),
        Mount("/srv/bind", "ext4", 8, 1, "/srv/data"),  // a sub-directory bound elsewhere
        Mount("/again", "ext4", 8, 1),                  // the root device mounted once more
        Mount("/mnt/cd", "iso9660", 11, 0),
        Mount("/mnt/cd", "vfat", 8, 33),  // mounted over the CD
    };
    const std::vector<Volume> drives = SelectDrives(mounts, [](const MountEntry& m) {
        return BlockDeviceFacts{false, m.major == 8 && m.minor >= 17};
    });
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].mountPoint, "/");
    EXPECT_EQ(drives[0].type, DriveType::Fixed);
    EXPECT_EQ(drives[1].mountPoint, "/media/usb");
    EXPECT_EQ(drives[1].type, DriveType::Removable);
    EXPECT_EQ(drives[2].mountPoint, "/mnt/cd");
    EXPECT_EQ(drives[2].fsType, "vfat");
}

TEST(Volumes, RelativePathBelowTheMountPoint) {
    EXPECT_EQ(RelativeToMount("/", "/"), "");
    EXPECT_EQ(RelativeToMount("/home/ann/photos", "/"), "home/ann/photos");
    EXPECT_EQ(RelativeToMount("/media/usb", "/media/usb"), "");
    EXPECT_EQ(RelativeToMount("/media/usb/2003/june", "/media/usb"), "2003/june");
}

TEST(Volumes, ListsTheRootFileSystemOfThisSystem) {
    const std::vector<Volume> drives = ListDrives();
    for (size_t i = 1; i < drives.size(); ++i)
        EXPECT_LT(drives[i - 1].mountPoint, drives[i].mountPoint);
    for (const Volume& volume : drives) {
        EXPECT_NE(volume.fsType, "proc");
        EXPECT_NE(volume.fsType, "tmpfs");
        EXPECT_LE(volume.label.size(), kMaxVolumeLabel);
    }
}

TEST(Volumes, ResolvesAFolderToItsVolumeAndBaseDirectory) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir / "a" / "b");
    const auto root = ResolveReadRoot((dir / "a" / "b").string());
    ASSERT_TRUE(root);
    EXPECT_EQ(root->path, std::filesystem::canonical(dir / "a" / "b").string());
    const std::string& point = root->volume.mountPoint;
    const std::string expected =
        point == "/" ? root->path.substr(1) : root->path.substr(point.size() + 1);
    EXPECT_EQ(root->baseDirectory, expected);
    EXPECT_FALSE(ResolveReadRoot((dir / "missing").string()));
}

TEST(Volumes, AMountPointIsItsOwnRootWithoutBaseDirectory) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir / "m");
    if (::mount("none", (dir / "m").c_str(), "tmpfs", 0, nullptr) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs privileges)";
    const auto root = ResolveReadRoot((dir / "m").string());
    std::filesystem::create_directories(dir / "m" / "sub");
    const auto sub = ResolveReadRoot((dir / "m" / "sub").string());
    ::umount((dir / "m").c_str());
    ASSERT_TRUE(root);
    EXPECT_EQ(root->baseDirectory, "");
    EXPECT_EQ(root->volume.mountPoint, std::filesystem::canonical(dir.path()).string() + "/m");
    EXPECT_FALSE(root->driveIndex);  // tmpfs is no drive, but it can be read as a folder
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->baseDirectory, "sub");
}

TEST(DriveMatch, MediaTypesExpectTheirDriveTypes) {
    EXPECT_EQ(ExpectedDriveType(8), DriveType::CdRom);
    EXPECT_EQ(ExpectedDriveType(16), DriveType::CdRom);
    EXPECT_EQ(ExpectedDriveType(48), DriveType::CdRom);
    EXPECT_EQ(ExpectedDriveType(24), DriveType::Removable);
    EXPECT_EQ(ExpectedDriveType(32), DriveType::Fixed);
    EXPECT_EQ(ExpectedDriveType(40), DriveType::Remote);
    EXPECT_EQ(ExpectedDriveType(32 | 0x100 | 1), DriveType::Fixed);
    EXPECT_FALSE(ExpectedDriveType(56));
    EXPECT_FALSE(ExpectedDriveType(0));
}

TEST(DriveMatch, PrefersTheRememberedDriveThenSearchesBySerial) {
    const std::vector<DriveCandidate> drives = {
        {DriveType::Fixed, 0x11111111},     {DriveType::CdRom, 0xAAAA0001},
        {DriveType::Removable, 0x22222222}, {DriveType::CdRom, 0xBBBB0002},
        {DriveType::Removable, 0x33333333},
    };
    EXPECT_EQ(MatchDrive(drives, DriveType::CdRom, 3, 0xBBBB0002), 3u);
    EXPECT_EQ(MatchDrive(drives, DriveType::CdRom, 1, 0xBBBB0002), 3u);  // found by the search
    // A remembered drive of the wrong type falls back to the first drive of the type.
    EXPECT_EQ(MatchDrive(drives, DriveType::CdRom, 0, 0xAAAA0001), 1u);
    EXPECT_EQ(MatchDrive(drives, DriveType::CdRom, 99, 0xAAAA0001), 1u);
    EXPECT_FALSE(MatchDrive(drives, DriveType::CdRom, 1, 0x12345678));
    EXPECT_FALSE(MatchDrive(drives, DriveType::Remote, std::nullopt, 0));
}

TEST(DriveMatch, RemovableDisksAreFoundInAnyRemovableDrive) {
    // Drive indexes are positions among the mounted volumes: a stick that was the second volume
    // when it was read may be the first one now.
    const std::vector<DriveCandidate> drives = {
        {DriveType::Removable, 0x22222222},
        {DriveType::Removable, 0x33333333},
    };
    EXPECT_EQ(MatchDrive(drives, DriveType::Removable, 1, 0x33333333), 1u);
    EXPECT_EQ(MatchDrive(drives, DriveType::Removable, 0, 0x33333333), 1u);
    EXPECT_EQ(MatchDrive(drives, DriveType::Removable, std::nullopt, 0x33333333), 1u);
    EXPECT_FALSE(MatchDrive(drives, DriveType::Removable, 0, 0x44444444));
}

TEST(DriveMatch, TheRememberedDriveWinsAmongEqualSerials) {
    const std::vector<DriveCandidate> drives = {
        {DriveType::CdRom, 0xAAAA0001},
        {DriveType::CdRom, 0xAAAA0001},
        {DriveType::Fixed, 0xAAAA0001},
    };
    EXPECT_EQ(MatchDrive(drives, DriveType::CdRom, 1, 0xAAAA0001), 1u);
    EXPECT_EQ(MatchDrive(drives, DriveType::CdRom, 2, 0xAAAA0001), 0u);  // wrong type: a hint only
    EXPECT_EQ(MatchDrive(drives, DriveType::Fixed, 0, 0xAAAA0001), 2u);
}

}  // namespace
}  // namespace shelfmark
