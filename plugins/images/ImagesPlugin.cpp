// hvsm_images.so: describes picture files with their width, height and bit depth and hands
// back the picture as the thumbnail's source.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "plugins/images/ImageDecoders.h"
#include "plugins/include/shelfmark_plugin.h"

namespace shelfmark::images {

namespace {

constexpr const char* kExtensions = ".jpg.jpeg.png.gif.bmp.webp";
enum Extension : uint16_t { kJpg, kJpeg, kPng, kGif, kBmp, kWebp, kExtensionCount };

constexpr uint8_t kWidthKey = 0x4B;
constexpr uint8_t kHeightKey = 0x4C;
constexpr uint8_t kBitDepthKey = 0x4D;

// Files above this are not read (no picture file of interest is that large).
constexpr off_t kMaxFileSize = off_t(512) << 20;

std::optional<std::vector<uint8_t>> ReadWholeFile(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::vector<uint8_t>> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxFileSize) {
        bytes.emplace(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<size_t>(got);
        }
        bytes->resize(done);
    }
    ::close(fd);
    return bytes;
}

// The image handed to the host, with the pixels it points at. The host gives it back through
// `release`, which is why it is allocated and freed here across the C interface.
struct OwnedImage {
    ProviderImage image{};  // first member: the host's pointer is this object's address
    std::vector<uint32_t> pixels;
};
static_assert(std::is_standard_layout_v<OwnedImage>);

void ReleaseImage(ProviderImage* image) {
    std::unique_ptr<OwnedImage> owned(reinterpret_cast<OwnedImage*>(image));
}

ProviderImage* HandOver(Bitmap bitmap) {
    auto owned = std::make_unique<OwnedImage>();
    owned->pixels = std::move(bitmap.pixels);
    owned->image.width = bitmap.width;
    owned->image.height = bitmap.height;
    owned->image.stride = bitmap.width * 4;
    owned->image.pixels = owned->pixels.data();
    owned->image.release = ReleaseImage;
    return &owned.release()->image;
}

std::optional<DecodedImage> Decode(uint16_t extension, std::span<const uint8_t> file,
                                   uint32_t edge) {
    const bool wantPixels = edge > 0;
    switch (extension) {
        case kJpg:
        case kJpeg:
            return DecodeJpegFile(file, edge, wantPixels);
        case kPng:
            return DecodePngFile(file, wantPixels);
        case kGif:
            return DecodeGifFile(file, wantPixels);
        case kBmp:
            return DecodeBmpFile(file, wantPixels);
        case kWebp:
            return DecodeWebpFile(file, wantPixels);
        default:
            return std::nullopt;
    }
}

int Describe(ProviderRequest& request) {
    auto& describe = request.u.describe;
    if (request.extensionIndex >= kExtensionCount || !describe.path)
        return 0;
    const auto file = ReadWholeFile(describe.path);
    if (!file)
        return 0;
    std::optional<DecodedImage> image =
        Decode(request.extensionIndex, *file, describe.thumbnailEdge);
    if (!image)
        return 0;
    ShelfmarkAddNumberResult(&request, kWidthKey, image->width);
    ShelfmarkAddNumberResult(&request, kHeightKey, image->height);
    ShelfmarkAddNumberResult(&request, kBitDepthKey, static_cast<uint32_t>(image->bitDepth));
    if (image->bitmap && !image->bitmap->empty())
        describe.bitmap = HandOver(std::move(*image->bitmap));
    return 1;
}

}  // namespace

}  // namespace shelfmark::images

extern "C" SHELFMARK_PLUGIN_EXPORT int HVSMPluginCommand(ProviderRequest* request) {
    using namespace shelfmark::images;
    if (!request)
        return 0;
    switch (request->command) {
        case SHELFMARK_COMMAND_QUERY:
            if (!request->u.query.buffer || request->u.query.bufferSize <= std::strlen(kExtensions))
                return 0;
            std::memcpy(request->u.query.buffer, kExtensions, std::strlen(kExtensions) + 1);
            return 1;
        case SHELFMARK_COMMAND_CAPABILITIES:
            if (request->extensionIndex >= kExtensionCount)
                return 0;
            request->u.capabilities.flags |= SHELFMARK_CAN_THUMBNAIL;
            return 1;
        case SHELFMARK_COMMAND_DESCRIBE:
            return Describe(*request);
        default:
            return 0;  // nothing to configure, no about box
    }
}
