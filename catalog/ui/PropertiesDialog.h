// The item properties ("Dlg_Properties"): the general page ("Sht_Properties": name and
// description to edit, the item's type, place, size, date, contents and disk facts to read) and
// the extra-information page. OK applies each page through its operation (SetItemProperties,
// ApplyExtraInfo); each change is one undo step.
#pragma once

#include <QDialog>
#include <span>

#include "catalog/EditSupport.h"

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace shelfmark {

class ExtraInfoPage;

class PropertiesPage : public QWidget {
    Q_OBJECT
  public:
    // Name and description are edited only when one item is shown.
    PropertiesPage(const CatalogDocument& document, std::span<CatalogItem* const> items,
                   QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return name_; }
    QPlainTextEdit* descriptionEdit() const { return description_; }
    // The row value shown for a fact label key (3 type ... 10 lent to), empty when not shown.
    QString fact(int key) const;

  private:
    QLineEdit* name_;
    QPlainTextEdit* description_;
    std::vector<std::pair<int, QString>> facts_;
};

class PropertiesDialog : public QDialog {
    Q_OBJECT
  public:
    PropertiesDialog(CatalogDocument& document, std::span<CatalogItem* const> items,
                     QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    PropertiesPage* generalPage() const { return general_; }
    ExtraInfoPage* extraInfoPage() const { return extra_; }
    // The first operation's result that was not Done, else Done; Unchanged with no change.
    EditStatus status() const { return status_; }

    static EditStatus Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                          QWidget* parent);

  public slots:
    void accept() override;

  private:
    CatalogDocument& document_;
    std::vector<CatalogItem*> items_;
    QTabWidget* tabs_;
    PropertiesPage* general_;
    ExtraInfoPage* extra_;
    EditStatus status_ = EditStatus::Unchanged;
};

}  // namespace shelfmark
