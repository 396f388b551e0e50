#include "reading/providers/ProviderResults.h"

#include <algorithm>
#include <cstring>

namespace shelfmark {

namespace {
constexpr uint32_t kMaxImageSide = 32768;
}

ResultBuffers::ResultBuffers(uint32_t textSizeMax)
    : maxTextLength_(std::max<uint32_t>(textSizeMax, 1) * 1024),
      entries_(kResultCapacity),
      texts_(kResultCapacity, std::vector<char>(maxTextLength_ + 1, '\0')) {}

void ResultBuffers::prepare(ProviderRequest& request) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        entries_[i] = ResultEntry{};
        entries_[i].text = texts_[i].data();
        texts_[i][0] = '\0';
    }
    request.u.describe.maxTextLength = maxTextLength_;
    request.u.describe.results = entries_.data();
    request.u.describe.capacity = static_cast<uint32_t>(entries_.size());
    request.u.describe.count = 0;
}

std::vector<ProviderResult> ResultBuffers::collect(const ProviderRequest& request) const {
    std::vector<ProviderResult> results;
    const size_t count = std::min<size_t>(request.u.describe.count, entries_.size());
    for (size_t i = 0; i < count; ++i) {
        const ResultEntry& entry = entries_[i];
        const uint8_t kind = entry.key & 0xC0;
        if (kind == 0x40) {
            results.push_back({entry.key, entry.value, {}});
        } else if (kind == 0x80) {
            if (entry.text != texts_[i].data() || entry.textLength > maxTextLength_)
                continue;
            results.push_back({entry.key, 0, std::string(entry.text, entry.textLength)});
        }
    }
    return results;
}

std::optional<Bitmap> TakeProviderImage(ProviderImage* image) {
    if (!image)
        return std::nullopt;
    std::optional<Bitmap> bitmap;
    const bool usable = image->pixels && image->width > 0 && image->height > 0 &&
                        image->width <= kMaxImageSide && image->height <= kMaxImageSide &&
                        image->stride % 4 == 0 && image->stride / 4 >= image->width;
    if (usable) {
        bitmap.emplace();
        bitmap->width = image->width;
        bitmap->height = image->height;
        bitmap->pixels.resize(size_t(image->width) * image->height);
        const size_t rowPixels = image->stride / 4;
        for (uint32_t y = 0; y < image->height; ++y)
            std::memcpy(&bitmap->pixels[size_t(y) * image->width], image->pixels + y * rowPixels,
                        size_t(image->width) * 4);
    }
    if (image->release)
        image->release(image);
    return bitmap;
}

}  // namespace shelfmark
