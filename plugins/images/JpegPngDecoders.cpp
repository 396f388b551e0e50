#include <png.h>

#include <cstring>

#include "plugins/images/ImageDecoders.h"
#include "reading/imaging/Imaging.h"

namespace shelfmark::images {

namespace {
uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
}  // namespace

std::optional<DecodedImage> DecodeJpegFile(std::span<const uint8_t> file, uint32_t minEdge,
                                           bool wantPixels) {
    JpegFacts facts;
    std::optional<Bitmap> bitmap = DecodeJpeg(file, wantPixels ? minEdge : 1, &facts);
    if (!bitmap)
        return std::nullopt;
    DecodedImage image{facts.width, facts.height, facts.bitDepth, std::nullopt};
    if (wantPixels)
        image.bitmap = std::move(bitmap);
    return image;
}

std::optional<DecodedImage> DecodePngFile(std::span<const uint8_t> file, bool wantPixels) {
    // The header chunk comes first: signature (8), length (4), "IHDR" (4), then the fields.
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 33 || std::memcmp(file.data(), kSignature, 8) != 0 ||
        std::memcmp(file.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    DecodedImage image;
    image.width = Be32(&file[16]);
    image.height = Be32(&file[20]);
    const int bitsPerSample = file[24];
    const int colourType = file[25];
    const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    image.bitDepth = bitsPerSample * channels;
    if (image.width == 0 || image.height == 0)
        return std::nullopt;
    if (!wantPixels || uint64_t(image.width) * image.height > kMaxPixels)
        return image;

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, file.data(), file.size()))
        return image;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    png.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB in memory order
#else
    png.format = PNG_FORMAT_ARGB;
#endif
    Bitmap bitmap;
    bitmap.width = png.width;
    bitmap.height = png.height;
    bitmap.pixels.resize(size_t(png.width) * png.height);
    if (png_image_finish_read(&png, nullptr, bitmap.pixels.data(), 0, nullptr))
        image.bitmap = std::move(bitmap);
    png_image_free(&png);
    return image;
}

}  // namespace shelfmark::images
