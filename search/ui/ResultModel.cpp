#include "search/ui/ResultModel.h"

#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <algorithm>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogItem.h"
#include "catalog/CatalogPath.h"
#include "foundation/Utf8Text.h"
#include "foundation/ui/DialogTexts.h"
#include "lists/ui/ExportListDialog.h"

namespace shelfmark::search {

namespace {

constexpr uint8_t kSizeColumn = 0x01;
constexpr uint8_t kDateColumn = 0x02;
constexpr uint8_t kLocationColumn = 0x04;
constexpr int kIconEdge = 16;

bool IsBelow(const CatalogItem* item, const CatalogItem& top) {
    for (; item != nullptr; item = item->parent())
        if (item == &top)
            return true;
    return false;
}

}  // namespace

QString CatalogPathText(const CatalogItem* item) {
    if (item == nullptr)
        return {};
    // The catalog's top has no path of its own: it shows as the separator alone.
    const std::string path = CatalogPathOf(*item);
    return ToQString(path.empty() ? std::string("\\") : path);
}

void SetUpResultView(QTableView* view, ResultModel* model) {
    view->setModel(model);
    // A table view: it lays out only the rows it shows, so a million rows cost nothing.
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (size_t i = 0; i < model->columns().size(); ++i)
        view->horizontalHeader()->resizeSection(int(i), model->columns()[i].width);
}

ResultModel::ResultModel(CatalogDocument& document, const CatalogDefinitions& definitions,
                         RowSettings settings, std::vector<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent),
      document_(document),
      builder_(std::make_unique<RowBuilder>(document.tree(), definitions, settings)),
      columns_(std::move(columns)) {
    document_.addObserver(this);
}

ResultModel::~ResultModel() {
    document_.removeObserver(this);
}

ResultModel::Row ResultModel::makeRow(const CatalogItem& item, uint8_t shade) {
    Row row{&item, shade, {}};
    row.cells.reserve(columns_.size());
    for (const ListColumn& column : columns_) {
        const std::string* location =
            column.value == kLocationColumn ? &builder_->locationOf(item) : nullptr;
        row.cells.push_back(builder_->columnText(item, column.value, location));
    }
    return row;
}

void ResultModel::setColumns(std::vector<ListColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    for (Row& row : rows_)
        row = makeRow(*row.item, row.shade);
    endResetModel();
}

void ResultModel::clear() {
    if (rows_.empty())
        return;
    beginRemoveRows({}, 0, int(rows_.size()) - 1);
    rows_.clear();
    thumbnails_.clear();
    endRemoveRows();
}

void ResultModel::append(std::span<const CatalogItem* const> items, uint8_t shade) {
    if (items.empty())
        return;
    // Texts are made before the rows are announced, so a view never sees a half-built row.
    std::vector<Row> made;
    made.reserve(items.size());
    for (const CatalogItem* item : items)
        made.push_back(makeRow(*item, shade));
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(made.size()) - 1);
    std::move(made.begin(), made.end(), std::back_inserter(rows_));
    endInsertRows();
}

QString ResultModel::text(int row, int column) const {
    return ToQString(rows_[size_t(row)].cells[size_t(column)]);
}

void ResultModel::setShowThumbnails(bool on) {
    showThumbnails_ = on;
    thumbnails_.clear();
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, 0), {Qt::DecorationRole});
}

ListTable ResultModel::table() const {
    ListTable table(columns_);
    for (const Row& row : rows_) {
        table.beginRow(row.item, RowState(*row.item, true), row.shade);
        for (const std::string& cell : row.cells)
            table.appendCell(cell);
    }
    return table;
}

void ResultModel::printExport(
    const std::string& listName, QTableView* view, Prompter& prompter,
    const std::function<void(const ListTable&, const std::string&, QWidget*)>& hook) const {
    const ListTable rows = table();
    if (hook) {
        hook(rows, listName, view->window());
        return;
    }
    std::vector<int> widths;
    for (int column = 0; column < columnCount(); ++column)
        widths.push_back(view->horizontalHeader()->sectionSize(column));
    ExportListDialog::Run(view->window(), rows, document_.tree(), listName, prompter, std::move(widths));
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= rows_.size())
        return {};
    const Row& row = rows_[size_t(index.row())];
    const ListColumn& column = columns_[size_t(index.column())];
    switch (role) {
        case Qt::DisplayRole:
            return ToQString(row.cells[size_t(index.column())]);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                Qt::AlignVCenter |
                (column.alignment == ColumnAlignment::Right    ? Qt::AlignRight
                 : column.alignment == ColumnAlignment::Center ? Qt::AlignHCenter
                                                               : Qt::AlignLeft));
        case Qt::ForegroundRole:
            // The rows of every other duplicate group are drawn dark blue.
            if (row.shade == 1)
                return QBrush(QColor(0, 0, 192));
            return {};
        case Qt::DecorationRole: {
            if (!showThumbnails_ || index.column() != 0)
                return {};
            auto cached = thumbnails_.constFind(row.item);
            if (cached != thumbnails_.constEnd())
                return cached.value();
            QPixmap pixmap;
            if (const auto jpeg = row.item->blockAttribute(attr::Thumbnail)) {
                const QImage image = QImage::fromData(jpeg->data(), int(jpeg->size()), "JPEG");
                if (!image.isNull())
                    pixmap = QPixmap::fromImage(image.scaled(kIconEdge, kIconEdge, Qt::KeepAspectRatio,
                                                             Qt::SmoothTransformation));
            }
            thumbnails_.insert(row.item, pixmap);
            return pixmap.isNull() ? QVariant() : QVariant(pixmap);
        }
        default:
            return {};
    }
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= columns_.size())
        return {};
    if (role == Qt::DisplayRole)
        return ToQString(columns_[size_t(section)].title);
    if (role == Qt::TextAlignmentRole)
        return columns_[size_t(section)].alignment == ColumnAlignment::Right
                   ? QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void ResultModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || size_t(column) >= columns_.size())
        return;
    const uint8_t value = columns_[size_t(column)].value;
    const size_t at = size_t(column);
    auto less = [value, at](const Row& a, const Row& b) {
        if (value == kSizeColumn)
            return a.item->size() < b.item->size();
        if (value == kDateColumn)
            return a.item->date() < b.item->date();
        return text::CompareNoCase(a.cells[at], b.cells[at]) < 0;
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const CatalogItem*> itemsBefore;
    for (const QModelIndex& index : before)
        itemsBefore.push_back(rows_[size_t(index.row())].item);
    if (order == Qt::AscendingOrder)
        std::stable_sort(rows_.begin(), rows_.end(), less);
    else
        std::stable_sort(rows_.begin(), rows_.end(),
                         [&less](const Row& a, const Row& b) { return less(b, a); });
    // Selections and the current row follow their items.
    QHash<const CatalogItem*, int> rowOf;
    for (size_t i = 0; i < rows_.size(); ++i)
        rowOf.insert(rows_[i].item, int(i));
    QModelIndexList after;
    for (size_t i = 0; i < size_t(before.size()); ++i)
        after.push_back(index(rowOf.value(itemsBefore[i]), before[qsizetype(i)].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultModel::dropSubtree(const CatalogItem& top) {
    bool dropped = false;
    // From the end, so that the indices of rows still to look at stay valid.
    size_t end = rows_.size();
    while (end > 0) {
        if (!IsBelow(rows_[end - 1].item, top)) {
            --end;
            continue;
        }
        size_t first = end - 1;
        while (first > 0 && IsBelow(rows_[first - 1].item, top))
            --first;
        beginRemoveRows({}, int(first), int(end) - 1);
        for (size_t i = first; i < end; ++i)
            thumbnails_.remove(rows_[i].item);
        rows_.erase(rows_.begin() + std::ptrdiff_t(first), rows_.begin() + std::ptrdiff_t(end));
        endRemoveRows();
        dropped = true;
        end = first;
    }
    if (dropped)
        emit rowsDropped();
}

void ResultModel::itemRemoving(CatalogItem& item) {
    dropSubtree(item);
}

void ResultModel::itemChanged(CatalogItem& item) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].item != &item)
            continue;
        rows_[i] = makeRow(item, rows_[i].shade);
        thumbnails_.remove(&item);
        emit dataChanged(index(int(i), 0), index(int(i), int(columns_.size()) - 1));
    }
}

void ResultModel::reset() {
    beginResetModel();
    rows_.clear();
    thumbnails_.clear();
    endResetModel();
    emit rowsDropped();
}

}  // namespace shelfmark::search
