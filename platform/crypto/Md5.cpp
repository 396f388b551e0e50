#include "platform/crypto/Md5.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace shelfmark {

namespace {

inline uint32_t Rotl(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

inline uint32_t LoadLe32(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, 4);
    if constexpr (std::endian::native == std::endian::big)
        value = __builtin_bswap32(value);
    return value;
}

// The four round functions, written so that a compiler keeps the dependency chains short:
// G splits into two independent terms that are added rather than or-ed.
#define SHELFMARK_MD5_F(a, b, c, d, x, k, s)      \
    a += ((d) ^ ((b) & ((c) ^ (d)))) + (x) + (k); \
    a = Rotl(a, s) + (b)
#define SHELFMARK_MD5_G(a, b, c, d, x, k, s) \
    a += (x) + (k) + (~(d) & (c));           \
    a += (d) & (b);                          \
    a = Rotl(a, s) + (b)
#define SHELFMARK_MD5_H(a, b, c, d, x, k, s) \
    a += ((b) ^ (c) ^ (d)) + (x) + (k);      \
    a = Rotl(a, s) + (b)
#define SHELFMARK_MD5_I(a, b, c, d, x, k, s) \
    a += ((c) ^ ((b) | ~(d))) + (x) + (k);   \
    a = Rotl(a, s) + (b)

}  // namespace

void Md5::reset() {
    state_[0] = 0x67452301;
    state_[1] = 0xefcdab89;
    state_[2] = 0x98badcfe;
    state_[3] = 0x10325476;
    length_ = 0;
    pendingSize_ = 0;
}

void Md5::compress(const uint8_t* blocks, size_t count) {
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (; count > 0; --count, blocks += 64) {
        uint32_t x[16];
        for (int i = 0; i < 16; ++i)
            x[i] = LoadLe32(blocks + 4 * i);
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        SHELFMARK_MD5_F(a, b, c, d, x[0], 0xd76aa478, 7);
        SHELFMARK_MD5_F(d, a, b, c, x[1], 0xe8c7b756, 12);
        SHELFMARK_MD5_F(c, d, a, b, x[2], 0x242070db, 17);
        SHELFMARK_MD5_F(b, c, d, a, x[3], 0xc1bdceee, 22);
        SHELFMARK_MD5_F(a, b, c, d, x[4], 0xf57c0faf, 7);
        SHELFMARK_MD5_F(d, a, b, c, x[5], 0x4787c62a, 12);
        SHELFMARK_MD5_F(c, d, a, b, x[6], 0xa8304613, 17);
        SHELFMARK_MD5_F(b, c, d, a, x[7], 0xfd469501, 22);
        SHELFMARK_MD5_F(a, b, c, d, x[8], 0x698098d8, 7);
        SHELFMARK_MD5_F(d, a, b, c, x[9], 0x8b44f7af, 12);
        SHELFMARK_MD5_F(c, d, a, b, x[10], 0xffff5bb1, 17);
        SHELFMARK_MD5_F(b, c, d, a, x[11], 0x895cd7be, 22);
        SHELFMARK_MD5_F(a, b, c, d, x[12], 0x6b901122, 7);
        SHELFMARK_MD5_F(d, a, b, c, x[13], 0xfd987193, 12);
        SHELFMARK_MD5_F(c, d, a, b, x[14], 0xa679438e, 17);
        SHELFMARK_MD5_F(b, c, d, a, x[15], 0x49b40821, 22);

        SHELFMARK_MD5_G(a, b, c, d, x[1], 0xf61e2562, 5);
        SHELFMARK_MD5_G(d, a, b, c, x[6], 0xc040b340, 9);
        SHELFMARK_MD5_G(c, d, a, b, x[11], 0x265e5a51, 14);
        SHELFMARK_MD5_G(b, c, d, a, x[0], 0xe9b6c7aa, 20);
        SHELFMARK_MD5_G(a, b, c, d, x[5], 0xd62f105d, 5);
        SHELFMARK_MD5_G(d, a, b, c, x[10], 0x02441453, 9);
        SHELFMARK_MD5_G(c, d, a, b, x[15], 0xd8a1e681, 14);
        SHELFMARK_MD5_G(b, c, d, a, x[4], 0xe7d3fbc8, 20);
        SHELFMARK_MD5_G(a, b, c, d, x[9], 0x21e1cde6, 5);
        SHELFMARK_MD5_G(d, a, b, c, x[14], 0xc33707d6, 9);
        SHELFMARK_MD5_G(c, d, a, b, x[3], 0xf4d50d87, 14);
        SHELFMARK_MD5_G(b, c, d, a, x[8], 0x455a14ed, 20);
        SHELFMARK_MD5_G(a, b, c, d, x[13], 0xa9e3e905, 5);
        SHELFMARK_MD5_G(d, a, b, c, x[2], 0xfcefa3f8, 9);
        SHELFMARK_MD5_G(c, d, a, b, x[7], 0x676f02d9, 14);
        SHELFMARK_MD5_G(b, c, d, a, x[12], 0x8d2a4c8a, 20);

        SHELFMARK_MD5_H(a, b, c, d, x[5], 0xfffa3942, 4);
        SHELFMARK_MD5_H(d, a, b, c, x[8], 0x8771f681, 11);
        SHELFMARK_MD5_H(c, d, a, b, x[11], 0x6d9d6122, 16);
        SHELFMARK_MD5_H(b, c, d, a, x[14], 0xfde5380c, 23);
        SHELFMARK_MD5_H(a, b, c, d, x[1], 0xa4beea44, 4);
        SHELFMARK_MD5_H(d, a, b, c, x[4], 0x4bdecfa9, 11);
        SHELFMARK_MD5_H(c, d, a, b, x[7], 0xf6bb4b60, 16);
        SHELFMARK_MD5_H(b, c, d, a, x[10], 0xbebfbc70, 23);
        SHELFMARK_MD5_H(a, b, c, d, x[13], 0x289b7ec6, 4);
        SHELFMARK_MD5_H(d, a, b, c, x[0], 0xeaa127fa, 11);
        SHELFMARK_MD5_H(c, d, a, b, x[3], 0xd4ef3085, 16);
        SHELFMARK_MD5_H(b, c, d, a, x[6], 0x04881d05, 23);
        SHELFMARK_MD5_H(a, b, c, d, x[9], 0xd9d4d039, 4);
        SHELFMARK_MD5_H(d, a, b, c, x[12], 0xe6db99e5, 11);
        SHELFMARK_MD5_H(c, d, a, b, x[15], 0x1fa27cf8, 16);
        SHELFMARK_MD5_H(b, c, d, a, x[2], 0xc4ac5665, 23);

        SHELFMARK_MD5_I(a, b, c, d, x[0], 0xf4292244, 6);
        SHELFMARK_MD5_I(d, a, b, c, x[7], 0x432aff97, 10);
        SHELFMARK_MD5_I(c, d, a, b, x[14], 0xab9423a7, 15);
        SHELFMARK_MD5_I(b, c, d, a, x[5], 0xfc93a039, 21);
        SHELFMARK_MD5_I(a, b, c, d, x[12], 0x655b59c3, 6);
        SHELFMARK_MD5_I(d, a, b, c, x[3], 0x8f0ccc92, 10);
        SHELFMARK_MD5_I(c, d, a, b, x[10], 0xffeff47d, 15);
        SHELFMARK_MD5_I(b, c, d, a, x[1], 0x85845dd1, 21);
        SHELFMARK_MD5_I(a, b, c, d, x[8], 0x6fa87e4f, 6);
        SHELFMARK_MD5_I(d, a, b, c, x[15], 0xfe2ce6e0, 10);
        SHELFMARK_MD5_I(c, d, a, b, x[6], 0xa3014314, 15);
        SHELFMARK_MD5_I(b, c, d, a, x[13], 0x4e0811a1, 21);
        SHELFMARK_MD5_I(a, b, c, d, x[4], 0xf7537e82, 6);
        SHELFMARK_MD5_I(d, a, b, c, x[11], 0xbd3af235, 10);
        SHELFMARK_MD5_I(c, d, a, b, x[2], 0x2ad7d2bb, 15);
        SHELFMARK_MD5_I(b, c, d, a, x[9], 0xeb86d391, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state_[0] = a;
    state_[1] = b;
    state_[2] = c;
    state_[3] = d;
}

#undef SHELFMARK_MD5_F
#undef SHELFMARK_MD5_G
#undef SHELFMARK_MD5_H
#undef SHELFMARK_MD5_I

void Md5::update(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    length_ += size;
    if (pendingSize_ > 0) {
        const size_t take = std::min(size, sizeof pending_ - pendingSize_);
        std::memcpy(pending_ + pendingSize_, bytes, take);
        pendingSize_ += take;
        bytes += take;
        size -= take;
        if (pendingSize_ < sizeof pending_)
            return;
        compress(pending_, 1);
        pendingSize_ = 0;
    }
    const size_t whole = size / 64;
    if (whole > 0)
        compress(bytes, whole);
    bytes += whole * 64;
    size -= whole * 64;
    if (size > 0)
        std::memcpy(pending_, bytes, size);
    pendingSize_ = size;
}

Md5::Digest Md5::finish() {
    const uint64_t bitLength = length_ * 8;
    static const uint8_t kPadding[64] = {0x80};
    const size_t padSize = pendingSize_ < 56 ? 56 - pendingSize_ : 120 - pendingSize_;
    update(kPadding, padSize);
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<uint8_t>(bitLength >> (8 * i));
    update(lengthBytes, sizeof lengthBytes);

    Digest digest;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
    reset();
    return digest;
}

Md5::Digest Md5::of(const void* data, size_t size) {
    Md5 md5;
    md5.update(data, size);
    return md5.finish();
}

}  // namespace shelfmark
