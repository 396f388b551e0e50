#include "app/FolderTreeModel.h"

#include <QMimeData>
#include <algorithm>

#include "app/DragMime.h"
#include "app/ItemIcons.h"
#include "catalog/CatalogDocument.h"
#include "foundation/StringFormat.h"

namespace shelfmark {

FolderTreeModel::FolderTreeModel(CatalogDocument& document, const ItemIcons& icons,
                                 QObject* parent)
    : QAbstractItemModel(parent), document_(document), icons_(icons) {
    document_.addObserver(this);
}

FolderTreeModel::~FolderTreeModel() {
    document_.removeObserver(this);
}

std::vector<CatalogItem*> FolderTreeModel::shownChildren(const CatalogItem* parent) const {
    std::vector<CatalogItem*> shown;
    CatalogItem* child = parent ? parent->firstChild() : document_.tree().topLevel();
    for (; child; child = child->next()) {
        if (child->isContainer())
            shown.push_back(child);
    }
    return shown;
}

FolderTreeModel::Rows& FolderTreeModel::rowsOf(const CatalogItem* parent) const {
    auto found = rows_.find(parent);
    if (found != rows_.end())
        return found->second;
    Rows& rows = rows_[parent];
    rows.items = shownChildren(parent);
    return rows;
}

int FolderTreeModel::rowIn(const CatalogItem* item) const {
    const Rows& rows = rowsOf(item->parent());
    // The tree's own row index gives a first guess in constant time: containers come first in
    // tree order, so the shown row is at most the item's row among all children.
    const std::optional<size_t> raw = document_.tree().rowOf(item);
    if (raw && *raw < rows.items.size() && rows.items[*raw] == item)
        return int(*raw);
    const auto it = std::find(rows.items.begin(), rows.items.end(), item);
    return it == rows.items.end() ? -1 : int(it - rows.items.begin());
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || detached_)
        return {};
    const Rows& rows = rowsOf(itemAt(parent));
    if (size_t(row) >= rows.items.size())
        return {};
    return createIndex(row, 0, rows.items[size_t(row)]);
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const CatalogItem* item = itemAt(child);
    if (!item || !item->parent())
        return {};
    CatalogItem* parentItem = item->parent();
    const int row = rowIn(parentItem);
    return row < 0 ? QModelIndex() : createIndex(row, 0, parentItem);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0 || detached_)
        return 0;
    return int(rowsOf(itemAt(parent)).items.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (detached_)
        return false;
    const CatalogItem* item = itemAt(parent);
    if (!item)
        return document_.tree().topLevel() != nullptr;
    // Without building the rows: the first container child decides.
    for (const CatalogItem* child = item->firstChild(); child; child = child->next()) {
        if (child->isContainer())
            return true;
    }
    return false;
}

CatalogItem* FolderTreeModel::itemAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<CatalogItem*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::indexOf(const CatalogItem* item) const {
    if (!item || !item->isContainer() || detached_)
        return {};
    for (const CatalogItem* above = item->parent(); above; above = above->parent()) {
        if (above->isLocked())
            return {};
    }
    const int row = rowIn(item);
    return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<CatalogItem*>(item));
}

void FolderTreeModel::setDisplay(const TreeDisplay& display) {
    // Labels change, rows do not.
    emit layoutAboutToBeChanged();
    display_ = display;
    emit layoutChanged();
}

QString FolderTreeModel::labelOf(const CatalogItem& item) const {
    std::string label = document_.tree().displayName(&item, false);
    if (display_.showTreeDiskId && item.isDisk())
        label += StringPrintf(" [%04u]", unsigned(item.numberAttribute(attr::DiskId).value_or(0)));
    return QString::fromStdString(label);
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const CatalogItem* item = itemAt(index);
    if (!item)
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return labelOf(*item);
        case Qt::EditRole:
            return QString::fromUtf8(item->name().data(), qsizetype(item->name().size()));
        case Qt::DecorationRole:
            return icons_.iconFor(*item, true);
        case Qt::ForegroundRole:
            return display_.showItemColors ? icons_.colorFor(*item) : QVariant();
        default:
            return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const {
    const CatalogItem* item = itemAt(index);
    if (!item)
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (item->parent())  // the root is neither renamed nor dragged
        flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
    return flags;
}

QStringList FolderTreeModel::mimeTypes() const {
    return {DragMimeType()};
}

QMimeData* FolderTreeModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<const CatalogItem*> items;
    for (const QModelIndex& index : indexes) {
        if (const CatalogItem* item = itemAt(index))
            items.push_back(item);
    }
    return NewDragMimeData(document_, items);
}

Qt::DropActions FolderTreeModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

Qt::DropActions FolderTreeModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

bool FolderTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                      const QModelIndex& parent) const {
    const CatalogItem* target = itemAt(parent);
    return target && target->isFolder() && data->hasFormat(mimeTypes().front());
}

bool FolderTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                   const QModelIndex& parent) {
    CatalogItem* target = itemAt(parent);
    if (!target || !data->hasFormat(mimeTypes().front()))
        return false;
    emit itemsDropped(data, action, target);
    // The window did the move itself (through the document); the view must not remove rows.
    return false;
}

void FolderTreeModel::forgetBelow(const CatalogItem* item) {
    for (auto it = rows_.begin(); it != rows_.end();) {
        const CatalogItem* key = it->first;
        bool inside = false;
        for (const CatalogItem* at = key; at; at = at->parent()) {
            if (at == item) {
                inside = true;
                break;
            }
        }
        it = inside ? rows_.erase(it) : std::next(it);
    }
}

void FolderTreeModel::insertShown(CatalogItem& item) {
    if (!item.isContainer())
        return;
    const CatalogItem* parentItem = item.parent();
    auto found = rows_.find(parentItem);
    if (found == rows_.end()) {
        // Rows not built yet: the parent may just have gained its first child to show.
        const QModelIndex parentIndex = indexOf(parentItem);
        if (parentIndex.isValid())
            emit dataChanged(parentIndex, parentIndex);
        return;
    }
    std::vector<CatalogItem*> now = shownChildren(parentItem);
    const auto at = std::find(now.begin(), now.end(), &item);
    if (at == now.end())
        return;
    const int row = int(at - now.begin());
    const QModelIndex parentIndex = parentItem ? indexOf(parentItem) : QModelIndex();
    if (parentItem && !parentIndex.isValid())
        return;
    beginInsertRows(parentIndex, row, row);
    found->second.items = std::move(now);
    endInsertRows();
}

void FolderTreeModel::removeShown(CatalogItem& item) {
    if (!item.isContainer())
        return;
    const CatalogItem* parentItem = item.parent();
    auto found = rows_.find(parentItem);
    if (found == rows_.end())
        return;
    std::vector<CatalogItem*>& items = found->second.items;
    const auto at = std::find(items.begin(), items.end(), &item);
    if (at == items.end())
        return;
    const int row = int(at - items.begin());
    const QModelIndex parentIndex = parentItem ? indexOf(parentItem) : QModelIndex();
    beginRemoveRows(parentIndex, row, row);
    found->second.items.erase(found->second.items.begin() + row);
    forgetBelow(&item);
    endRemoveRows();
}

void FolderTreeModel::refreshRows(CatalogItem* parentItem) {
    auto found = rows_.find(parentItem);
    if (found == rows_.end())
        return;
    std::vector<CatalogItem*> now = shownChildren(parentItem);
    if (now == found->second.items)
        return;
    const QModelIndex parentIndex = indexOf(parentItem);
    if (!found->second.items.empty()) {
        beginRemoveRows(parentIndex, 0, int(found->second.items.size()) - 1);
        for (CatalogItem* child : found->second.items)
            forgetBelow(child);
        found->second.items.clear();
        endRemoveRows();
    }
    if (!now.empty()) {
        beginInsertRows(parentIndex, 0, int(now.size()) - 1);
        found->second.items = std::move(now);
        endInsertRows();
    }
}

void FolderTreeModel::itemInserted(CatalogItem& item) {
    if (detached_)
        return;
    insertShown(item);
}

void FolderTreeModel::itemRemoving(CatalogItem& item) {
    removeShown(item);
}

void FolderTreeModel::itemMoving(CatalogItem& item, CatalogItem*) {
    removeShown(item);
}

void FolderTreeModel::itemMoved(CatalogItem& item, CatalogItem*) {
    insertShown(item);
}

void FolderTreeModel::itemChanged(CatalogItem& item) {
    if (!item.isContainer() || detached_)
        return;
    // A rename can change the item's place in tree order; a lock or unlock what it shows.
    const QModelIndex index = indexOf(&item);
    if (!index.isValid())
        return;
    auto siblings = rows_.find(item.parent());
    if (siblings != rows_.end() && shownChildren(item.parent()) != siblings->second.items) {
        const std::vector<CatalogItem*> now = shownChildren(item.parent());
        const auto to = std::find(now.begin(), now.end(), &item);
        const int from = index.row();
        int toRow = int(to - now.begin());
        const QModelIndex parentIndex = index.parent();
        // Qt counts the destination before the move: a move down names the row after it.
        if (beginMoveRows(parentIndex, from, from, parentIndex, toRow > from ? toRow + 1 : toRow)) {
            siblings->second.items = now;
            endMoveRows();
        } else {
            siblings->second.items = now;
        }
    }
    refreshRows(&item);
    const QModelIndex current = indexOf(&item);
    emit dataChanged(current, current);
}

void FolderTreeModel::detach() {
    beginResetModel();
    rows_.clear();
    detached_ = true;
    endResetModel();
}

void FolderTreeModel::reset() {
    beginResetModel();
    rows_.clear();
    detached_ = false;
    endResetModel();
}

}  // namespace shelfmark
