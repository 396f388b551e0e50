#include <gtest/gtest.h>

#include <algorithm>

#include "platform/cdrom/CdromToc.h"
#include "reading/audio/DiscInformation.h"

namespace shelfmark {
namespace {

// One pack: type, track, sequence, block/position, exactly 12 text bytes, then its CRC.
std::vector<uint8_t> Pack(uint8_t type, uint8_t track, uint8_t sequence, uint8_t blockAndPosition,
                          std::string_view text12) {
    EXPECT_EQ(text12.size(), 12u);
    std::vector<uint8_t> pack(18, 0);
    pack[0] = type;
    pack[1] = track;
    pack[2] = sequence;
    pack[3] = blockAndPosition;
    for (size_t i = 0; i < 12 && i < text12.size(); ++i)
        pack[4 + i] = static_cast<uint8_t>(text12[i]);
    const uint16_t crc = cdrom::CdTextPackCrc(pack.data());
    pack[16] = static_cast<uint8_t>(crc >> 8);
    pack[17] = static_cast<uint8_t>(crc);
    return pack;
}

std::vector<uint8_t> Answer(const std::vector<std::vector<uint8_t>>& packs) {
    const size_t length = packs.size() * 18 + 2;
    std::vector<uint8_t> answer(4 + packs.size() * 18, 0);
    answer[0] = static_cast<uint8_t>(length >> 8);
    answer[1] = static_cast<uint8_t>(length);
    for (size_t i = 0; i < packs.size(); ++i)
        std::copy(packs[i].begin(), packs[i].end(),
                  answer.begin() + static_cast<ptrdiff_t>(4 + i * 18));
    return answer;
}

using namespace std::string_view_literals;

TEST(CdText, TitlesSharingAPackAndRunningAcrossPacks) {
    // "Blue Album" ends in pack 0 and "Rain" starts there; "Rain" runs on into pack 1, which is
    // numbered with track 1 and also holds track 2's "Sun".
    const std::vector<uint8_t> answer = Answer({
        Pack(0x80, 0, 0, 0x00, "Blue Album\0R"sv),
        Pack(0x80, 1, 1, 0x01, "ain\0Sun\0\0\0\0\0"sv),
        Pack(0x81, 0, 2, 0x00, "Quartet\0Ann\0"sv),
    });
    DiscInformation information;
    ASSERT_TRUE(ParseCdText(answer, information));
    EXPECT_EQ(information.title(0), "Blue Album");
    EXPECT_EQ(information.title(1), "Rain");
    EXPECT_EQ(information.title(2), "Sun");
    EXPECT_EQ(information.title(3), "");  // the padding zeros store empty texts
    EXPECT_EQ(information.artist(0), "Quartet");
    EXPECT_EQ(information.artist(1), "Ann");
    EXPECT_EQ(information.artist(2), "");
}

TEST(CdText, OtherTypesAndBlocksAreWalkedButNotUsed) {
    const std::vector<uint8_t> answer = Answer({
        Pack(0x8F, 0, 0, 0x00, "\x01\x01\x05\0\0\0\0\0\0\0\0\0"sv),  // size information
        Pack(0x80, 0, 1, 0x10, "Zweiter\0\0\0\0\0"sv),               // block 1: a second language
        Pack(0x82, 0, 2, 0x00, "Songwriter\0\0"sv),
        Pack(0x80, 0, 3, 0x80, "First\0\0\0\0\0\0\0"sv),  // the double-byte bit is not looked at
    });
    DiscInformation information;
    ASSERT_TRUE(ParseCdText(answer, information));
    EXPECT_EQ(information.title(0), "First");
    EXPECT_TRUE(information.artists.empty());
}

TEST(CdText, StopsWhereTheSequenceBreaks) {
    const std::vector<uint8_t> answer = Answer({
        Pack(0x80, 0, 0, 0x00, "Kept\0\0\0\0\0\0\0\0"sv),
        Pack(0x80, 1, 5, 0x00, "Dropped\0\0\0\0\0"sv),
        Pack(0x80, 2, 2, 0x00, "Dropped\0\0\0\0\0"sv),
    });
    DiscInformation information;
    ASSERT_TRUE(ParseCdText(answer, information));
    EXPECT_EQ(information.title(0), "Kept");
    EXPECT_EQ(information.title(1), "");
    EXPECT_EQ(information.title(2), "");
}

TEST(CdText, NothingUsableIsNotFound) {
    DiscInformation information;
    EXPECT_FALSE(ParseCdText({}, information));
    const std::vector<uint8_t> headerOnly = {0, 2, 0, 0};
    EXPECT_FALSE(ParseCdText(headerOnly, information));
    EXPECT_FALSE(
        ParseCdText(Answer({Pack(0x8F, 0, 0, 0, "\0\0\0\0\0\0\0\0\0\0\0\0"sv)}), information));
    EXPECT_FALSE(ParseCdText(Answer({Pack(0x80, 0, 1, 0, "Late start\0\0"sv)}), information));
    // A pack cut short by the end of the answer is not read.
    std::vector<uint8_t> cut = Answer({Pack(0x80, 0, 0, 0, "Cut\0\0\0\0\0\0\0\0\0"sv)});
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(ParseCdText(cut, information));
    EXPECT_TRUE(information.titles.empty());
}

TEST(CdText, SingleByteTextBecomesUtf8AndTrackBitIsMasked) {
    // Byte 1's top bit is the copy-protection flag; 0xE9 is e-acute in ISO 8859-1.
    const std::vector<uint8_t> answer =
        Answer({Pack(0x80, 0x81, 0, 0x00, "Caf\xE9\0\0\0\0\0\0\0\0"sv)});
    DiscInformation information;
    ASSERT_TRUE(ParseCdText(answer, information));
    EXPECT_EQ(information.title(1), "Caf\xC3\xA9");
}

TEST(CdText, WalksAtMost255Packs) {
    std::vector<std::vector<uint8_t>> packs;
    for (int i = 0; i < 255; ++i)
        packs.push_back(Pack(0x8E, 0, static_cast<uint8_t>(i), 0, "000000000000"sv));
    packs.push_back(Pack(0x80, 0, 255, 0, "Too late\0\0\0\0"sv));  // sequence 255, the 256th pack
    DiscInformation information;
    EXPECT_FALSE(ParseCdText(Answer(packs), information));
}

TEST(CdText, TrackNumbersStayWithinACd) {
    // Track numbers above 99 cannot exist; a long run of zeros must not grow the arrays past it.
    std::vector<std::vector<uint8_t>> packs;
    for (int i = 0; i < 20; ++i)
        packs.push_back(Pack(0x80, 0x7F, static_cast<uint8_t>(i), 0, "\0\0\0\0\0\0\0\0\0\0\0\0"sv));
    DiscInformation information;
    ASSERT_TRUE(ParseCdText(Answer(packs), information));
    EXPECT_LE(information.titles.size(), 100u);
}

}  // namespace
}  // namespace shelfmark
