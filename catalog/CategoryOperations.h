// Item categories: the selected items get up to four category identifiers (attribute
// Categories, lowest byte first, ended by the first zero); none removes the attribute.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "catalog/EditSupport.h"

namespace shelfmark {

using CategoryIds = std::array<uint8_t, 4>;

// The attribute value of a set of identifiers: the non-zero ones packed from the lowest byte.
uint32_t PackCategoryIds(const CategoryIds& ids);

// One attribute-change step labelled "Item Categories" with copies of the items.
EditStatus SetItemCategories(CatalogDocument& document, std::span<CatalogItem* const> items,
                             const CategoryIds& ids);

}  // namespace shelfmark
