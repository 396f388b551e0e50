// Mount table lines as the kernel (or a hostile FUSE mount's name) could shape them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/volumes/MountTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const shelfmark::MountEntry& entry : shelfmark::ParseMountInfo(text))
        (void)shelfmark::UnescapeMountField(entry.mountPoint);
    return 0;
}
