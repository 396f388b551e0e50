// The small dialogs that ask for a name before a catalog operation runs: Create Folder
// (section "Dlg_MakeFolder") and Add Disk Name ("Dlg_AddDiskName", a name and a media type).
// Each runs its operation on OK and stays open while the operation refuses the name, so the
// user can correct it; the checks and their messages are the operation's own.
#pragma once

#include <QDialog>

#include "catalog/CatalogDocument.h"
#include "catalog/EditSupport.h"

class QComboBox;
class QLineEdit;

namespace shelfmark {

class MakeFolderDialog : public QDialog {
    Q_OBJECT
  public:
    // A new folder under `target` (a folder, or a shortcut to one).
    MakeFolderDialog(CatalogDocument& document, CatalogItem* target, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return name_; }
    // After the dialog ended: the operation's result and the new folder.
    EditStatus status() const { return status_; }
    CatalogItem* created() const { return created_; }

    // Shows the dialog modally and answers the operation's result (Unchanged on Cancel).
    static EditStatus Run(CatalogDocument& document, CatalogItem* target, QWidget* parent,
                          CatalogItem** created = nullptr);

  public slots:
    void accept() override;

  private:
    CatalogDocument& document_;
    CatalogItem* target_;
    QLineEdit* name_;
    EditStatus status_ = EditStatus::Unchanged;
    CatalogItem* created_ = nullptr;
};

class DiskNameDialog : public QDialog {
    Q_OBJECT
  public:
    // A disk entry that was never read, under `target` or the nearest folder above it.
    DiskNameDialog(CatalogDocument& document, CatalogItem* target, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return name_; }
    QComboBox* typeBox() const { return type_; }
    EditStatus status() const { return status_; }
    CatalogItem* created() const { return created_; }

    static EditStatus Run(CatalogDocument& document, CatalogItem* target, QWidget* parent,
                          CatalogItem** created = nullptr);

  public slots:
    void accept() override;

  private:
    CatalogDocument& document_;
    CatalogItem* target_;
    QLineEdit* name_;
    QComboBox* type_;
    EditStatus status_ = EditStatus::Unchanged;
    CatalogItem* created_ = nullptr;
};

}  // namespace shelfmark
