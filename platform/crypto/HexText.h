// Digests as text: each byte as two lower-case hexadecimal digits, in digest order.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace shelfmark {

std::string ToLowerHex(std::span<const uint8_t> bytes);

}  // namespace shelfmark
