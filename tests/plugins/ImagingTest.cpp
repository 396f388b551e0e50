// The thumbnail support: scaling, and JPEG coding checked with ImageMagick.
#include <gtest/gtest.h>

#include <string>

#include "reading/imaging/Imaging.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

Bitmap Solid(uint32_t width, uint32_t height, uint32_t pixel) {
    return Bitmap{width, height, std::vector<uint32_t>(size_t(width) * height, pixel)};
}

std::string Size(const Bitmap& bitmap) {
    return std::to_string(bitmap.width) + "x" + std::to_string(bitmap.height);
}

TEST(Imaging, ScaleToFitKeepsProportionsWhenAsked) {
    EXPECT_EQ(Size(ScaleToFit(Solid(300, 200, 0), 64, true)), "64x43");
    EXPECT_EQ(Size(ScaleToFit(Solid(200, 300, 0), 64, true)), "43x64");
    EXPECT_EQ(Size(ScaleToFit(Solid(300, 200, 0), 64, false)), "64x64");
    EXPECT_EQ(Size(ScaleToFit(Solid(1000, 1, 0), 32, true)), "32x1");
    EXPECT_EQ(Size(ScaleToFit(Solid(100, 30, 0), 64, false)), "64x64");
}

TEST(Imaging, SmallBitmapsStayAsTheyAre) {
    EXPECT_EQ(Size(ScaleToFit(Solid(64, 64, 0), 64, true)), "64x64");
    EXPECT_EQ(Size(ScaleToFit(Solid(10, 64, 0), 64, false)), "10x64");
    EXPECT_EQ(Size(ScaleToFit(Bitmap{}, 64, true)), "0x0");
}

TEST(Imaging, ScalingAveragesTheCoveredPixels) {
    // Two columns of black and white halve into one grey column.
    Bitmap bitmap = Solid(4, 4, 0xFF000000);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 2; x < 4; ++x)
            bitmap.pixels[y * 4 + x] = 0xFFFFFFFF;
    const Bitmap scaled = ScaleToFit(bitmap, 2, true);
    ASSERT_EQ(Size(scaled), "2x2");
    EXPECT_EQ(scaled.at(0, 0), 0xFF000000u);
    EXPECT_EQ(scaled.at(1, 1), 0xFFFFFFFFu);
    const Bitmap grey = ScaleToFit(bitmap, 1, true);
    EXPECT_EQ(grey.at(0, 0), 0xFF808080u);
}

TEST(Imaging, EncodedJpegIsRecognisedByItsSize) {
    SHELFMARK_REQUIRE_PROGRAM("identify");
    ASSERT_TRUE(StartImaging());
    Bitmap bitmap = Solid(123, 45, 0xFF336699);
    const auto jpeg = EncodeJpeg(bitmap);
    ASSERT_TRUE(jpeg);
    testing::TempDir dir;
    const std::string path = (dir / "out.jpg").string();
    testing::WriteFile(path, std::string(jpeg->begin(), jpeg->end()));
    EXPECT_EQ(RunCommand("identify -format '%m %wx%h' " + ShellQuote(path)).out, "JPEG 123x45");
    const std::string colour =
        RunCommand("convert " + ShellQuote(path) +
                   "[1x1+60+20] -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:")
            .out;
    int r = 0, g = 0, b = 0;
    ASSERT_EQ(std::sscanf(colour.c_str(), "%d %d %d", &r, &g, &b), 3) << colour;
    EXPECT_NEAR(r, 0x33, 4);
    EXPECT_NEAR(g, 0x66, 4);
    EXPECT_NEAR(b, 0x99, 4);
}

TEST(Imaging, TransparencyIsLaidOverWhite) {
    const auto jpeg = EncodeJpeg(Solid(16, 16, 0x00000000));
    ASSERT_TRUE(jpeg);
    const auto decoded = DecodeJpeg(*jpeg);
    ASSERT_TRUE(decoded);
    EXPECT_GE(decoded->at(8, 8) & 0xFF, 250u);
}

TEST(Imaging, DecodeShrinksByPowersOfTwoNotBelowTheEdge) {
    SHELFMARK_REQUIRE_PROGRAM("convert");
    testing::TempDir dir;
    const std::string path = (dir / "in.jpg").string();
    ASSERT_EQ(RunCommand("convert -size 123x45 gradient:white-black " + ShellQuote(path)).exitCode,
              0);
    const std::string bytes = testing::ReadFile(path);
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        bytes.size());
    JpegFacts facts;
    const auto full = DecodeJpeg(data, 0, &facts);
    ASSERT_TRUE(full);
    EXPECT_EQ(Size(*full), "123x45");
    EXPECT_EQ(facts.width, 123u);
    EXPECT_EQ(facts.bitDepth, 8);  // ImageMagick stores a grey gradient with one component
    const auto shrunk = DecodeJpeg(data, 10, &facts);
    ASSERT_TRUE(shrunk);
    EXPECT_EQ(Size(*shrunk), "31x12");  // 1/4; 1/8 would leave 6 rows
    EXPECT_EQ(facts.height, 45u);
    EXPECT_GT(full->at(0, 0) & 0xFF, 200u);
    EXPECT_LT(full->at(0, 44) & 0xFF, 50u);
}

TEST(Imaging, DamagedJpegGivesNothing) {
    const uint8_t garbage[] = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x01, 0x02};
    EXPECT_FALSE(DecodeJpeg(garbage));
    EXPECT_FALSE(DecodeJpeg({}));
    EXPECT_FALSE(EncodeJpeg(Bitmap{}));
}

}  // namespace
}  // namespace shelfmark
