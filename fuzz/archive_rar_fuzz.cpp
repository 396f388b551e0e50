// Fuzzes the RAR header walker with arbitrary file contents.
#include "fuzz/archive_common_fuzz.h"
#include "reading/archive/ArchiveWalkers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return shelfmark::fuzz::RunWalker(data, size, "rar",
                                      [](const std::string& path, const auto& sink) {
                                          shelfmark::archive::WalkRar(path, 0, sink);
                                      });
}
