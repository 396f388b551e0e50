// Arbitrary bodies as version records: a version is found only after the marker and never runs
// past the 32 bytes read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/update/UpdateCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> version = VersionOfRecord(body);
    if (version.has_value() != body.starts_with("HVSMVersion"))
        __builtin_trap();
    if (version) {
        if (version->size() > kVersionRecordLimit - 12)  // marker and separator come first
            __builtin_trap();
        (void)CompareWithOwnVersion(*version);
    }
    return 0;
}
