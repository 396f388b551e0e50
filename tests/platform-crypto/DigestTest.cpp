// MD5 and SHA-1 against the published test vectors and against openssl on random inputs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/crypto/HexText.h"
#include "platform/crypto/Md5.h"
#include "platform/crypto/Sha1.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

std::string Md5Hex(std::string_view bytes) {
    return ToLowerHex(Md5::of(bytes));
}
std::string Sha1Hex(std::string_view bytes) {
    return ToLowerHex(Sha1::of(bytes));
}

TEST(Md5Test, Rfc1321TestSuite) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Hex("1234567890123456789012345678901234567890"
                     "1234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Sha1Test, Fips180Examples) {
    EXPECT_EQ(Sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(Sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

// Feeding the same bytes in pieces of every awkward size must not change the digest.
TEST(DigestTest, IncrementalFeedingMatchesOneShot) {
    std::mt19937 random(7);
    std::string data(1000, '\0');
    for (char& c : data)
        c = static_cast<char>(random());
    for (size_t piece : {1u, 3u, 55u, 56u, 63u, 64u, 65u, 127u, 999u}) {
        Md5 md5;
        Sha1 sha1;
        for (size_t at = 0; at < data.size(); at += piece) {
            const std::string_view part = std::string_view(data).substr(at, piece);
            md5.update(part);
            sha1.update(part);
        }
        EXPECT_EQ(md5.finish(), Md5::of(data)) << "piece " << piece;
        EXPECT_EQ(sha1.finish(), Sha1::of(data)) << "piece " << piece;
    }
}

TEST(DigestTest, FinishStartsOver) {
    Md5 md5;
    md5.update("something");
    md5.finish();
    md5.update("abc");
    EXPECT_EQ(ToLowerHex(md5.finish()), "900150983cd24fb0d6963f7d28e17f72");
    Sha1 sha1;
    sha1.update("something");
    sha1.finish();
    sha1.update("abc");
    EXPECT_EQ(ToLowerHex(sha1.finish()), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

// openssl prints "MD5(stdin)= <hex>" or "(stdin)= <hex>" depending on its version.
std::string OpensslDigest(const std::string& algorithm, const std::filesystem::path& file) {
    const auto result = testing::RunCommand("openssl dgst -" + algorithm + " -r " +
                                            testing::ShellQuote(file.string()));
    if (result.exitCode != 0)
        return {};
    return result.out.substr(0, result.out.find(' '));
}

TEST(DigestTest, RandomInputsAgreeWithOpenssl) {
    SHELFMARK_REQUIRE_PROGRAM("openssl");
    testing::TempDir dir;
    std::mt19937 random(12345);
    for (size_t size : {0u, 1u, 55u, 56u, 64u, 119u, 120u, 4095u, 65537u, 300001u}) {
        std::string data(size, '\0');
        for (char& c : data)
            c = static_cast<char>(random());
        const auto file = dir / ("input" + std::to_string(size));
        testing::WriteFile(file, data);
        EXPECT_EQ(Md5Hex(data), OpensslDigest("md5", file)) << "size " << size;
        EXPECT_EQ(Sha1Hex(data), OpensslDigest("sha1", file)) << "size " << size;
    }
}

TEST(HexTextTest, LowerCaseInOrder) {
    const std::vector<uint8_t> bytes = {0x00, 0x0f, 0xa0, 0xff};
    EXPECT_EQ(ToLowerHex(bytes), "000fa0ff");
    EXPECT_EQ(ToLowerHex({}), "");
}

}  // namespace
}  // namespace shelfmark
