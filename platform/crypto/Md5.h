// MD5 (RFC 1321), fed incrementally. Used for file checksums and password check values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace shelfmark {

class Md5 {
  public:
    using Digest = std::array<uint8_t, 16>;

    Md5() { reset(); }

    void reset();
    void update(const void* data, size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    // The digest of everything fed since the last reset; the object starts over afterwards.
    Digest finish();

    static Digest of(const void* data, size_t size);
    static Digest of(std::string_view bytes) { return of(bytes.data(), bytes.size()); }

  private:
    void compress(const uint8_t* blocks, size_t count);

    uint32_t state_[4];
    uint64_t length_;  // bytes fed so far
    uint8_t pending_[64];
    size_t pendingSize_;
};

}  // namespace shelfmark
