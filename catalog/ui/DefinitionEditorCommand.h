// The command around the two definition editors (categories, user-defined extra information):
// the file lock is taken before the dialog opens (refused: nothing opens) and given back
// afterwards unless the dialog's OK left changes unsaved.
#pragma once

#include <QWidget>

#include "catalog/EditSupport.h"

namespace shelfmark {

template <typename EditorDialog>
EditStatus RunDefinitionEditor(CatalogDocument& document, QWidget* parent) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    EditStatus status = EditStatus::Unchanged;
    {
        EditorDialog dialog(document, parent);
        dialog.exec();
        status = dialog.status();
    }
    if (status != EditStatus::Done)
        return EndUnchanged(document);
    return status;
}

}  // namespace shelfmark
