// The decoders of hvsm_images.so: each takes a whole file in memory and gives the picture's
// facts and, when it can, its pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "reading/imaging/Bitmap.h"

namespace shelfmark::images {

struct DecodedImage {
    uint32_t width = 0;  // of the picture as stored
    uint32_t height = 0;
    int bitDepth = 0;              // bits per pixel as stored
    std::optional<Bitmap> bitmap;  // possibly shrunk, never below minEdge on either side
};

// Pictures with more pixels than this are described but not decoded.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 27;

// `minEdge`: the thumbnail edge the caller will scale to (0: full size wanted). `wantPixels`:
// false when only the facts are needed.
std::optional<DecodedImage> DecodeJpegFile(std::span<const uint8_t> file, uint32_t minEdge,
                                           bool wantPixels);
std::optional<DecodedImage> DecodePngFile(std::span<const uint8_t> file, bool wantPixels);
std::optional<DecodedImage> DecodeGifFile(std::span<const uint8_t> file, bool wantPixels);
std::optional<DecodedImage> DecodeWebpFile(std::span<const uint8_t> file, bool wantPixels);
std::optional<DecodedImage> DecodeBmpFile(std::span<const uint8_t> file, bool wantPixels);

}  // namespace shelfmark::images
