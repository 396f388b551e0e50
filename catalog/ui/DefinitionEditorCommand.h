// The command around the two definition editors (categories, user-defined extra information):
// the file lock is taken before the dialog opens (refused: nothing opens) and given back
// afterwards unless the dialog's OK left changes unsaved.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <initializer_list>

#include "catalog/EditSupport.h"
#include "foundation/ui/DialogTexts.h"

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

// The editors' column beside their list: the editing buttons at the top, OK and Cancel at the
// bottom.
inline QVBoxLayout* EditorButtonColumn(QDialog* dialog, std::initializer_list<QPushButton*> buttons) {
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons)
        column->addWidget(button);
    column->addStretch();
    QDialogButtonBox* okCancel = MakeOkCancelButtons(dialog);
    okCancel->setOrientation(Qt::Vertical);
    column->addWidget(okCancel);
    return column;
}

}  // namespace shelfmark
