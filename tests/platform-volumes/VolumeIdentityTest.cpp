#include "platform/volumes/VolumeIdentity.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

std::vector<unsigned char> ReadHead(const std::filesystem::path& image) {
    std::ifstream in(image, std::ios::binary);
    std::vector<unsigned char> head(kVolumeHeadSize);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

// blkid's low-level probe of an image file, the independent reading of label and UUID.
std::map<std::string, std::string> Blkid(const std::filesystem::path& image) {
    const testing::CommandResult result =
        RunCommand("blkid -p -o export " + ShellQuote(image.string()));
    std::map<std::string, std::string> values;
    std::istringstream in(result.out);
    for (std::string line; std::getline(in, line);) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

bool Succeeds(const std::string& command) {
    return RunCommand(command + " >/dev/null 2>&1").exitCode == 0;
}

TEST(VolumeIdentity, SerialOfAFatVolumeIsItsVolumeId) {
    SHELFMARK_REQUIRE_PROGRAM("mkfs.vfat");
    SHELFMARK_REQUIRE_PROGRAM("blkid");
    TempDir dir;
    for (const char* fatSize : {"12", "16", "32"}) {
        const auto image = dir / (std::string("fat") + fatSize + ".img");
        ASSERT_TRUE(Succeeds("truncate -s 40M " + ShellQuote(image.string())));
        ASSERT_TRUE(Succeeds(std::string("mkfs.vfat -F ") + fatSize + " -i 1234ABCD -n STICK " +
                             ShellQuote(image.string())));
        const auto id = ProbeVolumeHead(ReadHead(image));
        ASSERT_TRUE(id) << fatSize;
        EXPECT_EQ(id->fsType, "vfat");
        EXPECT_EQ(id->serial, 0x1234ABCDu);
        EXPECT_EQ(id->uuid, Blkid(image)["UUID"]);
        EXPECT_EQ(id->label, Blkid(image)["LABEL"]);
    }
}

TEST(VolumeIdentity, ExfatAndNtfsSerialsMatchTheirUuids) {
    SHELFMARK_REQUIRE_PROGRAM("blkid");
    TempDir dir;
    if (testing::HaveProgram("mkfs.exfat")) {
        const auto image = dir / "ex.img";
        ASSERT_TRUE(Succeeds("truncate -s 40M " + ShellQuote(image.string()) + " && mkfs.exfat " +
                             ShellQuote(image.string())));
        const auto id = ProbeVolumeHead(ReadHead(image));
        ASSERT_TRUE(id);
        EXPECT_EQ(id->fsType, "exfat");
        EXPECT_EQ(id->uuid, Blkid(image)["UUID"]);
        EXPECT_EQ(id->serial, SerialFromUuid(id->uuid));
    }
    if (testing::HaveProgram("mkntfs")) {
        const auto image = dir / "nt.img";
        ASSERT_TRUE(Succeeds("truncate -s 40M " + ShellQuote(image.string()) + " && mkntfs -F -Q " +
                             ShellQuote(image.string())));
        const auto id = ProbeVolumeHead(ReadHead(image));
        ASSERT_TRUE(id);
        EXPECT_EQ(id->fsType, "ntfs");
        const std::string uuid = Blkid(image)["UUID"];
        EXPECT_EQ(id->uuid, uuid);
        // The volume shows the low 32 bits of its 64-bit serial: the last eight digits.
        EXPECT_EQ(id->serial, static_cast<uint32_t>(std::stoul(uuid.substr(8), nullptr, 16)));
    }
}

TEST(VolumeIdentity, ExtVolumesFoldTheirUuid) {
    SHELFMARK_REQUIRE_PROGRAM("mkfs.ext4");
    TempDir dir;
    const auto image = dir / "e.img";
    ASSERT_TRUE(Succeeds("truncate -s 8M " + ShellQuote(image.string()) +
                         " && mkfs.ext4 -q -L Backup -U "
                         "01234567-89ab-cdef-0123-456789abcdef " +
                         ShellQuote(image.string())));
    const auto id = ProbeVolumeHead(ReadHead(image));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->fsType, "ext4");
    EXPECT_EQ(id->label, "Backup");
    EXPECT_EQ(id->uuid, "01234567-89ab-cdef-0123-456789abcdef");
    EXPECT_EQ(id->serial, 0x01234567u ^ 0x89abcdefu ^ 0x01234567u ^ 0x89abcdefu);
}

TEST(VolumeIdentity, IsoSerialSumsTheFourByteLanesOfTheDescriptor) {
    std::array<unsigned char, kIsoDescriptorSize> descriptor{};
    // Lane 0 gets 1 + 2 = 3, lane 1 gets 0x80 + 0x90 = 0x110 -> 0x10, lane 2 gets 0x05,
    // lane 3 gets 0xFF + 0x02 = 0x101 -> 0x01.
    descriptor[0] = 1;
    descriptor[2044] = 2;
    descriptor[1] = 0x80;
    descriptor[5] = 0x90;
    descriptor[1030] = 0x05;
    descriptor[3] = 0xFF;
    descriptor[2047] = 0x02;
    EXPECT_EQ(IsoDescriptorSerial(descriptor), 0x01051003u);
}

TEST(VolumeIdentity, ProbesAnIsoImage) {
    SHELFMARK_REQUIRE_PROGRAM("genisoimage");
    SHELFMARK_REQUIRE_PROGRAM("python3");
    TempDir dir;
    std::filesystem::create_directories(dir / "content");
    testing::WriteFile(dir / "content" / "a.txt", "a");
    const auto image = dir / "cd.iso";
    ASSERT_TRUE(Succeeds("genisoimage -quiet -V HOLIDAY_2003 -o " + ShellQuote(image.string()) +
                         " " + ShellQuote((dir / "content").string())));
    const auto id = ProbeVolumeHead(ReadHead(image));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->fsType, "iso9660");
    EXPECT_EQ(id->label, "HOLIDAY_2003");
    EXPECT_EQ(id->uuid, Blkid(image)["UUID"]);
    // The lane sums worked out independently over the image's descriptor.
    const std::string script =
        "import sys\n"
        "d=open(sys.argv[1],'rb').read()[32768:34816]\n"
        "s=[sum(d[i::4])&255 for i in range(4)]\n"
        "print(s[3]<<24|s[2]<<16|s[1]<<8|s[0])\n";
    testing::WriteFile(dir / "lanes.py", script);
    const auto result = RunCommand("python3 " + ShellQuote((dir / "lanes.py").string()) + " " +
                                   ShellQuote(image.string()));
    EXPECT_EQ(std::to_string(id->serial) + "\n", result.out);
}

TEST(VolumeIdentity, UnknownOrShortHeadsGiveNothing) {
    std::vector<unsigned char> zeros(kVolumeHeadSize, 0);
    EXPECT_FALSE(ProbeVolumeHead(zeros));
    EXPECT_FALSE(ProbeVolumeHead({}));
    std::vector<unsigned char> boot(512, 0);
    boot[510] = 0x55;
    boot[511] = 0xAA;
    EXPECT_FALSE(ProbeVolumeHead(boot));
}

TEST(VolumeIdentity, SerialFromUuidForms) {
    EXPECT_EQ(SerialFromUuid("1234-ABCD"), 0x1234ABCDu);
    EXPECT_EQ(SerialFromUuid("5C34851D5176721C"), 0x5176721Cu);
    EXPECT_EQ(SerialFromUuid("2026-12-08-04-05-50-00"), 0x20261208u ^ 0x04055000u);
    EXPECT_EQ(SerialFromUuid(""), 0u);
    EXPECT_EQ(SerialFromUuid("xyz"), 0u);
    // Stable: the same text always folds to the same number.
    EXPECT_EQ(SerialFromUuid("01234567-89ab-cdef-0123-456789abcdef"),
              SerialFromUuid("01234567-89AB-CDEF-0123-456789ABCDEF"));
}

TEST(VolumeIdentity, FormatsAndUnescapes) {
    EXPECT_EQ(FormatVolumeSerial(0x1234ABCD), "1234-ABCD");
    EXPECT_EQ(FormatVolumeSerial(0x000000FF), "0000-00FF");
    EXPECT_EQ(UnescapeUdevName("My\\x20Stick"), "My Stick");
    EXPECT_EQ(UnescapeUdevName("back\\x5cslash\\x2"), "back\\slash\\x2");
}

}  // namespace
}  // namespace shelfmark
