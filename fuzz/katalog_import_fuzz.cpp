// Katalog .idx catalogs: any bytes read or fail cleanly.
#include "exchange/KatalogFormat.h"
#include "fuzz/exchange_common_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    fuzz::ReadAndCheck([&](ForeignTreeBuilder& builder, ForeignReadError& error) {
        return ReadKatalogIndex(fuzz::Text(data, size), "fuzz.idx", builder, error);
    });
    return 0;
}
