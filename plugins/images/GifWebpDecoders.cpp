#include <gif_lib.h>
#include <webp/decode.h>

#include <cstring>
#include <memory>

#include "plugins/images/ImageDecoders.h"

namespace shelfmark::images {

namespace {

struct MemoryReader {
    std::span<const uint8_t> bytes;
    size_t offset = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t available = reader->bytes.size() - reader->offset;
    const size_t taken = std::min<size_t>(available, static_cast<size_t>(std::max(count, 0)));
    std::memcpy(out, reader->bytes.data() + reader->offset, taken);
    reader->offset += taken;
    return static_cast<int>(taken);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// The first frame laid on a transparent canvas of the logical screen's size.
std::optional<Bitmap> FirstFrame(GifFileType* gif) {
    if (gif->ImageCount < 1)
        return std::nullopt;
    const SavedImage& frame = gif->SavedImages[0];
    const ColorMapObject* colours =
        frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    if (!colours || !frame.RasterBits)
        return std::nullopt;
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, 0, &control);

    Bitmap bitmap;
    bitmap.width = static_cast<uint32_t>(gif->SWidth);
    bitmap.height = static_cast<uint32_t>(gif->SHeight);
    bitmap.pixels.assign(size_t(bitmap.width) * bitmap.height, 0);
    const GifImageDesc& desc = frame.ImageDesc;
    for (int y = 0; y < desc.Height; ++y) {
        const int canvasY = desc.Top + y;
        if (canvasY < 0 || canvasY >= gif->SHeight)
            continue;
        for (int x = 0; x < desc.Width; ++x) {
            const int canvasX = desc.Left + x;
            if (canvasX < 0 || canvasX >= gif->SWidth)
                continue;
            const int index = frame.RasterBits[size_t(y) * desc.Width + x];
            if (index == control.TransparentColor || index >= colours->ColorCount)
                continue;
            const GifColorType& c = colours->Colors[index];
            bitmap.pixels[size_t(canvasY) * bitmap.width + canvasX] =
                0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
        }
    }
    return bitmap;
}

}  // namespace

std::optional<DecodedImage> DecodeGifFile(std::span<const uint8_t> file, bool wantPixels) {
    if (file.size() < 13 || std::memcmp(file.data(), "GIF", 3) != 0)
        return std::nullopt;
    DecodedImage image;
    image.width = file[6] | (file[7] << 8);
    image.height = file[8] | (file[9] << 8);
    // The colour table's size gives the bits per pixel; without one, the colour resolution.
    image.bitDepth = (file[10] & 0x80) ? (file[10] & 0x07) + 1 : ((file[10] >> 4) & 0x07) + 1;
    if (image.width == 0 || image.height == 0)
        return std::nullopt;
    if (!wantPixels || uint64_t(image.width) * image.height > kMaxPixels)
        return image;

    MemoryReader reader{file, 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &error));
    if (!gif || DGifSlurp(gif.get()) != GIF_OK)
        return image;  // a damaged GIF still has its header facts
    image.bitmap = FirstFrame(gif.get());
    return image;
}

std::optional<DecodedImage> DecodeWebpFile(std::span<const uint8_t> file, bool wantPixels) {
    WebPBitstreamFeatures features{};
    if (WebPGetFeatures(file.data(), file.size(), &features) != VP8_STATUS_OK)
        return std::nullopt;
    DecodedImage image;
    image.width = static_cast<uint32_t>(features.width);
    image.height = static_cast<uint32_t>(features.height);
    image.bitDepth = features.has_alpha ? 32 : 24;
    if (!wantPixels || uint64_t(image.width) * image.height > kMaxPixels)
        return image;
    int width = 0, height = 0;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint8_t* pixels = WebPDecodeBGRA(file.data(), file.size(), &width, &height);
#else
    uint8_t* pixels = WebPDecodeARGB(file.data(), file.size(), &width, &height);
#endif
    if (!pixels)
        return image;
    Bitmap bitmap;
    bitmap.width = static_cast<uint32_t>(width);
    bitmap.height = static_cast<uint32_t>(height);
    bitmap.pixels.resize(size_t(width) * height);
    std::memcpy(bitmap.pixels.data(), pixels, bitmap.pixels.size() * 4);
    WebPFree(pixels);
    image.bitmap = std::move(bitmap);
    return image;
}

}  // namespace shelfmark::images
