// Feeds arbitrary drive answers to the CD-Text parser and checks what it keeps: no more than a
// CD's tracks, and only valid UTF-8.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "foundation/Utf8Text.h"
#include "reading/audio/DiscInformation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    shelfmark::DiscInformation information;
    const bool found = shelfmark::ParseCdText(std::span(data, size), information);
    if (!found && (!information.titles.empty() || !information.artists.empty()))
        std::abort();
    for (const auto* texts : {&information.titles, &information.artists}) {
        if (texts->size() > 100)
            std::abort();
        for (const std::string& text : *texts)
            if (!shelfmark::text::IsValidUtf8(text))
                std::abort();
    }
    return 0;
}
