// A decoded image in memory: 32-bit pixels 0xAARRGGBB, rows from the top, no padding.
#pragma once

#include <cstdint>
#include <vector>

namespace shelfmark {

struct Bitmap {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;  // width * height

    bool empty() const { return width == 0 || height == 0; }
    uint32_t at(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

// How thumbnails are made (program settings ThumbnailSize and bProportionalThumbnails).
struct ThumbnailOptions {
    uint32_t ThumbnailSize = 64;          // edge of the square a thumbnail must fit, in pixels
    bool bProportionalThumbnails = true;  // keep the aspect ratio
};

}  // namespace shelfmark
