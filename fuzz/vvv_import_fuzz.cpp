// Virtual Volumes View CSV exports: any bytes read or fail cleanly.
#include "exchange/VvvFormat.h"
#include "fuzz/exchange_common_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    fuzz::ReadAndCheck([&](ForeignTreeBuilder& builder, ForeignReadError& error) {
        return ReadVvvExport(fuzz::Text(data, size), builder, error);
    });
    return 0;
}
