// Fuzzes the self-extractor probe and the walker of whatever kind it finds, from that offset.
#include "fuzz/archive_common_fuzz.h"
#include "reading/archive/ArchiveReaders.h"
#include "reading/archive/ArchiveWalkers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return shelfmark::fuzz::RunWalker(
        data, size, "exe", [](const std::string& path, const auto& sink) {
            const auto found = shelfmark::SfxProbe(path, 0xFF);
            if (found)
                shelfmark::archive::WalkArchive(found->first, path, found->second, sink);
        });
}
