// No CD drive exists on the build machines: these check that the ioctl route refuses cleanly.
#include <gtest/gtest.h>

#include "platform/cdrom/CdromDevice.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::cdrom {
namespace {

TEST(CdromDevice, MissingDeviceGivesNoDevice) {
    RawToc toc;
    toc.firstTrack = 7;  // must be reset
    EXPECT_EQ(ReadDeviceToc("/dev/no-such-cdrom-device", toc), CdromStatus::NoDevice);
    EXPECT_TRUE(toc.tracks.empty());
    EXPECT_EQ(toc.firstTrack, 0);
    std::vector<uint8_t> answer{1, 2, 3};
    EXPECT_FALSE(ReadDeviceCdText("/dev/no-such-cdrom-device", answer));
    EXPECT_TRUE(answer.empty());
    EXPECT_FALSE(EjectDevice("/dev/no-such-cdrom-device"));
}

TEST(CdromDevice, OtherDevicesAndFilesAreNotCdromDrives) {
    RawToc toc;
    EXPECT_EQ(ReadDeviceToc("/dev/null", toc), CdromStatus::NotCdrom);
    EXPECT_TRUE(toc.tracks.empty());

    testing::TempDir dir;
    testing::WriteFile(dir / "image.iso", std::string(4096, '\0'));
    EXPECT_EQ(ReadDeviceToc((dir / "image.iso").string(), toc), CdromStatus::NotCdrom);
    std::vector<uint8_t> answer;
    EXPECT_FALSE(ReadDeviceCdText((dir / "image.iso").string(), answer));
    EXPECT_FALSE(EjectDevice((dir / "image.iso").string()));
    // A directory opens read-only but answers no CD-ROM request.
    EXPECT_NE(ReadDeviceToc(dir.path().string(), toc), CdromStatus::Ok);
}

TEST(CdromDevice, StatusTextsAreDistinct) {
    EXPECT_STREQ(StatusText(CdromStatus::Busy), "the drive is busy");
    EXPECT_STRNE(StatusText(CdromStatus::NoDisc), StatusText(CdromStatus::NoDevice));
}

}  // namespace
}  // namespace shelfmark::cdrom
