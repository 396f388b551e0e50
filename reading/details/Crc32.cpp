#include "reading/details/Crc32.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define SHELFMARK_CRC32_CLMUL 1
#endif

namespace shelfmark {

namespace {

// Slicing-by-8 tables: kTables[0] is the classic byte table; kTables[k][n] is the CRC of byte n
// followed by k zero bytes, so eight bytes are folded with eight independent lookups.
using Crc32Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Crc32Tables MakeTables() {
    Crc32Tables tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t value = n;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        tables[0][n] = value;
    }
    for (size_t k = 1; k < tables.size(); ++k)
        for (uint32_t n = 0; n < 256; ++n)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
    return tables;
}

constexpr Crc32Tables kTables = MakeTables();

// Works on the inverted register, as the hardware path does.
uint32_t RegisterUpdatePortable(uint32_t reg, const uint8_t* p, size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
        while (size >= 8) {
            uint32_t low;
            uint32_t high;
            std::memcpy(&low, p, 4);
            std::memcpy(&high, p + 4, 4);
            low ^= reg;
            reg = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^
                  kTables[5][(low >> 16) & 0xFF] ^ kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^
                  kTables[2][(high >> 8) & 0xFF] ^ kTables[1][(high >> 16) & 0xFF] ^
                  kTables[0][high >> 24];
            p += 8;
            size -= 8;
        }
    }
    while (size-- > 0)
        reg = kTables[0][(reg ^ *p++) & 0xFF] ^ (reg >> 8);
    return reg;
}

#ifdef SHELFMARK_CRC32_CLMUL

// Folding with carry-less multiplication: four 128-bit lanes are folded forward across 64 bytes
// at a time, then into one lane, then reduced to 32 bits with a Barrett step. The constants are
// powers of x modulo the bit-reflected polynomial:
//   k1 = x^(4*128+32), k2 = x^(4*128-32), k3 = x^(128+32), k4 = x^(128-32), k5 = x^64,
//   and for the Barrett reduction the polynomial P' and mu = floor(x^64 / P').
#define SHELFMARK_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

SHELFMARK_CLMUL_TARGET inline __m128i Load128(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One lane folded forward by the distance the constants stand for, then the next data added.
SHELFMARK_CLMUL_TARGET inline __m128i Fold(__m128i lane, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(lane, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(lane, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

// Folds the remaining whole 16-byte pieces into the lane, reduces it to the 32-bit register
// and finishes the last bytes with the tables.
SHELFMARK_CLMUL_TARGET inline __attribute__((always_inline)) uint32_t FinishLane(__m128i x0,
                                                                                 const uint8_t* p,
                                                                                 size_t size) {
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
    while (size >= 16) {
        x0 = Fold(x0, k3k4, Load128(p));
        p += 16;
        size -= 16;
    }
    // 128 bits to 64, appending the 32 zero bits a CRC implies.
    x0 = _mm_xor_si128(_mm_clmulepi64_si128(x0, k3k4, 0x10), _mm_srli_si128(x0, 8));
    // 64 bits to 32 plus a remainder term.
    x0 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x0, mask32), k5, 0x00),
                       _mm_srli_si128(x0, 4));
    // Barrett reduction to the 32-bit register.
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x0, mask32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), poly, 0x00);
    const auto reg = static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x0, t), 1));
    return RegisterUpdatePortable(reg, p, size);
}

SHELFMARK_CLMUL_TARGET uint32_t RegisterUpdateClmul(uint32_t reg, const uint8_t* p, size_t size) {
    if (size < 64)
        return RegisterUpdatePortable(reg, p, size);

    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);

    __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = Load128(p + 16);
    __m128i x2 = Load128(p + 32);
    __m128i x3 = Load128(p + 48);
    p += 64;
    size -= 64;
    while (size >= 64) {
        x0 = Fold(x0, k1k2, Load128(p));
        x1 = Fold(x1, k1k2, Load128(p + 16));
        x2 = Fold(x2, k1k2, Load128(p + 32));
        x3 = Fold(x3, k1k2, Load128(p + 48));
        p += 64;
        size -= 64;
    }
    x0 = Fold(x0, k3k4, x1);
    x0 = Fold(x0, k3k4, x2);
    x0 = Fold(x0, k3k4, x3);
    return FinishLane(x0, p, size);
}

// The same with 256-bit carry-less multiplies: eight lanes in four registers, folded forward
// across 128 bytes at a time (k = x^(8*128+32), x^(8*128-32)), then lane by lane into one.
#define SHELFMARK_VCLMUL_TARGET __attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1")))

SHELFMARK_VCLMUL_TARGET inline __m256i Load256(const uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

SHELFMARK_VCLMUL_TARGET inline __m256i Fold256(__m256i lanes, __m256i constants, __m256i next) {
    const __m256i low = _mm256_clmulepi64_epi128(lanes, constants, 0x00);
    const __m256i high = _mm256_clmulepi64_epi128(lanes, constants, 0x11);
    return _mm256_xor_si256(_mm256_xor_si256(low, high), next);
}

SHELFMARK_VCLMUL_TARGET uint32_t RegisterUpdateVclmul(uint32_t reg, const uint8_t* p, size_t size) {
    if (size < 256)
        return RegisterUpdateClmul(reg, p, size);

    const __m256i k8 = _mm256_set_epi64x(0x014a7fe880, 0x01e88ef372, 0x014a7fe880, 0x01e88ef372);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);

    __m256i y0 =
        _mm256_xor_si256(Load256(p), _mm256_set_epi32(0, 0, 0, 0, 0, 0, 0, static_cast<int>(reg)));
    __m256i y1 = Load256(p + 32);
    __m256i y2 = Load256(p + 64);
    __m256i y3 = Load256(p + 96);
    p += 128;
    size -= 128;
    while (size >= 128) {
        y0 = Fold256(y0, k8, Load256(p));
        y1 = Fold256(y1, k8, Load256(p + 32));
        y2 = Fold256(y2, k8, Load256(p + 64));
        y3 = Fold256(y3, k8, Load256(p + 96));
        p += 128;
        size -= 128;
    }
    const __m128i lanes[8] = {
        _mm256_castsi256_si128(y0), _mm256_extracti128_si256(y0, 1),
        _mm256_castsi256_si128(y1), _mm256_extracti128_si256(y1, 1),
        _mm256_castsi256_si128(y2), _mm256_extracti128_si256(y2, 1),
        _mm256_castsi256_si128(y3), _mm256_extracti128_si256(y3, 1),
    };
    __m128i x0 = lanes[0];
    for (int n = 1; n < 8; ++n)
        x0 = Fold(x0, k3k4, lanes[n]);
    return FinishLane(x0, p, size);
}

#endif

bool MethodAvailable(Crc32Method method) {
    switch (method) {
        case Crc32Method::Tables:
            return true;
#ifdef SHELFMARK_CRC32_CLMUL
        case Crc32Method::Clmul:
            __builtin_cpu_init();
            return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
        case Crc32Method::WideClmul:
            return MethodAvailable(Crc32Method::Clmul) && __builtin_cpu_supports("avx2") &&
                   __builtin_cpu_supports("vpclmulqdq");
#else
        case Crc32Method::Clmul:
        case Crc32Method::WideClmul:
            return false;
#endif
    }
    return false;
}

using RegisterUpdate = uint32_t (*)(uint32_t, const uint8_t*, size_t);

RegisterUpdate UpdateFor(Crc32Method method) {
#ifdef SHELFMARK_CRC32_CLMUL
    if (method == Crc32Method::WideClmul)
        return RegisterUpdateVclmul;
    if (method == Crc32Method::Clmul)
        return RegisterUpdateClmul;
#endif
    (void)method;
    return RegisterUpdatePortable;
}

RegisterUpdate ChooseRegisterUpdate() {
    for (const Crc32Method method : {Crc32Method::WideClmul, Crc32Method::Clmul}) {
        if (MethodAvailable(method))
            return UpdateFor(method);
    }
    return RegisterUpdatePortable;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, size_t size) {
    static const RegisterUpdate update = ChooseRegisterUpdate();
    return ~update(~crc, static_cast<const uint8_t*>(data), size);
}

bool Crc32MethodAvailable(Crc32Method method) {
    return MethodAvailable(method);
}

uint32_t Crc32UpdateWith(Crc32Method method, uint32_t crc, const void* data, size_t size) {
    return ~UpdateFor(method)(~crc, static_cast<const uint8_t*>(data), size);
}

}  // namespace shelfmark
