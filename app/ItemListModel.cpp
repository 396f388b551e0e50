#include "app/ItemListModel.h"

#include <QMimeData>
#include <algorithm>

#include "app/DragMime.h"
#include "app/ItemIcons.h"
#include "catalog/CatalogDocument.h"
#include "catalog/ColumnDescriptors.h"
#include "catalog/Definitions.h"
#include "catalog/EditSupport.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ValueTexts.h"
#include "lists/RowBuilder.h"

namespace shelfmark {
namespace {

constexpr uint8_t kNameColumn = 0x00;
constexpr uint8_t kSizeColumn = 0x01;
constexpr uint8_t kDateColumn = 0x02;
constexpr uint8_t kTypeColumn = 0x03;
constexpr uint8_t kPlaceColumn = 0x04;

bool RightAligned(uint8_t key) {
    const ColumnTable table;
    const ColumnDescriptor* column = table.findKey(key);
    return column ? column->align == 1 : false;
}

}  // namespace

std::string ItemCellText(const CatalogTree& tree, const CatalogItem& item, uint8_t key,
                         const ListDisplay& display, const CatalogDefinitions* definitions) {
    switch (key) {
        case kNameColumn:
            return tree.displayName(&item, false);
        case kSizeColumn:
            if (item.isShortcut() || (item.isContainer() && !item.isArchive() &&
                                      !display.showDirectorySizes))
                return {};
            return SizeText(item.size(),
                            display.showByteSizes ? SizeTextMode::Bytes : SizeTextMode::Automatic);
        case kDateColumn:
            return item.date() == 0 ? std::string() : DateText(item.date());
        case kTypeColumn:
            return tree.typeText(&item);
        case kPlaceColumn:
            return item.parent() ? tree.pathText(item.parent(), pathmode::Display) : std::string();
        case attr::Categories:
            return definitions ? definitions->categoryText(item) : std::string();
        case attr::Length:
            if (const auto seconds = item.numberAttribute(key))
                return LengthText(*seconds);
            return {};
        case attr::Crc32:
        case attr::DiskId:
        case attr::VolumeSerial:
        case attr::TrackNumber:
            // The checksum, the disk's number on every item of it, the serial and the track read
            // as every printed or exported list shows them.
            return ItemNumberText(item, key).value_or(std::string());
        case attr::LentDate:
            if (const auto value = item.numberAttribute(key))
                return DateText(int32_t(*value));
            return {};
        default:
            break;
    }
    switch (ClassOfKey(key)) {
        case AttributeClass::Number:
            if (const auto value = item.numberAttribute(key))
                return std::to_string(*value);
            return {};
        case AttributeClass::Text:
            if (const auto text = item.textAttribute(key))
                return std::string(*text);
            return {};
        default:
            return {};
    }
}

ItemListModel::ItemListModel(CatalogDocument& document, const ItemIcons& icons,
                             const CatalogDefinitions* definitions, QObject* parent)
    : QAbstractTableModel(parent), document_(document), icons_(icons), definitions_(definitions),
      columns_{kNameColumn, kSizeColumn, kTypeColumn, kDateColumn, attr::Description} {
    document_.addObserver(this);
}

ItemListModel::~ItemListModel() {
    document_.removeObserver(this);
}

ListSortKey ItemListModel::sortKey() const {
    ListSortKey key;
    key.descending = sortOrder_ == Qt::DescendingOrder;
    key.equalizeMediaTypes = display_.equalizeMediaTypes;
    const uint8_t column = size_t(sortColumn_) < columns_.size() ? columns_[size_t(sortColumn_)]
                                                                 : kNameColumn;
    const CatalogTree& tree = document_.tree();
    key.nameText = [&tree](const CatalogItem& item) { return tree.displayName(&item, false); };
    switch (column) {
        case kNameColumn:
            key.column = ListSortColumn::Name;
            break;
        case kSizeColumn:
            key.column = ListSortColumn::Size;
            break;
        case kDateColumn:
            key.column = ListSortColumn::Date;
            break;
        default: {
            key.column = ListSortColumn::Other;
            const ListDisplay display = display_;
            const CatalogDefinitions* definitions = definitions_;
            key.columnText = [&tree, column, display, definitions](const CatalogItem& item) {
                return ItemCellText(tree, item, column, display, definitions);
            };
        }
    }
    return key;
}

void ItemListModel::loadRows() {
    items_.clear();
    fetched_ = 0;
    if (!container_)
        return;
    const CatalogTree& tree = document_.tree();
    const size_t count = container_->isLocked() ? 0 : tree.childCount(container_);
    items_.reserve(count);
    for (size_t row = 0; row < count; ++row)
        items_.push_back(tree.childAt(container_, row));
    const ListSortKey key = sortKey();
    const auto less = [&key](const CatalogItem* a, const CatalogItem* b) {
        return CompareListOrder(*a, *b, key) < 0;
    };
    // The tree keeps children in tree order, which is usually the list order already.
    if (!std::is_sorted(items_.begin(), items_.end(), less))
        std::stable_sort(items_.begin(), items_.end(), less);
    fetched_ = int(std::min<size_t>(items_.size(), kFetchChunk));
}

void ItemListModel::setContainer(CatalogItem* container) {
    beginResetModel();
    container_ = container;
    loadRows();
    endResetModel();
}

void ItemListModel::setColumns(std::vector<uint8_t> keys) {
    if (keys.empty())
        keys.push_back(kNameColumn);
    beginResetModel();
    columns_ = std::move(keys);
    if (size_t(sortColumn_) >= columns_.size())
        sortColumn_ = 0;
    loadRows();
    endResetModel();
}

void ItemListModel::setDisplay(const ListDisplay& display) {
    beginResetModel();
    display_ = display;
    loadRows();
    endResetModel();
}

void ItemListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || size_t(column) >= columns_.size())
        return;
    emit layoutAboutToBeChanged();
    sortColumn_ = column;
    sortOrder_ = order;
    const int fetched = fetched_;
    loadRows();
    fetched_ = std::max(fetched_, std::min(fetched, int(items_.size())));
    // Rows keep no persistent indexes worth moving across a re-sort: the view re-reads them.
    const QModelIndexList persistent = persistentIndexList();
    for (const QModelIndex& index : persistent)
        changePersistentIndex(index, QModelIndex());
    emit layoutChanged();
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : fetched_;
}

int ItemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

bool ItemListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && size_t(fetched_) < items_.size();
}

void ItemListModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid())
        return;
    const int more = int(std::min<size_t>(items_.size() - size_t(fetched_), kFetchChunk));
    if (more <= 0)
        return;
    beginInsertRows({}, fetched_, fetched_ + more - 1);
    fetched_ += more;
    endInsertRows();
}

void ItemListModel::fetchAll() {
    while (canFetchMore({}))
        fetchMore({});
}

CatalogItem* ItemListModel::itemAt(int row) const {
    return row >= 0 && row < fetched_ ? items_[size_t(row)] : nullptr;
}

int ItemListModel::rowOf(const CatalogItem* item) {
    const auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return -1;
    const int row = int(it - items_.begin());
    while (row >= fetched_ && canFetchMore({}))
        fetchMore({});
    return row;
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    const CatalogItem* item = itemAt(index.row());
    if (!item || size_t(index.column()) >= columns_.size())
        return {};
    const uint8_t key = columns_[size_t(index.column())];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(
                ItemCellText(document_.tree(), *item, key, display_, definitions_));
        case Qt::EditRole:
            return key == kNameColumn ? QString::fromUtf8(item->name().data(),
                                                          qsizetype(item->name().size()))
                                      : QVariant();
        case Qt::DecorationRole:
            return index.column() == 0 ? QVariant(icons_.iconFor(*item, false)) : QVariant();
        case Qt::ForegroundRole:
            return display_.showItemColors ? icons_.colorFor(*item) : QVariant();
        case Qt::TextAlignmentRole:
            return RightAligned(key) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        default:
            return {};
    }
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        size_t(section) >= columns_.size())
        return {};
    const uint8_t key = columns_[size_t(section)];
    const ColumnTable builtin;
    const ColumnTable& table = definitions_ ? definitions_->columns() : builtin;
    const ColumnDescriptor* column = table.findKey(key);
    if (!column)
        return QString::number(key, 16);
    return QString::fromStdString(column->titleKey ? Str(column->titleKey) : column->title);
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex& index) const {
    const CatalogItem* item = itemAt(index.row());
    if (!item)
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() == 0)
        flags |= Qt::ItemIsEditable;
    if (item->isFolder())
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

QStringList ItemListModel::mimeTypes() const {
    return {DragMimeType()};
}

QMimeData* ItemListModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<const CatalogItem*> items;
    for (const QModelIndex& index : indexes) {
        const CatalogItem* item = itemAt(index.row());
        if (item && std::find(items.begin(), items.end(), item) == items.end())
            items.push_back(item);
    }
    return NewDragMimeData(document_, items);
}

Qt::DropActions ItemListModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

bool ItemListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                 const QModelIndex& parent) {
    if (!data->hasFormat(mimeTypes().front()))
        return false;
    // Onto a folder row: into it; anywhere else: into the listed container when it is a folder.
    CatalogItem* target = parent.isValid() ? itemAt(parent.row()) : nullptr;
    if (!target || !target->isFolder())
        target = container_;
    if (!target || !target->isFolder())
        return false;
    emit itemsDropped(data, action, target);
    return false;
}

int ItemListModel::sortedPosition(const CatalogItem& item) const {
    const ListSortKey key = sortKey();
    const auto at = std::upper_bound(items_.begin(), items_.end(), &item,
                                     [&key](const CatalogItem* a, const CatalogItem* b) {
                                         return CompareListOrder(*a, *b, key) < 0;
                                     });
    return int(at - items_.begin());
}

void ItemListModel::insertRow(CatalogItem& item) {
    const int row = sortedPosition(item);
    if (row > fetched_ || (row == fetched_ && canFetchMore({}))) {
        items_.insert(items_.begin() + row, &item);
        return;
    }
    beginInsertRows({}, row, row);
    items_.insert(items_.begin() + row, &item);
    ++fetched_;
    endInsertRows();
}

void ItemListModel::removeRow(CatalogItem& item) {
    const auto it = std::find(items_.begin(), items_.end(), &item);
    if (it == items_.end())
        return;
    const int row = int(it - items_.begin());
    if (row >= fetched_) {
        items_.erase(it);
        return;
    }
    beginRemoveRows({}, row, row);
    items_.erase(it);
    --fetched_;
    endRemoveRows();
}

void ItemListModel::itemInserted(CatalogItem& item) {
    if (container_ && item.parent() == container_ && !container_->isLocked())
        insertRow(item);
}

void ItemListModel::itemRemoving(CatalogItem& item) {
    if (!container_)
        return;
    if (Contains(&item, container_)) {
        // The listed container itself goes: the list empties.
        setContainer(nullptr);
        emit containerGone();
        return;
    }
    if (item.parent() == container_)
        removeRow(item);
}

void ItemListModel::itemMoving(CatalogItem& item, CatalogItem*) {
    if (container_ && item.parent() == container_)
        removeRow(item);
}

void ItemListModel::itemMoved(CatalogItem& item, CatalogItem*) {
    itemInserted(item);
}

void ItemListModel::itemChanged(CatalogItem& item) {
    if (!container_)
        return;
    if (&item == container_) {
        // A lock or unlock changes what the container shows.
        const bool shown = !items_.empty();
        const bool visible = !container_->isLocked() && container_->firstChild();
        if (shown != visible)
            setContainer(container_);
        return;
    }
    if (item.parent() != container_)
        return;
    const auto it = std::find(items_.begin(), items_.end(), &item);
    if (it == items_.end())
        return;
    const int row = int(it - items_.begin());
    if (row < fetched_)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ItemListModel::reset() {
    setContainer(nullptr);
}

}  // namespace shelfmark
