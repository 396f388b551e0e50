// The read options value: the extension filter, the archive mask and the checksum limits.
#include <gtest/gtest.h>

#include "reading/profiles/ReadOptions.h"

namespace shelfmark {
namespace {

TEST(ExtensionListTest, EmptyPiecesAreDropped) {
    const std::vector<std::string> expected = {"mp3", "ogg"};
    EXPECT_EQ(ExtensionList(".mp3.ogg").entries(), expected);
    EXPECT_EQ(ExtensionList("mp3.ogg").entries(), expected);
    EXPECT_EQ(ExtensionList("mp3..ogg.").entries(), expected);
    EXPECT_TRUE(ExtensionList("").empty());
    EXPECT_TRUE(ExtensionList("...").empty());
    EXPECT_EQ(ExtensionList("..jpg").text(), "..jpg");
}

TEST(ExtensionListTest, ContainsComparesExactly) {
    const ExtensionList list("jpg.png");
    EXPECT_TRUE(list.contains("jpg"));
    EXPECT_TRUE(list.contains("png"));
    EXPECT_FALSE(list.contains("JPG"));  // the walk passes extensions lower-cased
    EXPECT_FALSE(list.contains("jp"));
    EXPECT_FALSE(list.contains(""));
}

TEST(ExtensionListTest, EntriesTypedInUpperCaseStillMatch) {
    const ExtensionList list("JPG.Png");
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"jpg", "png"}));
    EXPECT_EQ(list.text(), "JPG.Png");
    EXPECT_TRUE(list.contains("jpg"));
}

TEST(ReadOptionsTest, ArchiveMaskBits) {
    ReadOptions options;
    EXPECT_EQ(options.archiveMask(), 0x00);
    options.bReadZIPs = true;
    EXPECT_EQ(options.archiveMask(), 0x01);
    options.bReadRARs = true;
    options.bReadACEs = true;
    options.bReadCABs = true;
    options.bReadARJs = true;
    options.bReadJARs = true;
    EXPECT_EQ(options.archiveMask(), 0x3F);
    options.bCheckEXEs = true;
    EXPECT_EQ(options.archiveMask(), 0xBF);
    ReadOptions onlyExes;
    onlyExes.bCheckEXEs = true;
    EXPECT_EQ(onlyExes.archiveMask(), 0x80);
    ReadOptions onlyJars;
    onlyJars.bReadJARs = true;
    EXPECT_EQ(onlyJars.archiveMask(), 0x20);
}

TEST(ReadOptionsTest, ChecksumLimitIsExclusiveInKilobytes) {
    ReadOptions options;
    EXPECT_FALSE(options.wantsCrc32(10));
    options.bCalcCRC32 = true;
    EXPECT_TRUE(options.wantsCrc32(uint64_t{5} << 32));  // no limit: every size
    options.bLimitCRC32Size = true;
    options.MaxCRC32Size = 100;
    EXPECT_TRUE(options.wantsCrc32(100 * 1024 - 1));
    EXPECT_FALSE(options.wantsCrc32(100 * 1024));
    options.MaxCRC32Size = 8 * 1024 * 1024;  // 8 GiB in KB: files of 4 GiB and more still skip
    EXPECT_FALSE(options.wantsCrc32(uint64_t{1} << 32));
    EXPECT_TRUE(options.wantsCrc32((uint64_t{1} << 32) - 1));
    options.MaxCRC32Size = 0;
    EXPECT_FALSE(options.wantsCrc32(0));
}

TEST(ReadOptionsTest, Md5LimitIsIndependent) {
    ReadOptions options;
    options.bCalcMD5 = true;
    options.bLimitMD5Size = true;
    options.MaxMD5Size = 1;
    options.bCalcCRC32 = true;
    EXPECT_TRUE(options.wantsMd5(1023));
    EXPECT_FALSE(options.wantsMd5(1024));
    EXPECT_TRUE(options.wantsCrc32(1024));
}

TEST(ReadOptionsTest, ProviderSelections) {
    ReadOptions options;
    ASSERT_NE(options.findProvider("Shelfmark.exe"), nullptr);
    EXPECT_EQ(options.findProvider("hvsm_x.dll"), nullptr);
    options.setProvider("hvsm_x.dll", "3");
    options.setProvider("Shelfmark.exe", "0,4");
    EXPECT_EQ(options.providers.size(), 2u);
    EXPECT_EQ(options.findProvider("Shelfmark.exe")->indexes, "0,4");
}

TEST(ProviderIndexesTest, ParseAndFormat) {
    EXPECT_EQ(ParseProviderIndexes("0,4"), (std::vector<int>{0, 4}));
    EXPECT_EQ(ParseProviderIndexes("0,4,"), (std::vector<int>{0, 4}));
    EXPECT_EQ(ParseProviderIndexes(""), std::vector<int>{});
    EXPECT_EQ(ParseProviderIndexes("1,256,x,-1,255"), (std::vector<int>{1, 255}));
    EXPECT_EQ(FormatProviderIndexes({0, 4}), "0,4");
    EXPECT_EQ(FormatProviderIndexes({}), "");
}

}  // namespace
}  // namespace shelfmark
