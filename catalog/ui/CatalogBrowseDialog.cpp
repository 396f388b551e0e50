#include "catalog/ui/CatalogBrowseDialog.h"

#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/CatalogTree.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

QVariant ItemData(const CatalogItem* item) {
    return QVariant::fromValue(reinterpret_cast<quintptr>(item));
}

CatalogItem* ItemOf(const QTreeWidgetItem* row) {
    return reinterpret_cast<CatalogItem*>(row->data(0, Qt::UserRole).value<quintptr>());
}

// Adds the folders below `parent` (locked ones are shown but not entered).
void AddFolders(const CatalogTree& tree, const CatalogItem* parent, QTreeWidgetItem* row,
                const QIcon& icon) {
    for (const CatalogItem* child = parent->firstChild(); child != nullptr; child = child->next()) {
        if (!child->isFolder() || child->isShortcut())
            continue;
        auto* childRow = new QTreeWidgetItem(row);
        childRow->setText(0, ToQString(tree.displayName(child, false)));
        childRow->setIcon(0, icon);
        childRow->setData(0, Qt::UserRole, ItemData(child));
        AddFolders(tree, child, childRow, icon);
    }
}

}  // namespace

CatalogBrowseDialog::CatalogBrowseDialog(const CatalogTree& tree, const std::string& prompt,
                                         const CatalogItem* selected, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Dlg_Browse"));
    auto* layout = new QVBoxLayout(this);
    prompt_ = new QLabel(ToQString(prompt), this);
    prompt_->setWordWrap(true);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setMinimumSize(300, 300);
    layout->addWidget(prompt_);
    layout->addWidget(tree_);
    layout->addWidget(MakeOkCancelButtons(this));

    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const CatalogItem* root = tree.root();
    auto* rootRow = new QTreeWidgetItem(tree_);
    rootRow->setText(0, ToQString(tree.displayName(root, false)));
    rootRow->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    rootRow->setData(0, Qt::UserRole, ItemData(root));
    AddFolders(tree, root, rootRow, folderIcon);
    tree_->expandToDepth(0);
    if (selected == nullptr || !select(selected))
        tree_->setCurrentItem(rootRow);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_Browse");
}

bool CatalogBrowseDialog::select(const CatalogItem* folder) {
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        if (ItemOf(*it) == folder) {
            tree_->setCurrentItem(*it);
            tree_->scrollToItem(*it);
            return true;
        }
    }
    return false;
}

CatalogItem* CatalogBrowseDialog::chosen() const {
    const QTreeWidgetItem* row = tree_->currentItem();
    return row != nullptr ? ItemOf(row) : nullptr;
}

CatalogItem* CatalogBrowseDialog::Choose(const CatalogTree& tree, const std::string& prompt,
                                         const CatalogItem* selected, QWidget* parent) {
    CatalogBrowseDialog dialog(tree, prompt, selected, parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return dialog.chosen();
}

ChooseFolder CatalogBrowseDialog::Chooser(const CatalogTree& tree, QWidget* parent) {
    return [&tree, parent](const std::string& prompt) {
        return Choose(tree, prompt, nullptr, parent);
    };
}

}  // namespace shelfmark
