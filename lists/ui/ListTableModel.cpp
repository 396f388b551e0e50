#include "lists/ui/ListTableModel.h"

#include <algorithm>
#include <numeric>

#include "catalog/CatalogItem.h"
#include "foundation/Utf8Text.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {
namespace {

// The column kinds whose texts do not sort as their values do ("1,000 Bytes" after "2 KB").
constexpr uint8_t kSizeColumn = 0x01;
constexpr uint8_t kDateColumn = 0x02;

Qt::Alignment AlignmentOf(ColumnAlignment alignment) {
    switch (alignment) {
        case ColumnAlignment::Right: return Qt::AlignRight | Qt::AlignVCenter;
        case ColumnAlignment::Center: return Qt::AlignHCenter | Qt::AlignVCenter;
        case ColumnAlignment::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ListTableModel::ListTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListTableModel::setTable(const ListTable* table) {
    beginResetModel();
    table_ = table;
    order_.resize(table ? table->rowCount() : 0);
    std::iota(order_.begin(), order_.end(), 0u);
    endResetModel();
}

ListTable ListTableModel::displayed() const {
    if (table_ == nullptr)
        return {};
    ListTable copy(table_->columns());
    for (uint32_t row : order_) {
        const ListTable::Row& source = table_->row(row);
        copy.beginRow(source.item, source.state, source.shade);
        for (size_t c = 0; c < table_->columnCount(); ++c)
            copy.appendCell(table_->cell(row, c));
    }
    return copy;
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || table_ == nullptr ? 0 : static_cast<int>(table_->columnCount());
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || table_ == nullptr)
        return {};
    if (role == Qt::DisplayRole)
        return ToQString(table_->cell(order_[static_cast<size_t>(index.row())], static_cast<size_t>(index.column())));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(AlignmentOf(table_->columns()[static_cast<size_t>(index.column())].alignment));
    return {};
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || table_ == nullptr || section < 0 ||
        static_cast<size_t>(section) >= table_->columnCount())
        return {};
    const ListColumn& column = table_->columns()[static_cast<size_t>(section)];
    if (role == Qt::DisplayRole)
        return ToQString(column.title);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(AlignmentOf(column.alignment));
    return {};
}

void ListTableModel::sort(int column, Qt::SortOrder order) {
    if (table_ == nullptr || column < 0 || static_cast<size_t>(column) >= table_->columnCount())
        return;
    const size_t c = static_cast<size_t>(column);
    const uint8_t value = table_->columns()[c].value;
    const ListTable& table = *table_;
    auto less = [&](uint32_t a, uint32_t b) {
        const CatalogItem* itemA = table.row(a).item;
        const CatalogItem* itemB = table.row(b).item;
        if (itemA != nullptr && itemB != nullptr) {
            if (value == kSizeColumn && itemA->size() != itemB->size())
                return itemA->size() < itemB->size();
            if (value == kDateColumn && itemA->date() != itemB->date())
                return itemA->date() < itemB->date();
        }
        return text::CompareNoCase(table.cell(a, c), table.cell(b, c)) < 0;
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<uint32_t> oldOrder = order_;
    if (order == Qt::AscendingOrder)
        std::stable_sort(order_.begin(), order_.end(), less);
    else
        std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return less(b, a); });
    if (!before.isEmpty()) {
        // Selections and the current row follow their rows to the new places.
        std::vector<int> placeOf(order_.size());
        for (size_t i = 0; i < order_.size(); ++i)
            placeOf[order_[i]] = static_cast<int>(i);
        QModelIndexList after;
        for (const QModelIndex& index : before)
            after << this->index(placeOf[oldOrder[static_cast<size_t>(index.row())]], index.column());
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace shelfmark
