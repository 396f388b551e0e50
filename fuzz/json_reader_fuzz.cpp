// The strict JSON reader: any bytes parse or fail with a position inside the text.
#include "exchange/JsonReader.h"
#include "fuzz/exchange_common_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    const std::string_view text = fuzz::Text(data, size);
    json::ParseError error;
    const std::optional<json::Value> value = json::Parse(text, error);
    if (!value) {
        fuzz::Check(error.offset <= text.size() && !error.message.empty());
        fuzz::Check(error.line >= 1 && error.column >= 1);
        return 0;
    }
    fuzz::Check(value->offset() <= text.size());
    if (value->isNumber()) {
        // Whatever the typed forms answer, they answer without harm.
        (void)value->asInt64();
        (void)value->asUint64();
        (void)value->asSeconds();
    }
    return 0;
}
