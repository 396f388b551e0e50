#include "search/SearchFields.h"

#include <charconv>

#include "catalog/CatalogItem.h"
#include "catalog/Definitions.h"
#include "foundation/Utf8Text.h"
#include "search/SearchCriteria.h"

namespace shelfmark::search {

std::vector<NamedKey> NamedCategories(const CatalogItem& root) {
    std::vector<NamedKey> out;
    for (CategoryEntry& entry : CategoryDefinitionsOf(root).entries)
        if (entry.id != 0)
            out.push_back({std::move(entry.name), entry.id});
    return out;
}

std::vector<NamedKey> ConditionFields(const CatalogItem& root) {
    // Only numeric and text keys can be tested; the built-in list also names the thumbnail.
    auto searchable = [](uint8_t key) { return IsNumericConditionKey(key) || IsTextConditionKey(key); };
    std::vector<NamedKey> out;
    for (const BuiltinExtraField& field : BuiltinExtraFields())
        if (searchable(field.key))
            out.push_back({std::string(field.name), field.key});
    for (ExtraDefinition& definition : ExtraDefinitionsOf(root))
        if (searchable(definition.key))
            out.push_back({std::move(definition.name), definition.key});
    return out;
}

std::optional<uint8_t> FindNamedKey(const std::vector<NamedKey>& keys, std::string_view name) {
    for (const NamedKey& entry : keys)
        if (text::EqualsNoCase(entry.name, name))
            return entry.key;
    const bool hex = name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X');
    const std::string_view digits = hex ? name.substr(2) : name;
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        value == 0 || value > 255)
        return std::nullopt;
    return uint8_t(value);
}

}  // namespace shelfmark::search
