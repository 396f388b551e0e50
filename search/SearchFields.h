// The names a search offers for categories and extra-information conditions: the catalog's
// category definitions, the built-in fields and the catalog's user-defined fields, as the
// catalog's definition blocks give them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {
class CatalogItem;
}

namespace shelfmark::search {

struct NamedKey {
    std::string name;
    uint8_t key = 0;  // a category identifier, or an attribute key
};

// The categories the root's definition block names, in display order.
std::vector<NamedKey> NamedCategories(const CatalogItem& root);
// The fields a condition can test, in the order a search offers them: the built-in numeric and
// text fields, then the root's user-defined fields.
std::vector<NamedKey> ConditionFields(const CatalogItem& root);

// The entry whose name equals `name` case-insensitively, or whose number (decimal, or 0x-hex
// for keys) is `name`.
std::optional<uint8_t> FindNamedKey(const std::vector<NamedKey>& keys, std::string_view name);

}  // namespace shelfmark::search
