#include "catalog/ui/PasswordDialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "catalog/EditSupport.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

QLineEdit* AddPasswordRow(QWidget* dialog, QFormLayout* form, int labelKey) {
    auto* edit = new QLineEdit(dialog);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMinimumWidth(240);
    auto* label = SetTextKey(new QLabel(dialog), labelKey);
    label->setBuddy(edit);
    form->addRow(label, edit);
    return edit;
}

}  // namespace

SetPasswordDialog::SetPasswordDialog(Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("Dlg_SetPassword"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    password_ = AddPasswordRow(this, form, 1);
    confirmation_ = AddPasswordRow(this, form, 2);
    layout->addLayout(form);
    encrypt_ = SetTextKey(new QCheckBox(this), 3);
    remember_ = SetTextKey(new QCheckBox(this), 4);
    layout->addWidget(encrypt_);
    layout->addWidget(remember_);
    layout->addWidget(MakeOkCancelButtons(this));
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_SetPassword");
}

SetPasswordRequest SetPasswordDialog::request() const {
    return {ToUtf8(password_->text()), encrypt_->isChecked(), remember_->isChecked()};
}

void SetPasswordDialog::accept() {
    if (!PasswordsConfirmed(ToUtf8(password_->text()), ToUtf8(confirmation_->text()), prompter_)) {
        confirmation_->clear();
        confirmation_->setFocus();
        return;
    }
    QDialog::accept();
}

EditStatus SetPasswordDialog::Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                                  RememberedPasswords* remembered, QWidget* parent) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    // Only containers can be protected; the others are reported before the dialog opens.
    const std::vector<CatalogItem*> containers =
        KeepKinds(document, items,
                  [](const CatalogItem& item) { return item.isContainer() && !item.isShortcut(); });
    if (containers.empty())
        return EndUnchanged(document);
    SetPasswordDialog dialog(document.prompter(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return EndUnchanged(document);
    return SetPassword(document, containers, dialog.request(), remembered);
}

EnterPasswordDialog::EnterPasswordDialog(const std::string& pathText, bool again, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Dlg_EnterPassword"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    path_ = new QLabel(ToQString(pathText), this);
    path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path_->setWordWrap(true);
    form->addRow(SetTextKey(new QLabel(this), 1), path_);
    password_ = AddPasswordRow(this, form, 2);
    layout->addLayout(form);
    if (again) {
        auto* wrong = SetTextKey(new QLabel(this), 5);
        wrong->setObjectName(QStringLiteral("wrongPassword"));
        layout->addWidget(wrong);
    }
    remove_ = SetTextKey(new QCheckBox(this), 3);
    remember_ = SetTextKey(new QCheckBox(this), 4);
    layout->addWidget(remove_);
    layout->addWidget(remember_);
    layout->addWidget(MakeOkCancelButtons(this));
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_EnterPassword");
}

EnterPasswordAnswer EnterPasswordDialog::answer() const {
    return {ToUtf8(password_->text()), remove_->isChecked(), remember_->isChecked()};
}

AskEnterPassword EnterPasswordDialog::Asker(QWidget* parent) {
    return [parent](const std::string& pathText, bool again,
                    bool& rememberTicked) -> std::optional<EnterPasswordAnswer> {
        EnterPasswordDialog dialog(pathText, again, parent);
        const bool ok = dialog.exec() == QDialog::Accepted;
        rememberTicked = dialog.rememberBox()->isChecked();
        if (!ok)
            return std::nullopt;
        return dialog.answer();
    };
}

EditStatus EnterPasswordDialog::Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                                    RememberedPasswords* remembered, QWidget* parent) {
    return EnterPassword(document, items, Asker(parent), remembered);
}

}  // namespace shelfmark
