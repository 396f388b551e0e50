// The tag reader on arbitrary files, with and without UTF-16/UTF-8 frames: it must not read out
// of bounds, and whatever it gives back is valid UTF-8 with a track number in range.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "foundation/Utf8Text.h"
#include "reading/tags/Id3Reader.h"

namespace {

void Check(const std::optional<shelfmark::TagRecord>& record) {
    if (!record)
        return;
    for (const std::string* text :
         {&record->title, &record->artist, &record->album, &record->comment})
        if (!shelfmark::text::IsValidUtf8(*text))
            std::abort();
    if (record->trackNumber < 0 || record->trackNumber > 255)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    Check(shelfmark::ReadTagsFromMemory(file, shelfmark::TagReadOptions{false}));
    Check(shelfmark::ReadTagsFromMemory(file, shelfmark::TagReadOptions{true}));
    return 0;
}
