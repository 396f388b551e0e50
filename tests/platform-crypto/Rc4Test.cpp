// RC4 against published vectors, and the key derived from a SHA-1 hash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/crypto/HexText.h"
#include "platform/crypto/Rc4.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::string Encrypt(std::string_view key, std::string_view plain) {
    const auto keyBytes = Bytes(key);
    auto data = Bytes(plain);
    Rc4 cipher(keyBytes);
    cipher.apply(data);
    return ToLowerHex(data);
}

TEST(Rc4Test, ClassicVectors) {
    EXPECT_EQ(Encrypt("Key", "Plaintext"), "bbf316e8d940af0ad3");
    EXPECT_EQ(Encrypt("Wiki", "pedia"), "1021bf0420");
    EXPECT_EQ(Encrypt("Secret", "Attack at dawn"), "45a01f645fc35b383552544b9bf5");
}

// RFC 6229, 40-bit key 0x0102030405: the key stream at offsets 0 and 16.
TEST(Rc4Test, Rfc6229FortyBitKeyStream) {
    const std::vector<uint8_t> key = {0x01, 0x02, 0x03, 0x04, 0x05};
    std::vector<uint8_t> stream(32, 0);
    Rc4 cipher(key);
    cipher.apply(stream);
    EXPECT_EQ(ToLowerHex(stream),
              "b2396305f03dc027ccc3524a0a1118a8"
              "6982944f18fc82d589c403a47a0d0919");
}

TEST(Rc4Test, StreamContinuesAcrossCalls) {
    const auto key = Bytes("Secret");
    auto whole = Bytes("Attack at dawn");
    auto split = whole;
    Rc4(key).apply(whole);
    Rc4 cipher(key);
    cipher.apply(split.data(), 5);
    cipher.apply(split.data() + 5, split.size() - 5);
    EXPECT_EQ(split, whole);
}

TEST(Rc4Test, DerivedKeyIsFortyBitsOfTheHashThenZeroSalt) {
    const Rc4Key key = DeriveRc4Key(Sha1::of("abc"));  // a9993e3647...
    EXPECT_EQ(ToLowerHex(key), "a9993e36470000000000000000000000");
}

TEST(Rc4Test, CryptTwiceGivesThePlainTextBack) {
    const Rc4Key key = DeriveRc4Key(Sha1::of("password"));
    auto data = Bytes("Ordner mit Umlauten \xc3\xa4\xc3\xb6");
    const auto plain = data;
    Rc4Crypt(key, data);
    EXPECT_NE(data, plain);
    Rc4Crypt(key, data);
    EXPECT_EQ(data, plain);
}

// openssl's RC4 (in its legacy provider on OpenSSL 3) with the same 16-byte key.
TEST(Rc4Test, DerivedKeyAgreesWithOpenssl) {
    SHELFMARK_REQUIRE_PROGRAM("openssl");
    testing::TempDir dir;
    const std::string plain = "The quick brown fox jumps over the lazy dog";
    testing::WriteFile(dir / "plain", plain);
    const Rc4Key key = DeriveRc4Key(Sha1::of("secret"));
    const auto result = testing::RunCommand(
        "openssl enc -rc4 -provider legacy -provider default -nosalt -K " + ToLowerHex(key) +
        " -in " + testing::ShellQuote((dir / "plain").string()) + " 2>/dev/null | od -An -tx1 -v");
    if (result.exitCode != 0 || result.out.empty())
        GTEST_SKIP() << "openssl has no RC4 here";
    std::string expected;
    for (char c : result.out)
        if (c != ' ' && c != '\n')
            expected += c;
    auto data = Bytes(plain);
    Rc4Crypt(key, data);
    EXPECT_EQ(ToLowerHex(data), expected);
}

// The kept stream start must give every buffer what a fresh cipher gives it, whatever order of
// lengths comes (shorter after longer, and past the first 256 bytes it keeps).
TEST(Rc4Test, StreamStartAgreesWithAFreshCipherPerBuffer) {
    const Rc4Key key = DeriveRc4Key(Sha1::of("Sesam"));
    Rc4StreamStart kept(key);
    for (size_t size : {0, 1, 7, 3, 255, 256, 257, 1000, 12, 4096, 300}) {
        std::vector<uint8_t> data(size);
        for (size_t n = 0; n < size; ++n)
            data[n] = uint8_t(n * 31 + size);
        auto expected = data;
        Rc4Crypt(key, expected);
        kept.crypt(data);
        EXPECT_EQ(data, expected) << size;
    }
}

}  // namespace
}  // namespace shelfmark
