#include "catalog/ui/UserExtraInfoDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/EditSupport.h"
#include "catalog/ui/DefinitionEditorCommand.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

constexpr std::string_view kSection = "Dlg_UserExtraInfo";

bool IsNumberKey(uint8_t key) {
    return key >= 0x70 && key <= 0x7F;
}

}  // namespace

UserExtraInfoDialog::UserExtraInfoDialog(CatalogDocument& document, QWidget* parent)
    : QDialog(parent), document_(document), editor_(document) {
    setObjectName(QStringLiteral("Dlg_UserExtraInfo"));
    auto* layout = new QHBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({DialogText(kSection, 3), DialogText(kSection, 4)});
    list_->setColumnWidth(0, 220);
    list_->setMinimumSize(340, 260);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    layout->addWidget(list_);
    auto* newText = SetTextKey(new QPushButton(this), 0);
    auto* newNumber = SetTextKey(new QPushButton(this), 1);
    auto* rename = SetTextKey(new QPushButton(this), 7);
    auto* remove = new QPushButton(DialogText("Dlg_Common", 2), this);
    layout->addLayout(EditorButtonColumn(this, {newText, newNumber, rename, remove}));
    connect(newText, &QPushButton::clicked, this, &UserExtraInfoDialog::newText);
    connect(newNumber, &QPushButton::clicked, this, &UserExtraInfoDialog::newNumber);
    connect(remove, &QPushButton::clicked, this, &UserExtraInfoDialog::deleteSelected);
    connect(rename, &QPushButton::clicked, this, [this] {
        if (QTreeWidgetItem* row = list_->currentItem())
            list_->editItem(row, 0);
    });
    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* row, int column) {
        if (!filling_ && column == 0)
            editor_.rename(static_cast<uint8_t>(row->data(0, Qt::UserRole).toUInt()),
                           ToUtf8(row->text(0)));
    });
    refill(std::nullopt);
    SetTextKey(this, 2);
    ApplyDialogTexts(this, kSection);
}

void UserExtraInfoDialog::refill(std::optional<uint8_t> select) {
    filling_ = true;
    list_->clear();
    for (const ExtraDefinition& definition : editor_.definitions()) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, ToQString(definition.name));
        row->setText(1, DialogText(kSection, IsNumberKey(definition.key) ? 6 : 5));
        row->setData(0, Qt::UserRole, definition.key);
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        if (select && definition.key == *select)
            list_->setCurrentItem(row);
    }
    filling_ = false;
}

void UserExtraInfoDialog::added(std::optional<uint8_t> key) {
    if (!key)
        return;  // the group is full
    refill(key);
    list_->editItem(list_->currentItem(), 0);
}

void UserExtraInfoDialog::newText() {
    added(editor_.addText(ToUtf8(DialogText(kSection, 8))));
}

void UserExtraInfoDialog::newNumber() {
    added(editor_.addNumber(ToUtf8(DialogText(kSection, 8))));
}

void UserExtraInfoDialog::deleteSelected() {
    QTreeWidgetItem* row = list_->currentItem();
    if (row == nullptr)
        return;
    const bool askFirst = !(QApplication::keyboardModifiers() & Qt::ShiftModifier);
    if (editor_.remove(static_cast<uint8_t>(row->data(0, Qt::UserRole).toUInt()),
                       document_.prompter(), askFirst))
        refill(std::nullopt);
}

void UserExtraInfoDialog::accept() {
    status_ = editor_.commit(document_);
    QDialog::accept();
}

EditStatus UserExtraInfoDialog::Run(CatalogDocument& document, QWidget* parent) {
    return RunDefinitionEditor<UserExtraInfoDialog>(document, parent);
}

}  // namespace shelfmark
