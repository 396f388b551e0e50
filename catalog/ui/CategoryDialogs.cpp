#include "catalog/ui/CategoryDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/EditSupport.h"
#include "catalog/ui/DefinitionEditorCommand.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

void FillCategoryTree(QTreeWidget* tree, const CategoryDefinitions& definitions, bool checkable) {
    tree->clear();
    const QIcon icon = tree->style()->standardIcon(QStyle::SP_DirIcon);
    QTreeWidgetItem* category = nullptr;
    for (const CategoryEntry& entry : definitions.entries) {
        QTreeWidgetItem* row = nullptr;
        if (entry.level == 2 && category != nullptr)
            row = new QTreeWidgetItem(category);
        else
            row = category = new QTreeWidgetItem(tree);
        row->setText(0, ToQString(entry.name));
        row->setIcon(0, icon);
        row->setData(0, Qt::UserRole, entry.id);
        if (checkable)
            row->setCheckState(0, Qt::Unchecked);
    }
    tree->expandAll();
}

uint8_t CategoryIdOf(const QTreeWidgetItem* row) {
    return static_cast<uint8_t>(row->data(0, Qt::UserRole).toUInt());
}

namespace {

QTreeWidget* MakeTree(QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setMinimumSize(320, 260);
    return tree;
}

// Every row of the tree, depth-first.
std::vector<QTreeWidgetItem*> AllRows(QTreeWidget* tree) {
    std::vector<QTreeWidgetItem*> rows;
    for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it)
        rows.push_back(*it);
    return rows;
}

}  // namespace

ItemCategoriesDialog::ItemCategoriesDialog(const CatalogDocument& document,
                                           const CatalogItem* shown, Prompter& prompter,
                                           QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("Dlg_ItemCategories"));
    auto* layout = new QVBoxLayout(this);
    auto* label = SetTextKey(new QLabel(this), 1);
    tree_ = MakeTree(this);
    label->setBuddy(tree_);
    layout->addWidget(label);
    layout->addWidget(tree_);
    layout->addWidget(MakeOkCancelButtons(this));
    FillCategoryTree(tree_, CategoryDefinitionsOf(*document.tree().root()), true);
    if (shown != nullptr)
        for (const uint8_t id : CategoryIdsOf(*shown))
            if (id != 0)
                setTicked(id, true);
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_ItemCategories");
}

void ItemCategoriesDialog::setTicked(uint8_t id, bool ticked) {
    for (QTreeWidgetItem* row : AllRows(tree_))
        if (CategoryIdOf(row) == id)
            row->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

void ItemCategoriesDialog::accept() {
    std::vector<uint8_t> ticked;
    for (QTreeWidgetItem* row : AllRows(tree_))
        if (row->checkState(0) == Qt::Checked)
            ticked.push_back(CategoryIdOf(row));
    const std::optional<CategoryIds> ids = ChosenCategoryIds(ticked, prompter_);
    if (!ids)
        return;
    chosen_ = *ids;
    QDialog::accept();
}

EditStatus ItemCategoriesDialog::Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                                     QWidget* parent) {
    ItemCategoriesDialog dialog(document, items.empty() ? nullptr : items.front(),
                                document.prompter(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return EditStatus::Unchanged;
    return SetItemCategories(document, items, dialog.chosen());
}

CategoriesDialog::CategoriesDialog(CatalogDocument& document, QWidget* parent)
    : QDialog(parent), document_(document), editor_(document) {
    setObjectName(QStringLiteral("Dlg_Categories"));
    auto* layout = new QHBoxLayout(this);
    tree_ = MakeTree(this);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    layout->addWidget(tree_);
    auto* newCategory = SetTextKey(new QPushButton(this), 0);
    newSub_ = SetTextKey(new QPushButton(this), 1);
    auto* rename = SetTextKey(new QPushButton(this), 3);
    auto* remove = new QPushButton(DialogText("Dlg_Common", 2), this);
    layout->addLayout(EditorButtonColumn(this, {newCategory, newSub_, rename, remove}));
    connect(newCategory, &QPushButton::clicked, this, &CategoriesDialog::newCategory);
    connect(newSub_, &QPushButton::clicked, this, &CategoriesDialog::newSubCategory);
    connect(remove, &QPushButton::clicked, this, &CategoriesDialog::deleteSelected);
    connect(rename, &QPushButton::clicked, this, [this] {
        if (QTreeWidgetItem* row = tree_->currentItem())
            tree_->editItem(row);
    });
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* row) { renamed(row); });
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* row) { newSub_->setEnabled(row != nullptr); });
    refill(std::nullopt);
    SetTextKey(this, 2);
    ApplyDialogTexts(this, "Dlg_Categories");
}

void CategoriesDialog::refill(std::optional<uint8_t> select) {
    filling_ = true;
    FillCategoryTree(tree_, editor_.definitions(), false);
    for (QTreeWidgetItem* row : AllRows(tree_)) {
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        if (select && CategoryIdOf(row) == *select)
            tree_->setCurrentItem(row);
    }
    newSub_->setEnabled(tree_->currentItem() != nullptr);
    filling_ = false;
}

void CategoriesDialog::renamed(QTreeWidgetItem* row) {
    if (filling_)
        return;
    editor_.rename(CategoryIdOf(row), ToUtf8(row->text(0)));
}

void CategoriesDialog::newCategory() {
    if (const auto id = editor_.addCategory(ToUtf8(DialogText("Dlg_Categories", 4)))) {
        refill(id);
        tree_->editItem(tree_->currentItem());
    }
}

void CategoriesDialog::newSubCategory() {
    QTreeWidgetItem* row = tree_->currentItem();
    if (row == nullptr)
        return;
    // A sub-category goes under the selected category, or beside the selected sub-category.
    const QTreeWidgetItem* category = row->parent() != nullptr ? row->parent() : row;
    if (const auto id = editor_.addSubCategory(CategoryIdOf(category),
                                               ToUtf8(DialogText("Dlg_Categories", 4)))) {
        refill(id);
        tree_->editItem(tree_->currentItem());
    }
}

void CategoriesDialog::deleteSelected() {
    QTreeWidgetItem* row = tree_->currentItem();
    if (row == nullptr)
        return;
    // As in the file manager: Shift deletes without the plain question.
    const bool askFirst = !(QApplication::keyboardModifiers() & Qt::ShiftModifier);
    if (editor_.remove(CategoryIdOf(row), document_.prompter(), askFirst))
        refill(std::nullopt);
}

void CategoriesDialog::accept() {
    status_ = editor_.commit(document_);
    QDialog::accept();
}

EditStatus CategoriesDialog::Run(CatalogDocument& document, QWidget* parent) {
    return RunDefinitionEditor<CategoriesDialog>(document, parent);
}

}  // namespace shelfmark
