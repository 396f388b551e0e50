// Rename: one item gets a new name (an empty one stores "?"). Records a rename step when
// undoable; the same name again changes nothing.
#pragma once

#include <string_view>

#include "catalog/EditSupport.h"

namespace shelfmark {

EditStatus RenameItem(CatalogDocument& document, CatalogItem* item, std::string_view newName,
                      bool undoable = true);

}  // namespace shelfmark
