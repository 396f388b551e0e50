// Any bytes as a PE image (headers, resource directory, version block) and, separately, as a
// bare VS_VERSIONINFO block, so the block parser is reached without a valid PE around it.
#include <cstddef>
#include <cstdint>
#include <span>

#include "reading/details/VersionDescription.h"
#include "reading/details/VersionResource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    shelfmark::VersionDescriptionFromBytes(bytes);
    if (const auto info = shelfmark::ParseVersionInfo(bytes))
        info->findString("040904B0", "FileDescription");
    return 0;
}
