// The CRC-32 of ZIP, gzip and Ethernet (reflected polynomial 0xEDB88320) over memory. Uses the
// carry-less multiply instructions when the processor has them and slicing tables otherwise;
// every path gives the same value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace shelfmark {

// Continues a CRC: `crc` is the value returned for the bytes before (0 to start), as with
// zlib's crc32(), so Crc32Update(Crc32Update(0, a), b) is the CRC of a followed by b.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t size);

// The portable table-driven form, for comparison against the fast path.
uint32_t Crc32UpdatePortable(uint32_t crc, const void* data, size_t size);

}  // namespace shelfmark
