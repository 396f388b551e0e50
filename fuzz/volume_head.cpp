// The first bytes of a device, as a medium inserted by anyone could carry them. The first input
// byte chooses where the rest lands (offset 0, the ISO descriptor, the btrfs superblock), so
// small seeds reach every probe.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/volumes/VolumeIdentity.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const size_t kPlaces[] = {0, 1024, shelfmark::kIsoDescriptorOffset, 64 * 1024};
    const size_t place = kPlaces[data[0] % 4];
    const size_t length = data[0] & 0x80 ? shelfmark::kVolumeHeadSize : place + size - 1;
    std::vector<unsigned char> head(std::min(length, shelfmark::kVolumeHeadSize), 0);
    const size_t copy = place < head.size() ? std::min(size - 1, head.size() - place) : 0;
    if (copy > 0)
        std::memcpy(head.data() + place, data + 1, copy);
    if (auto id = shelfmark::ProbeVolumeHead(head))
        (void)shelfmark::SerialFromUuid(id->uuid);
    (void)shelfmark::UnescapeUdevName(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
