// The thumbnail support: JPEG coding of bitmaps and scaling them to the thumbnail edge. Started
// once at program start; when it is not available (built without libjpeg, or never started),
// reads go on without thumbnails.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "reading/imaging/Bitmap.h"

namespace shelfmark {

// True when thumbnails can be made from now on.
bool StartImaging();
void StopImaging();
bool ImagingAvailable();

// What the header of a JPEG image says.
struct JpegFacts {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;  // bits per pixel: 8 per colour component
};

// Decodes a JPEG image from memory. A nonzero `minEdge` lets the decoder shrink the image by a
// power of two (1/2, 1/4, 1/8) as long as both sides stay at least that long, which is much
// faster for thumbnails. Nothing for data that is no JPEG image or is damaged beyond use.
std::optional<Bitmap> DecodeJpeg(std::span<const uint8_t> bytes, uint32_t minEdge = 0,
                                 JpegFacts* facts = nullptr);

// Encodes a bitmap as a baseline JPEG ("image/jpeg"); transparent pixels are laid over white.
std::optional<std::vector<uint8_t>> EncodeJpeg(const Bitmap& bitmap, int quality = 85);

// Scales the bitmap to fit a square of `edge` pixels when it is wider or taller than that:
// keeping the aspect ratio when asked (each side at least 1 pixel), else to edge x edge.
// Smaller bitmaps come back unchanged. Each target pixel averages the source pixels it covers.
Bitmap ScaleToFit(const Bitmap& bitmap, uint32_t edge, bool keepProportions);

// The thumbnail bytes stored under key 0xC5 for a bitmap: scaled by the options, then encoded.
std::optional<std::vector<uint8_t>> MakeThumbnail(const Bitmap& bitmap,
                                                  const ThumbnailOptions& options);

}  // namespace shelfmark
