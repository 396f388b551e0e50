// JPEG coding with libjpeg(-turbo). libjpeg reports fatal errors through a callback that must
// not return; it jumps back to the setjmp point of the call, past libjpeg's own C frames only.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <atomic>

#include "reading/imaging/Imaging.h"

#ifdef SHELFMARK_HAVE_JPEG
#include <jpeglib.h>
#endif

namespace shelfmark {

namespace {
std::atomic<bool> gStarted{false};
}

#ifdef SHELFMARK_HAVE_JPEG

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

void InstallErrorManager(ErrorManager& manager) {
    jpeg_std_error(&manager.base);
    manager.base.error_exit = JumpOnError;
    manager.base.emit_message = IgnoreMessage;  // warnings of damaged data: decode what is there
}

uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) {
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Decodes into `bitmap`; false after a fatal libjpeg error. Kept free of objects with
// destructors between setjmp and the jump.
bool DecodeInto(std::span<const uint8_t> bytes, uint32_t minEdge, Bitmap& bitmap, JpegFacts& facts,
                std::vector<uint8_t>& row) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    InstallErrorManager(errors);
    info.err = &errors.base;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    facts.width = info.image_width;
    facts.height = info.image_height;
    facts.bitDepth = 8 * info.num_components;

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = 1;
    if (minEdge > 0) {
        for (unsigned denom : {8u, 4u, 2u}) {
            if ((info.image_width + denom - 1) / denom >= minEdge &&
                (info.image_height + denom - 1) / denom >= minEdge) {
                info.scale_denom = denom;
                break;
            }
        }
    }
    jpeg_start_decompress(&info);
    const uint32_t width = info.output_width;
    const uint32_t height = info.output_height;
    const int components = info.output_components;
    // Images whose pixel count could not be held are refused rather than half-allocated.
    if (width == 0 || height == 0 || uint64_t(width) * height > (uint64_t(1) << 28)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.assign(size_t(width) * height, 0xFFFFFFFFu);
    row.resize(size_t(width) * components);
    while (info.output_scanline < height) {
        JSAMPROW rows[1] = {row.data()};
        const uint32_t y = info.output_scanline;
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            break;
        uint32_t* out = &bitmap.pixels[size_t(y) * width];
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = &row[size_t(x) * components];
            if (cmyk) {
                // Adobe writes CMYK inverted: the stored values are 255 - ink.
                out[x] = Pack(p[0] * p[3] / 255, p[1] * p[3] / 255, p[2] * p[3] / 255);
            } else {
                out[x] = Pack(p[0], p[1], p[2]);
            }
        }
    }
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool EncodeInto(const Bitmap& bitmap, int quality, std::vector<uint8_t>& rgb,
                unsigned char*& buffer, unsigned long& size) {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    InstallErrorManager(errors);
    info.err = &errors.base;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = bitmap.width;
    info.image_height = bitmap.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    rgb.resize(size_t(bitmap.width) * 3);
    for (uint32_t y = 0; y < bitmap.height; ++y) {
        for (uint32_t x = 0; x < bitmap.width; ++x) {
            const uint32_t pixel = bitmap.at(x, y);
            const uint32_t alpha = pixel >> 24;
            for (int c = 0; c < 3; ++c) {
                const uint32_t value = (pixel >> (16 - 8 * c)) & 0xFF;
                rgb[size_t(x) * 3 + c] =
                    static_cast<uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
            }
        }
        JSAMPROW rows[1] = {rgb.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

bool StartImaging() {
    gStarted = true;
    return true;
}

std::optional<Bitmap> DecodeJpeg(std::span<const uint8_t> bytes, uint32_t minEdge,
                                 JpegFacts* facts) {
    if (bytes.size() < 4)
        return std::nullopt;
    Bitmap bitmap;
    JpegFacts seen;
    std::vector<uint8_t> row;
    if (!DecodeInto(bytes, minEdge, bitmap, seen, row))
        return std::nullopt;
    if (facts)
        *facts = seen;
    return bitmap;
}

std::optional<std::vector<uint8_t>> EncodeJpeg(const Bitmap& bitmap, int quality) {
    if (bitmap.empty() || bitmap.pixels.size() != size_t(bitmap.width) * bitmap.height ||
        bitmap.width > 65500 || bitmap.height > 65500)
        return std::nullopt;
    std::vector<uint8_t> rgb;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool encoded = EncodeInto(bitmap, quality, rgb, buffer, size);
    std::optional<std::vector<uint8_t>> result;
    if (encoded && buffer)
        result.emplace(buffer, buffer + size);
    std::free(buffer);  // jpeg_mem_dest allocates with malloc
    return result;
}

#else  // built without libjpeg: no thumbnails

bool StartImaging() {
    return false;
}

std::optional<Bitmap> DecodeJpeg(std::span<const uint8_t>, uint32_t, JpegFacts*) {
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> EncodeJpeg(const Bitmap&, int) {
    return std::nullopt;
}

#endif

void StopImaging() {
    gStarted = false;
}

bool ImagingAvailable() {
    return gStarted;
}

}  // namespace shelfmark
