#include "catalog/ui/NameDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "catalog/CatalogTree.h"
#include "catalog/FolderOperations.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

// The operation decided: a refused lock or a new item ends the dialog; a name it turned down
// (already reported to the user) keeps it open.
bool OperationEnds(EditStatus status) {
    return status != EditStatus::Unchanged;
}

QLineEdit* AddNameRow(QDialog* dialog, QFormLayout* form, int labelKey) {
    auto* edit = new QLineEdit(dialog);
    edit->setMinimumWidth(280);
    auto* label = SetTextKey(new QLabel(dialog), labelKey);
    label->setBuddy(edit);
    form->addRow(label, edit);
    return edit;
}

template <typename NameDialog>
EditStatus RunNameDialog(CatalogDocument& document, CatalogItem* target, QWidget* parent,
                         CatalogItem** created) {
    NameDialog dialog(document, target, parent);
    dialog.exec();
    if (created != nullptr)
        *created = dialog.created();
    return dialog.status();
}

}  // namespace

MakeFolderDialog::MakeFolderDialog(CatalogDocument& document, CatalogItem* target, QWidget* parent)
    : QDialog(parent), document_(document), target_(target) {
    setObjectName(QStringLiteral("Dlg_MakeFolder"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = AddNameRow(this, form, 1);
    layout->addLayout(form);
    layout->addWidget(MakeOkCancelButtons(this));
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_MakeFolder");
}

void MakeFolderDialog::accept() {
    status_ = CreateFolder(document_, target_, ToUtf8(name_->text()), &created_);
    if (!OperationEnds(status_)) {
        name_->setFocus();
        name_->selectAll();
        return;
    }
    if (status_ == EditStatus::Done)
        QDialog::accept();
    else
        reject();
}

EditStatus MakeFolderDialog::Run(CatalogDocument& document, CatalogItem* target, QWidget* parent,
                                 CatalogItem** created) {
    return RunNameDialog<MakeFolderDialog>(document, target, parent, created);
}

DiskNameDialog::DiskNameDialog(CatalogDocument& document, CatalogItem* target, QWidget* parent)
    : QDialog(parent), document_(document), target_(target) {
    setObjectName(QStringLiteral("Dlg_AddDiskName"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = AddNameRow(this, form, 1);
    type_ = new QComboBox(this);
    for (const MediaType type : {MediaType::CdRom, MediaType::AudioCd, MediaType::VideoCd,
                                 MediaType::Removable, MediaType::HardDisk, MediaType::Network})
        type_->addItem(ToQString(MediaTypeText(type)), static_cast<int>(type));
    auto* typeLabel = SetTextKey(new QLabel(this), 2);
    typeLabel->setBuddy(type_);
    form->addRow(typeLabel, type_);
    layout->addLayout(form);
    layout->addWidget(MakeOkCancelButtons(this));
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_AddDiskName");
}

void DiskNameDialog::accept() {
    const std::string name = ToUtf8(name_->text());
    // The name becomes an item's name: the same rule as for a new folder.
    if (const auto reason = InvalidNameReason(name)) {
        document_.prompter().error(*reason);
        name_->setFocus();
        return;
    }
    const auto type = static_cast<MediaType>(type_->currentData().toInt());
    status_ = AddDiskByName(document_, target_, name, type, &created_);
    if (status_ == EditStatus::Done)
        QDialog::accept();
    else if (OperationEnds(status_))
        reject();
}

EditStatus DiskNameDialog::Run(CatalogDocument& document, CatalogItem* target, QWidget* parent,
                               CatalogItem** created) {
    return RunNameDialog<DiskNameDialog>(document, target, parent, created);
}

}  // namespace shelfmark
