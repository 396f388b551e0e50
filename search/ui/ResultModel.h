// The rows of a search or duplicate result for a QTreeView: one row per item with the display
// text of each column from the shared row builder, the duplicate group's shade, and optionally
// the item's thumbnail as its icon. Hits are appended in batches (beginInsertRows, never a
// reset, so rows already shown stay put), rows of items leaving the catalog are dropped, and the
// rows can be handed to the print/export dialog as a ListTable.
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QPixmap>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QTableView;

#include "catalog/DocumentObserver.h"
#include "lists/ListTable.h"
#include "lists/RowBuilder.h"

namespace shelfmark {
class CatalogDefinitions;
class CatalogDocument;
class Prompter;
}  // namespace shelfmark

namespace shelfmark::search {

// The text a window shows for a search's start or scope: the item's catalog path; the top of the
// catalog shows as a lone backslash. Empty for no item.
QString CatalogPathText(const CatalogItem* item);

class ResultModel;
// Shows `model` in `view` as a result list: whole rows selected, one line a row, no grid.
void SetUpResultView(QTableView* view, ResultModel* model);

class ResultModel : public QAbstractTableModel, private DocumentObserver {
    Q_OBJECT
  public:
    // Follows `document` (which, with `definitions`, must outlive the model) so that the rows of
    // deleted items go away.
    ResultModel(CatalogDocument& document, const CatalogDefinitions& definitions,
                RowSettings settings, std::vector<ListColumn> columns, QObject* parent = nullptr);
    ~ResultModel() override;

    const std::vector<ListColumn>& columns() const { return columns_; }
    // New columns; every row's texts are made again.
    void setColumns(std::vector<ListColumn> columns);

    void clear();
    // Appends one row per item, all with `shade`.
    void append(std::span<const CatalogItem* const> items, uint8_t shade = 0);
    size_t size() const { return rows_.size(); }
    const CatalogItem* item(int row) const { return rows_[size_t(row)].item; }
    uint8_t shade(int row) const { return rows_[size_t(row)].shade; }
    QString text(int row, int column) const;

    // Thumbnails (attribute 0xC5) as row icons, decoded when a row is first drawn.
    void setShowThumbnails(bool on);

    // The rows as the print/export dialog takes them.
    ListTable table() const;
    // Hands the rows to the print/export dialog under `listName` (the context's hook when it has
    // one), with the widths `view` shows.
    void printExport(const std::string& listName, QTableView* view, Prompter& prompter,
                     const std::function<void(const ListTable&, const std::string&, QWidget*)>& hook) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Sizes and dates sort by value, other columns by their text ignoring case.
    void sort(int column, Qt::SortOrder order) override;

  signals:
    // Rows were dropped because their items left the catalog.
    void rowsDropped();

  private:
    struct Row {
        const CatalogItem* item = nullptr;
        uint8_t shade = 0;
        std::vector<std::string> cells;
    };
    Row makeRow(const CatalogItem& item, uint8_t shade);
    void dropSubtree(const CatalogItem& top);

    void itemRemoving(CatalogItem& item) override;
    void itemChanged(CatalogItem& item) override;
    void reset() override;

    CatalogDocument& document_;
    std::unique_ptr<RowBuilder> builder_;
    std::vector<ListColumn> columns_;
    std::vector<Row> rows_;
    bool showThumbnails_ = false;
    mutable QHash<const CatalogItem*, QPixmap> thumbnails_;
};

}  // namespace shelfmark::search
