// The item list of the main window: the children of the container chosen in the tree, in list
// order, one column per chosen column kind (ColumnDescriptors.h). Follows Qt's "Fetch More"
// example: the rows are known at once (one pass over the child list), but the view is handed
// them in chunks, so a folder of 100,000 files shows immediately.
//
// Kept current from the document's notifications with row-level insert, remove and change
// signals (no reset per change). When the shown container itself leaves the catalog the list
// empties and containerGone() tells the window.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "catalog/CatalogTree.h"
#include "catalog/DocumentObserver.h"

namespace shelfmark {

class CatalogDefinitions;
class CatalogDocument;
class ItemIcons;

struct ListDisplay {
    bool showDirectorySizes = true;  // bShowDirectorySizes
    bool showByteSizes = false;      // bShowByteSizes
    bool showItemColors = true;      // bShowItemColors
    bool equalizeMediaTypes = false; // bEqualizeMediaTypes
};

// One cell's text for an item, by column key: the pseudo-keys name, size, date, type and
// place, numbers, texts, categories, lengths and checksums.
std::string ItemCellText(const CatalogTree& tree, const CatalogItem& item, uint8_t key,
                         const ListDisplay& display, const CatalogDefinitions* definitions);

class ItemListModel : public QAbstractTableModel, private DocumentObserver {
    Q_OBJECT
  public:
    static constexpr int kFetchChunk = 4096;

    ItemListModel(CatalogDocument& document, const ItemIcons& icons,
                  const CatalogDefinitions* definitions, QObject* parent = nullptr);
    ~ItemListModel() override;

    // Shows the children of `container` (null: nothing).
    void setContainer(CatalogItem* container);
    CatalogItem* container() const { return container_; }

    // Column keys in display order, with their widths.
    void setColumns(std::vector<uint8_t> keys);
    const std::vector<uint8_t>& columns() const { return columns_; }
    void setDisplay(const ListDisplay& display);

    // Sort column (index into columns()) and direction; re-sorts the rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    CatalogItem* itemAt(int row) const;
    // The row of an item of the list (also past the fetched rows, which are fetched then); -1.
    int rowOf(const CatalogItem* item);
    // Every row, fetched or not (for Select All and totals).
    size_t totalRows() const { return items_.size(); }

  signals:
    void containerGone();
    void itemsDropped(const QMimeData* data, Qt::DropAction action, CatalogItem* target);

  private:
    ListSortKey sortKey() const;
    void loadRows();
    void fetchAll();
    int sortedPosition(const CatalogItem& item) const;
    void insertRow(CatalogItem& item);
    void removeRow(CatalogItem& item);

    void itemInserted(CatalogItem& item) override;
    void itemRemoving(CatalogItem& item) override;
    void itemMoving(CatalogItem& item, CatalogItem* newParent) override;
    void itemMoved(CatalogItem& item, CatalogItem* formerParent) override;
    void itemChanged(CatalogItem& item) override;
    void reset() override;

    CatalogDocument& document_;
    const ItemIcons& icons_;
    const CatalogDefinitions* definitions_;
    ListDisplay display_;
    CatalogItem* container_ = nullptr;
    std::vector<CatalogItem*> items_;  // every child in list order
    int fetched_ = 0;                  // rows handed to the view so far
    std::vector<uint8_t> columns_;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace shelfmark
