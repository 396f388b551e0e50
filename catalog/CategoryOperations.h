// Item categories: the selected items get up to four category identifiers (attribute
// Categories, lowest byte first, ended by the first zero); none removes the attribute.
#pragma once

#include <span>

#include "catalog/Definitions.h"
#include "catalog/EditSupport.h"

namespace shelfmark {

// One attribute-change step labelled "Item Categories" with copies of the items.
EditStatus SetItemCategories(CatalogDocument& document, std::span<CatalogItem* const> items,
                             const CategoryIds& ids);

}  // namespace shelfmark
