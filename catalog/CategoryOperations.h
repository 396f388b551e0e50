// Item categories: the selected items get up to four category identifiers (attribute
// Categories, lowest byte first, ended by the first zero); none removes the attribute.
#pragma once

#include <optional>
#include <span>

#include "catalog/Definitions.h"
#include "catalog/EditSupport.h"

namespace shelfmark {

class Prompter;

// The item-categories dialog's OK: the ticked identifiers in the order given. More than four
// do not fit the attribute: "Not more than four categories can be assigned to an item." is
// shown and nothing is returned (the dialog stays open).
std::optional<CategoryIds> ChosenCategoryIds(std::span<const uint8_t> ticked, Prompter& prompter);

// One attribute-change step labelled "Item Categories" with copies of the items.
EditStatus SetItemCategories(CatalogDocument& document, std::span<CatalogItem* const> items,
                             const CategoryIds& ids);

}  // namespace shelfmark
