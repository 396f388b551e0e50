// Windows bitmaps, decoded by hand: uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, with
// colour masks (BI_BITFIELDS) for 16 and 32 bits; run-length compressed files give their facts.
#include <bit>
#include <cstring>

#include "plugins/images/ImageDecoders.h"

namespace shelfmark::images {

namespace {

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
    return Le16(p) | (uint32_t(Le16(p + 2)) << 16);
}

// The 8-bit value of a masked channel.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t maximum = mask >> shift;
    return static_cast<uint32_t>(uint64_t((pixel & mask) >> shift) * 255 / maximum);
}

struct Masks {
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

}  // namespace

std::optional<DecodedImage> DecodeBmpFile(std::span<const uint8_t> file, bool wantPixels) {
    if (file.size() < 26 || file[0] != 'B' || file[1] != 'M')
        return std::nullopt;
    const uint32_t dataOffset = Le32(&file[10]);
    const uint32_t headerSize = Le32(&file[14]);
    const bool core = headerSize == 12;  // the OS/2 header: 16-bit sides, 3-byte palette entries
    if (!core && (headerSize < 40 || file.size() < 14 + size_t(headerSize)))
        return std::nullopt;
    const int32_t width = core ? Le16(&file[18]) : static_cast<int32_t>(Le32(&file[18]));
    const int32_t rawHeight = core ? Le16(&file[20]) : static_cast<int32_t>(Le32(&file[22]));
    const int bits = core ? Le16(&file[24]) : Le16(&file[28]);
    const uint32_t compression = core ? 0 : Le32(&file[30]);
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN)
        return std::nullopt;
    const bool topDown = rawHeight < 0;
    const uint32_t height = static_cast<uint32_t>(topDown ? -int64_t(rawHeight) : rawHeight);

    DecodedImage image{static_cast<uint32_t>(width), height, bits, std::nullopt};
    const bool supported = (compression == 0 && (bits == 1 || bits == 4 || bits == 8 ||
                                                 bits == 16 || bits == 24 || bits == 32)) ||
                           (compression == 3 && (bits == 16 || bits == 32));
    if (!wantPixels || !supported || uint64_t(width) * height > kMaxPixels)
        return image;

    Masks masks;
    if (compression == 3) {
        // The masks follow a 40-byte header, or sit inside a larger one at the same place.
        if (file.size() < 14 + 40 + 12)
            return image;
        masks = {Le32(&file[54]), Le32(&file[58]), Le32(&file[62]),
                 headerSize >= 56 ? Le32(&file[66]) : 0};
    } else if (bits == 16) {
        masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (bits == 32) {
        masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};  // the fourth byte is unused
    }

    // The palette follows the header (and the masks of a 40-byte BI_BITFIELDS header).
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        const size_t entrySize = core ? 3 : 4;
        const size_t paletteStart = 14 + headerSize;
        uint32_t count = core ? 0 : Le32(&file[46]);
        if (count == 0 || count > (1u << bits))
            count = 1u << bits;
        for (uint32_t i = 0; i < count; ++i) {
            const size_t at = paletteStart + i * entrySize;
            if (at + 3 > file.size())
                break;
            palette.push_back(0xFF000000u | (uint32_t(file[at + 2]) << 16) |
                              (uint32_t(file[at + 1]) << 8) | file[at]);
        }
    }

    const size_t rowBytes = ((size_t(width) * bits + 31) / 32) * 4;
    if (dataOffset > file.size() || rowBytes * height > file.size() - dataOffset)
        return image;  // truncated pixel data

    Bitmap bitmap;
    bitmap.width = static_cast<uint32_t>(width);
    bitmap.height = height;
    bitmap.pixels.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = &file[dataOffset + rowBytes * (topDown ? y : height - 1 - y)];
        uint32_t* out = &bitmap.pixels[size_t(y) * width];
        for (int32_t x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            if (bits <= 8) {
                const size_t bit = size_t(x) * bits;
                const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                pixel = index < palette.size() ? palette[index] : 0xFF000000u;
            } else if (bits == 24) {
                const uint8_t* p = &row[size_t(x) * 3];
                pixel = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            } else {
                const uint32_t raw =
                    bits == 16 ? Le16(&row[size_t(x) * 2]) : Le32(&row[size_t(x) * 4]);
                const uint32_t alpha = masks.alpha ? Channel(raw, masks.alpha) : 255;
                pixel = (alpha << 24) | (Channel(raw, masks.red) << 16) |
                        (Channel(raw, masks.green) << 8) | Channel(raw, masks.blue);
            }
            out[x] = pixel;
        }
    }
    image.bitmap = std::move(bitmap);
    return image;
}

}  // namespace shelfmark::images
