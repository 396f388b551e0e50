#include "catalog/ui/FolderTreeWidget.h"

#include <QStyle>

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

FolderTreeWidget::FolderTreeWidget(const CatalogTree& tree, QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    const CatalogItem* root = tree.root();
    auto* rootRow = new QTreeWidgetItem(this);
    rootRow->setText(0, ToQString(tree.displayName(root, false)));
    rootRow->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    rootRow->setData(0, Qt::UserRole, ItemData(root));
    AddFolders(tree, root, rootRow, style()->standardIcon(QStyle::SP_DirIcon));
    expandToDepth(0);
    setCurrentItem(rootRow);
}

bool FolderTreeWidget::select(const CatalogItem* folder) {
    for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
        if (ItemOf(*it) == folder) {
            setCurrentItem(*it);
            scrollToItem(*it);
            return true;
        }
    }
    return false;
}

CatalogItem* FolderTreeWidget::chosen() const {
    const QTreeWidgetItem* row = currentItem();
    return row != nullptr ? ItemOf(row) : nullptr;
}

}  // namespace shelfmark
