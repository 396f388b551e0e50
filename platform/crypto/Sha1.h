// SHA-1 (FIPS 180), fed incrementally. Used for the key behind encrypted item names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace shelfmark {

class Sha1 {
  public:
    using Digest = std::array<uint8_t, 20>;

    Sha1() { reset(); }

    void reset();
    void update(const void* data, size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    // The digest of everything fed since the last reset; the object starts over afterwards.
    Digest finish();

    static Digest of(const void* data, size_t size);
    static Digest of(std::string_view bytes) { return of(bytes.data(), bytes.size()); }

  private:
    void compress(const uint8_t* block);

    uint32_t state_[5];
    uint64_t length_;
    uint8_t pending_[64];
    size_t pendingSize_;
};

}  // namespace shelfmark
