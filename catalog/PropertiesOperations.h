// The general page of the item properties without its window: an item's name and description
// (attribute Description) as the user edits them.
#pragma once

#include <string>

#include "catalog/CatalogDocument.h"
#include "catalog/EditSupport.h"

namespace shelfmark {

struct ItemProperties {
    std::string name;
    std::string description;  // empty: the item has none
};

// What the page shows for an item.
ItemProperties PropertiesOf(const CatalogItem& item);

// Properties OK: when the name or the description changed, one attribute-change step labelled
// with the dialog's caption stores both (an empty description removes the attribute). An empty
// name is reported with "Please fill out this field correctly." and nothing changes.
EditStatus SetItemProperties(CatalogDocument& document, CatalogItem* item,
                             const ItemProperties& properties);

}  // namespace shelfmark
