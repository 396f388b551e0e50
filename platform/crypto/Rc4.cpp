#include "platform/crypto/Rc4.h"

#include <algorithm>
#include <utility>

namespace shelfmark {

Rc4::Rc4(std::span<const uint8_t> key) {
    for (int n = 0; n < 256; ++n)
        state_[n] = static_cast<uint8_t>(n);
    static const uint8_t kZero = 0;
    if (key.empty())
        key = std::span<const uint8_t>(&kZero, 1);
    uint8_t j = 0;
    for (size_t n = 0; n < 256; ++n) {
        j = static_cast<uint8_t>(j + state_[n] + key[n % key.size()]);
        std::swap(state_[n], state_[j]);
    }
}

void Rc4::apply(uint8_t* data, size_t size) {
    uint8_t i = i_, j = j_;
    for (size_t n = 0; n < size; ++n) {
        i = static_cast<uint8_t>(i + 1);
        j = static_cast<uint8_t>(j + state_[i]);
        std::swap(state_[i], state_[j]);
        data[n] ^= state_[static_cast<uint8_t>(state_[i] + state_[j])];
    }
    i_ = i;
    j_ = j;
}

Rc4Key DeriveRc4Key(const Sha1::Digest& hash) {
    Rc4Key key{};
    for (size_t n = 0; n < 5; ++n)
        key[n] = hash[n];
    return key;
}

void Rc4Crypt(const Rc4Key& key, std::span<uint8_t> data) {
    Rc4 cipher(key);
    cipher.apply(data);
}

void Rc4StreamStart::crypt(std::span<uint8_t> data) {
    if (data.size() > stream_.size()) {
        const size_t had = stream_.size();
        stream_.resize(std::max(data.size(), size_t(256)), 0);
        generator_.apply(stream_.data() + had, stream_.size() - had);
    }
    for (size_t n = 0; n < data.size(); ++n)
        data[n] ^= stream_[n];
}

}  // namespace shelfmark
