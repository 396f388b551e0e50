// The "Extra Information" page ("Sht_ExtraInfo") of the item properties and of the read dialog:
// the built-in and user-defined fields an item carries, as a two-column list (name, value).
// Rows are shown only when exactly one item is given; fields can be added (among those the item
// does not carry yet), edited in place and deleted (with the delete question unless Shift is
// held). change() hands the edited rows to ApplyExtraInfo, which owns the rules.
#pragma once

#include <QWidget>
#include <span>

#include "catalog/Definitions.h"
#include "catalog/ExtraInfoOperations.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace shelfmark {

class CatalogDocument;
class Prompter;

class ExtraInfoPage : public QWidget {
    Q_OBJECT
  public:
    // `items`: the selected items (for the read dialog: none, a new disk's rows start empty).
    ExtraInfoPage(const CatalogDocument& document, std::span<const CatalogItem* const> items,
                  Prompter& prompter, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    // The fields the add menu offers now, in the page's order.
    std::vector<uint8_t> addableKeys() const;
    // Adds a row for `key` with `text` (the add menu's action); returns the row.
    QTreeWidgetItem* addRow(uint8_t key, const QString& text = {});
    // Deletes the selected rows after the question; false when the user said No.
    bool deleteSelected(bool askFirst = true);
    // Whether the user changed anything.
    bool isChanged() const { return changed_; }

    // The edit as the apply rule takes it. An unchanged thumbnail is kept as it is.
    ExtraInfoChange change() const;
    // Applies the edit to `items` (nothing when unchanged).
    EditStatus apply(CatalogDocument& document, std::span<CatalogItem* const> items) const;

  private:
    QString fieldName(uint8_t key) const;
    void addFromMenu();

    const CatalogItem* item_ = nullptr;  // the one item whose rows are shown
    Prompter& prompter_;
    CatalogDefinitions names_;
    std::vector<uint8_t> userKeys_;
    std::vector<uint8_t> listedKeys_;
    QTreeWidget* list_;
    QPushButton* add_;
    QPushButton* delete_;
    bool changed_ = false;
};

}  // namespace shelfmark
