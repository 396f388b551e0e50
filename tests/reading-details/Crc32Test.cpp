// CRC-32 over memory against zlib's crc32, on both the dispatched and the portable path.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "reading/details/Crc32.h"

namespace shelfmark {
namespace {

uint32_t ZlibCrc(const std::vector<uint8_t>& data, size_t offset, size_t size) {
    return static_cast<uint32_t>(crc32(0L, data.data() + offset, static_cast<uInt>(size)));
}

// Every method this processor can run, so the fallbacks are checked too.
std::vector<Crc32Method> AvailableMethods() {
    std::vector<Crc32Method> methods;
    for (const Crc32Method method :
         {Crc32Method::Tables, Crc32Method::Clmul, Crc32Method::WideClmul}) {
        if (Crc32MethodAvailable(method))
            methods.push_back(method);
    }
    return methods;
}

TEST(Crc32Test, KnownValues) {
    EXPECT_EQ(Crc32Update(0, "", 0), 0u);
    EXPECT_EQ(Crc32Update(0, "123456789", 9), 0xCBF43926u);
    const std::string fox = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(Crc32Update(0, fox.data(), fox.size()), 0x414FA339u);
    for (const Crc32Method method : AvailableMethods())
        EXPECT_EQ(Crc32UpdateWith(method, 0, "123456789", 9), 0xCBF43926u);
}

TEST(Crc32Test, TablesAreAlwaysAvailable) {
    EXPECT_TRUE(Crc32MethodAvailable(Crc32Method::Tables));
}

// Every length up to a few folding rounds, at every alignment, so each tail and head path runs.
TEST(Crc32Test, EveryShortLengthAndAlignmentMatchesZlib) {
    std::mt19937 random(1);
    std::vector<uint8_t> data(600);  // a few rounds of the widest folding
    for (uint8_t& byte : data)
        byte = static_cast<uint8_t>(random());
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t size = 0; offset + size <= 584; ++size) {
            const uint32_t expected = ZlibCrc(data, offset, size);
            ASSERT_EQ(Crc32Update(0, data.data() + offset, size), expected)
                << "offset " << offset << " size " << size;
            for (const Crc32Method method : AvailableMethods())
                ASSERT_EQ(Crc32UpdateWith(method, 0, data.data() + offset, size), expected)
                    << "method " << static_cast<int>(method) << " offset " << offset << " size "
                    << size;
        }
    }
}

TEST(Crc32Test, LargeRandomBuffersMatchZlib) {
    std::mt19937 random(2);
    for (size_t size : {65535u, 65536u, 65537u, 1000003u, 4194304u}) {
        std::vector<uint8_t> data(size);
        for (uint8_t& byte : data)
            byte = static_cast<uint8_t>(random());
        for (const Crc32Method method : AvailableMethods())
            EXPECT_EQ(Crc32UpdateWith(method, 0, data.data(), size), ZlibCrc(data, 0, size))
                << "method " << static_cast<int>(method) << " size " << size;
    }
}

TEST(Crc32Test, ZeroAndOnesBuffersMatchZlib) {
    for (const uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
        const std::vector<uint8_t> data(100000, fill);
        for (const Crc32Method method : AvailableMethods())
            EXPECT_EQ(Crc32UpdateWith(method, 0, data.data(), data.size()),
                      ZlibCrc(data, 0, data.size()));
    }
}

TEST(Crc32Test, ContinuingInPiecesMatchesOneCall) {
    std::mt19937 random(3);
    std::vector<uint8_t> data(200000);
    for (uint8_t& byte : data)
        byte = static_cast<uint8_t>(random());
    uint32_t crc = 0;
    size_t at = 0;
    for (size_t piece = 1; at < data.size(); piece = piece * 3 + 1) {
        const size_t size = std::min(piece, data.size() - at);
        crc = Crc32Update(crc, data.data() + at, size);
        at += size;
    }
    EXPECT_EQ(crc, ZlibCrc(data, 0, data.size()));
}

}  // namespace
}  // namespace shelfmark
