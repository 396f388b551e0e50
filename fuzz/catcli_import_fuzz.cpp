// catcli and gocatcli JSON catalogs: any bytes read or fail cleanly with either reader.
#include "exchange/CatcliFormat.h"
#include "fuzz/exchange_common_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    JsonDocument document;
    ForeignReadError parseError;
    if (!document.parse(fuzz::Text(data, size), parseError))
        return 0;
    fuzz::ReadAndCheck([&](ForeignTreeBuilder& builder, ForeignReadError& error) {
        return ReadCatcliCatalog(document, builder, error);
    });
    fuzz::ReadAndCheck([&](ForeignTreeBuilder& builder, ForeignReadError& error) {
        return ReadGocatcliCatalog(document, builder, error);
    });
    return 0;
}
