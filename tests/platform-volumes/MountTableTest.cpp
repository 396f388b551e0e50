#include "platform/volumes/MountTable.h"

#include <gtest/gtest.h>

namespace shelfmark {
namespace {

// Lines in the layout of proc(5), including optional fields and escaped blanks.
constexpr std::string_view kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
    "50 27 8:17 / /media/usb\\040stick rw,nosuid shared:5 master:2 - vfat /dev/sdb1 rw,fmask=0022\n"
    "51 27 0:45 /export /srv/share rw - nfs4 server:/export rw,vers=4.2\n"
    "garbage line without the separator\n"
    "52 27 x:y / /bad rw - ext4 /dev/sdc1 rw\n"
    "53 27 11:0 / /mnt/cd ro - iso9660 /dev/sr0";

TEST(MountTable, ParsesTheKernelLayout) {
    const std::vector<MountEntry> entries = ParseMountInfo(kMountInfo);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].fsType, "proc");
    EXPECT_EQ(entries[1].mountPoint, "/");
    EXPECT_EQ(entries[1].major, 254u);
    EXPECT_EQ(entries[1].source, "/dev/vda");
    EXPECT_EQ(entries[2].mountPoint, "/media/usb stick");
    EXPECT_EQ(entries[2].fsType, "vfat");
    EXPECT_EQ(entries[2].minor, 17u);
    EXPECT_EQ(entries[3].root, "/export");
    EXPECT_EQ(entries[3].source, "server:/export");
    EXPECT_EQ(entries[4].source, "/dev/sr0");
}

TEST(MountTable, ResolvesOctalEscapes) {
    EXPECT_EQ(UnescapeMountField("a\\040b\\011c\\134d"), "a b\tc\\d");
    EXPECT_EQ(UnescapeMountField("trailing\\04"), "trailing\\04");
    EXPECT_EQ(UnescapeMountField("\\9xy"), "\\9xy");
}

TEST(MountTable, ReadsThisProcessTable) {
    const std::vector<MountEntry> entries = ReadMountTable();
    ASSERT_FALSE(entries.empty());
    bool root = false;
    for (const MountEntry& entry : entries)
        root = root || entry.mountPoint == "/";
    EXPECT_TRUE(root);
}

}  // namespace
}  // namespace shelfmark
