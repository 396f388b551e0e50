#include <algorithm>

#include "reading/imaging/Imaging.h"

namespace shelfmark {

namespace {

// The source range [first, last) that target position `t` of `target` covers in `source`.
std::pair<uint32_t, uint32_t> Covered(uint32_t t, uint32_t target, uint32_t source) {
    const auto first = static_cast<uint32_t>(uint64_t(t) * source / target);
    auto last = static_cast<uint32_t>(uint64_t(t + 1) * source / target);
    return {first, std::max(last, first + 1)};
}

}  // namespace

Bitmap ScaleToFit(const Bitmap& bitmap, uint32_t edge, bool keepProportions) {
    if (bitmap.empty() || edge == 0 || (bitmap.width <= edge && bitmap.height <= edge))
        return bitmap;
    uint32_t width = edge, height = edge;
    if (keepProportions) {
        if (bitmap.width >= bitmap.height)
            height = static_cast<uint32_t>((uint64_t(bitmap.height) * edge + bitmap.width / 2) /
                                           bitmap.width);
        else
            width = static_cast<uint32_t>((uint64_t(bitmap.width) * edge + bitmap.height / 2) /
                                          bitmap.height);
        width = std::max(width, 1u);
        height = std::max(height, 1u);
    }

    Bitmap scaled;
    scaled.width = width;
    scaled.height = height;
    scaled.pixels.resize(size_t(width) * height);
    for (uint32_t ty = 0; ty < height; ++ty) {
        const auto [y0, y1] = Covered(ty, height, bitmap.height);
        for (uint32_t tx = 0; tx < width; ++tx) {
            const auto [x0, x1] = Covered(tx, width, bitmap.width);
            uint64_t sum[4] = {0, 0, 0, 0};
            for (uint32_t y = y0; y < y1; ++y) {
                const uint32_t* row = &bitmap.pixels[size_t(y) * bitmap.width];
                for (uint32_t x = x0; x < x1; ++x)
                    for (int c = 0; c < 4; ++c)
                        sum[c] += (row[x] >> (8 * c)) & 0xFF;
            }
            const uint64_t count = uint64_t(y1 - y0) * (x1 - x0);
            uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c)
                pixel |= static_cast<uint32_t>((sum[c] + count / 2) / count) << (8 * c);
            scaled.pixels[size_t(ty) * width + tx] = pixel;
        }
    }
    return scaled;
}

std::optional<std::vector<uint8_t>> MakeThumbnail(const Bitmap& bitmap,
                                                  const ThumbnailOptions& options) {
    if (!ImagingAvailable() || bitmap.empty())
        return std::nullopt;
    return EncodeJpeg(ScaleToFit(bitmap, options.ThumbnailSize, options.bProportionalThumbnails));
}

}  // namespace shelfmark
