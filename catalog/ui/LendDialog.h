// Lend and return disks ("Dlg_Lend"): the borrower and the date. The caption names the disk
// ("Lend %s", with ", ..." for several); an empty borrower returns the disks. The lend operation
// decides which items are disks and what the dialog is prefilled with.
#pragma once

#include <QDialog>
#include <span>

#include "catalog/LendOperations.h"

class QDateTimeEdit;
class QLineEdit;

namespace shelfmark {

class LendDialog : public QDialog {
    Q_OBJECT
  public:
    LendDialog(const std::string& names, const std::string& borrower, QWidget* parent = nullptr);

    QLineEdit* borrowerEdit() const { return borrower_; }
    QDateTimeEdit* dateEdit() const { return date_; }
    // What the user chose (after OK).
    LendRequest request() const;

    // The dialog as the lend operation asks for it.
    static AskLend Asker(QWidget* parent);
    // The Lend command on the selected items.
    static EditStatus Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                          QWidget* parent);

  private:
    QLineEdit* borrower_;
    QDateTimeEdit* date_;
};

}  // namespace shelfmark
