// RC4, and the RC4 key that the catalog's password protection derives from a SHA-1 hash.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/crypto/Sha1.h"

namespace shelfmark {

class Rc4 {
  public:
    // Keys of 1 to 256 bytes; an empty key is treated as the single byte 0.
    explicit Rc4(std::span<const uint8_t> key);

    // XORs the next bytes of the key stream into `data`: encrypts and decrypts alike.
    void apply(uint8_t* data, size_t size);
    void apply(std::span<uint8_t> data) { apply(data.data(), data.size()); }

  private:
    uint8_t state_[256];
    uint8_t i_ = 0;
    uint8_t j_ = 0;
};

// The 128-bit RC4 key derived from a hash the way the Windows base cryptographic provider
// derives its default (40-bit) RC4 key: the first 5 bytes of the hash, then 11 zero bytes of
// salt. Catalog files written on Windows hold names encrypted under exactly this key.
using Rc4Key = std::array<uint8_t, 16>;
Rc4Key DeriveRc4Key(const Sha1::Digest& hash);

// Encrypts or decrypts a whole buffer from the start of the key stream, as every call of the
// password code does.
void Rc4Crypt(const Rc4Key& key, std::span<uint8_t> data);

// The same for many buffers under one key: the start of the key stream is made once and kept
// (grown as longer buffers come), so each buffer costs one XOR instead of the 256-step key
// schedule. crypt(data) gives exactly what Rc4Crypt(key, data) gives.
class Rc4StreamStart {
  public:
    explicit Rc4StreamStart(const Rc4Key& key) : generator_(key) {}
    void crypt(std::span<uint8_t> data);

  private:
    Rc4 generator_;  // positioned at the end of stream_
    std::vector<uint8_t> stream_;
};

}  // namespace shelfmark
