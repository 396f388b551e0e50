// The two category dialogs. Item Categories ("Dlg_ItemCategories"): the catalog's categories
// as a tree with check boxes; OK gives the ticked ones to the selected items (at most four, the
// limit and its message are ChosenCategoryIds'). Categories ("Dlg_Categories"): the category
// editor over a CategoryEditor: new category, new sub-category, rename in place, delete with the
// editor's questions, OK commits. Both show the definitions as the same two-level tree.
#pragma once

#include <QDialog>
#include <span>

#include "catalog/CategoryOperations.h"
#include "catalog/DefinitionEditors.h"

class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

namespace shelfmark {

// The definitions as a two-level tree; each row carries its identifier (Qt::UserRole).
void FillCategoryTree(QTreeWidget* tree, const CategoryDefinitions& definitions, bool checkable);
uint8_t CategoryIdOf(const QTreeWidgetItem* row);

class ItemCategoriesDialog : public QDialog {
    Q_OBJECT
  public:
    // Ticks the categories of `shown` (the first selected item).
    ItemCategoriesDialog(const CatalogDocument& document, const CatalogItem* shown,
                         Prompter& prompter, QWidget* parent = nullptr);

    QTreeWidget* tree() const { return tree_; }
    // Ticks or clears a category's box.
    void setTicked(uint8_t id, bool ticked);
    // The identifiers chosen (after OK).
    const CategoryIds& chosen() const { return chosen_; }

    static EditStatus Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                          QWidget* parent);

  public slots:
    void accept() override;

  private:
    Prompter& prompter_;
    QTreeWidget* tree_;
    CategoryIds chosen_{};
};

class CategoriesDialog : public QDialog {
    Q_OBJECT
  public:
    CategoriesDialog(CatalogDocument& document, QWidget* parent = nullptr);

    QTreeWidget* tree() const { return tree_; }
    CategoryEditor& editor() { return editor_; }
    EditStatus status() const { return status_; }

    // The command: takes the file lock first (refused: nothing opens) and gives it back
    // afterwards unless changes are unsaved.
    static EditStatus Run(CatalogDocument& document, QWidget* parent);

  public slots:
    void newCategory();
    void newSubCategory();
    void deleteSelected();
    void accept() override;

  private:
    void refill(std::optional<uint8_t> select);
    void renamed(QTreeWidgetItem* row);

    CatalogDocument& document_;
    CategoryEditor editor_;
    QTreeWidget* tree_;
    QPushButton* newSub_;
    EditStatus status_ = EditStatus::Unchanged;
    bool filling_ = false;
};

}  // namespace shelfmark
