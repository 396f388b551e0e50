// The two password dialogs. Set Password ("Dlg_SetPassword"): the password twice, whether to
// encrypt the names of the contents, whether to remember the password; OK needs both fields
// equal (the rule and its message are PasswordsConfirmed's). Enter Password
// ("Dlg_EnterPassword"): the item's path, the password, whether to remove the protection,
// whether to remember it; the password operation shows it again after a wrong password.
#pragma once

#include <QDialog>
#include <span>

#include "catalog/PasswordOperations.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace shelfmark {

class Prompter;

class SetPasswordDialog : public QDialog {
    Q_OBJECT
  public:
    SetPasswordDialog(Prompter& prompter, QWidget* parent = nullptr);

    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* confirmationEdit() const { return confirmation_; }
    QCheckBox* encryptBox() const { return encrypt_; }
    QCheckBox* rememberBox() const { return remember_; }
    SetPasswordRequest request() const;

    // The Set Password command: items that are no containers are reported first, then the
    // dialog asks; OK protects the rest.
    static EditStatus Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                          RememberedPasswords* remembered, QWidget* parent);

  public slots:
    void accept() override;

  private:
    Prompter& prompter_;
    QLineEdit* password_;
    QLineEdit* confirmation_;
    QCheckBox* encrypt_;
    QCheckBox* remember_;
};

class EnterPasswordDialog : public QDialog {
    Q_OBJECT
  public:
    // `again`: the password given before was wrong; the field starts empty and says so.
    EnterPasswordDialog(const std::string& pathText, bool again, QWidget* parent = nullptr);

    QLabel* pathLabel() const { return path_; }
    QLineEdit* passwordEdit() const { return password_; }
    QCheckBox* removeBox() const { return remove_; }
    QCheckBox* rememberBox() const { return remember_; }
    EnterPasswordAnswer answer() const;

    // The dialog as the password operation (and opening a catalog) asks for it.
    static AskEnterPassword Asker(QWidget* parent);
    static EditStatus Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                          RememberedPasswords* remembered, QWidget* parent);

  private:
    QLabel* path_;
    QLineEdit* password_;
    QCheckBox* remove_;
    QCheckBox* remember_;
};

}  // namespace shelfmark
