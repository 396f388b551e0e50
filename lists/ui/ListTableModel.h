// A Qt table model over a ListTable, in the style of Qt's "Simple Tree Model": the view asks
// for the cells it paints and the model answers from the table's text buffer, so a list of a
// million rows costs one index per row (the display order) and nothing per cell.
//
// Sorting by a column reorders only that index: sizes and dates by their values, other
// columns by their texts without regard to case.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "lists/ListTable.h"

namespace shelfmark {

class ListTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ListTableModel(QObject* parent = nullptr);

    // Shows `table` (which must outlive its use here) in its own order; null shows nothing.
    void setTable(const ListTable* table);
    const ListTable* table() const { return table_; }
    // The table row shown at `row`.
    size_t tableRow(int row) const { return order_[static_cast<size_t>(row)]; }
    // The rows in display order, as a table of their own (what Print/ Export writes).
    ListTable displayed() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  private:
    const ListTable* table_ = nullptr;
    std::vector<uint32_t> order_;
};

}  // namespace shelfmark
