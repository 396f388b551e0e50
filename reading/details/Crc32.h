// The CRC-32 of ZIP, gzip and Ethernet (reflected polynomial 0xEDB88320) over memory. Uses the
// widest carry-less multiply instructions the processor has, and slicing tables otherwise;
// every method gives the same value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace shelfmark {

// Continues a CRC: `crc` is the value returned for the bytes before (0 to start), as with
// zlib's crc32(), so Crc32Update(Crc32Update(0, a), b) is the CRC of a followed by b.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t size);

enum class Crc32Method {
    Tables,     // slicing-by-8, any processor
    Clmul,      // 128-bit carry-less multiply (x86 PCLMULQDQ)
    WideClmul,  // 256-bit carry-less multiply (x86 VPCLMULQDQ with AVX2)
};

// Whether this processor can run a method; the fastest available one is what Crc32Update uses.
bool Crc32MethodAvailable(Crc32Method method);
// Crc32Update with a chosen method, so each can be checked and measured; the method must be
// available.
uint32_t Crc32UpdateWith(Crc32Method method, uint32_t crc, const void* data, size_t size);

}  // namespace shelfmark
