#include "catalog/RenameOperations.h"

namespace shelfmark {

EditStatus RenameItem(CatalogDocument& document, CatalogItem* item, std::string_view newName,
                      bool undoable) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    if (item->name() == (newName.empty() ? std::string_view("?") : newName))
        return EndUnchanged(document);
    if (undoable)
        document.recordUndo(UndoKind::Rename, {&item, 1}, MenuText("Menu_Item", 2));
    document.tree().setName(item, newName);
    document.notifyChanged(*item);
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
