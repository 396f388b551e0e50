#include "foundation/ui/FieldRows.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QLabel>

#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

QLabel* MakeBuddyLabel(int key, QWidget* field) {
    auto* label = SetTextKey(new QLabel(field->parentWidget()), key);
    label->setBuddy(field);
    return label;
}

QLabel* AddFormRow(QFormLayout* form, int key, QWidget* field) {
    QLabel* label = MakeBuddyLabel(key, field);
    form->addRow(label, field);
    return label;
}

QLabel* AddInlineRow(QBoxLayout* layout, int key, QWidget* field) {
    QLabel* label = MakeBuddyLabel(key, field);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(field);
    row->addStretch();
    layout->addLayout(row);
    return label;
}

QLabel* AddLabelAbove(QBoxLayout* layout, int key, QWidget* field, int stretch) {
    QLabel* label = MakeBuddyLabel(key, field);
    layout->addWidget(label);
    layout->addWidget(field, stretch);
    return label;
}

}  // namespace shelfmark
