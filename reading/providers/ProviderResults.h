// The result side of the description-provider interface: the entry array and text buffers the
// caller lends a provider for one file, and the checks that keep a faulty provider from
// corrupting the read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugins/include/shelfmark_plugin.h"
#include "reading/imaging/Bitmap.h"

namespace shelfmark {

inline constexpr uint32_t kResultCapacity = 16;
inline constexpr uint32_t kDefaultTextSizeMax = 16;  // KB

// One accepted result: a number (key 0x40-0x7F) or a text (key 0x80-0xBF).
struct ProviderResult {
    uint8_t key = 0;
    uint32_t value = 0;
    std::string text;

    bool isText() const { return (key & 0xC0) == 0x80; }
    bool operator==(const ProviderResult&) const = default;
};

// The result array and its text buffers, made once per read and reused for every file.
class ResultBuffers {
  public:
    // `textSizeMax` in KB, as the TextSizeMax setting gives it.
    explicit ResultBuffers(uint32_t textSizeMax = kDefaultTextSizeMax);
    ResultBuffers(const ResultBuffers&) = delete;
    ResultBuffers& operator=(const ResultBuffers&) = delete;

    uint32_t maxTextLength() const { return maxTextLength_; }

    // Resets every entry (key 0, value 0, the caller's buffer, length 0) and fills the describe
    // fields of the request that point at them.
    void prepare(ProviderRequest& request);

    // The entries 0 ... count - 1 the provider left, in order, each checked: the count is cut to
    // the capacity, keys outside 0x40-0xBF are dropped, and so is a text that is longer than the
    // maximum or whose pointer is not the buffer lent for it (a null one included). The entry
    // array the caller lent is read, whatever the request's pointer has been changed to.
    std::vector<ProviderResult> collect(const ProviderRequest& request) const;

  private:
    uint32_t maxTextLength_;
    std::vector<ResultEntry> entries_;
    std::vector<std::vector<char>> texts_;
};

// Copies a provider's returned image into a bitmap and gives the image back to its release
// function. Nothing when the image is absent or its fields do not describe a usable picture
// (no pixels, a side of 0 or above 32768 pixels, a stride shorter than a row).
std::optional<Bitmap> TakeProviderImage(ProviderImage* image);

}  // namespace shelfmark
