// The strict TOML reader: any bytes parse or fail with a position inside the text, and what
// parses is a table whose values all point into the text; the gocatcli reader takes the tree.
#include "exchange/CatcliFormat.h"
#include "exchange/TomlReader.h"
#include "fuzz/exchange_common_fuzz.h"

namespace {

void CheckTree(const shelfmark::json::Value& value, size_t size, int depth) {
    using shelfmark::fuzz::Check;
    Check(value.offset() <= size);
    Check(depth <= shelfmark::toml::kMaxTomlDepth + 1);
    if (value.isNumber()) {
        (void)value.asInt64();
        (void)value.asSeconds();
    }
    if (value.isString())
        Check(shelfmark::text::IsValidUtf8(value.text()));
    for (const shelfmark::json::Value& item : value.items())
        CheckTree(item, size, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    const std::string_view text = fuzz::Text(data, size);
    (void)toml::LooksLikeToml(text);
    json::ParseError error;
    const std::optional<json::Value> value = toml::ParseToml(text, error);
    if (!value) {
        fuzz::Check(error.offset <= text.size() && !error.message.empty());
        fuzz::Check(error.line >= 1 && error.column >= 1);
        return 0;
    }
    fuzz::Check(value->isObject());
    CheckTree(*value, size, 0);
    JsonDocument document;
    ForeignReadError parseError;
    fuzz::Check(document.parseToml(text, parseError));
    fuzz::ReadAndCheck([&](ForeignTreeBuilder& builder, ForeignReadError& readError) {
        return ReadGocatcliCatalog(document, builder, readError);
    });
    return 0;
}
