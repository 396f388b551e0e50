#include "platform/crypto/Sha1.h"

#include <algorithm>
#include <cstring>

namespace shelfmark {

namespace {

inline uint32_t Rotl(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

inline uint32_t LoadBe32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

void Sha1::reset() {
    state_[0] = 0x67452301;
    state_[1] = 0xEFCDAB89;
    state_[2] = 0x98BADCFE;
    state_[3] = 0x10325476;
    state_[4] = 0xC3D2E1F0;
    length_ = 0;
    pendingSize_ = 0;
}

void Sha1::compress(const uint8_t* block) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = LoadBe32(block + 4 * i);
    for (int i = 16; i < 80; ++i)
        w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);

    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f;
        uint32_t k;
        if (i < 20) {
            f = d ^ (b & (c ^ d));
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (d & (b | c));
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        const uint32_t next = Rotl(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
}

void Sha1::update(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    length_ += size;
    while (size > 0) {
        if (pendingSize_ == 0 && size >= 64) {
            compress(bytes);
            bytes += 64;
            size -= 64;
            continue;
        }
        const size_t take = std::min(size, sizeof pending_ - pendingSize_);
        std::memcpy(pending_ + pendingSize_, bytes, take);
        pendingSize_ += take;
        bytes += take;
        size -= take;
        if (pendingSize_ == sizeof pending_) {
            compress(pending_);
            pendingSize_ = 0;
        }
    }
}

Sha1::Digest Sha1::finish() {
    const uint64_t bitLength = length_ * 8;
    static const uint8_t kPadding[64] = {0x80};
    const size_t padSize = pendingSize_ < 56 ? 56 - pendingSize_ : 120 - pendingSize_;
    update(kPadding, padSize);
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<uint8_t>(bitLength >> (56 - 8 * i));
    update(lengthBytes, sizeof lengthBytes);

    Digest digest;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (24 - 8 * j));
    reset();
    return digest;
}

Sha1::Digest Sha1::of(const void* data, size_t size) {
    Sha1 sha1;
    sha1.update(data, size);
    return sha1.finish();
}

}  // namespace shelfmark
