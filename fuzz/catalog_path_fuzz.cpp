// Catalog paths typed by people: any text splits without harm, and names written back with
// their escapes split into the same names.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogPath.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> names = shelfmark::SplitCatalogPath(path);
    std::string again;
    for (const std::string& name : names) {
        Check(!name.empty());
        if (!again.empty())
            again += '/';
        again += shelfmark::EscapeCatalogPathName(name);
    }
    Check(shelfmark::SplitCatalogPath(again) == names);
    return 0;
}
