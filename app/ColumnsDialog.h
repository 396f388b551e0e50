// The main list's column chooser: the rows ColumnChoiceRows offers, each with a tick box, in an
// order the user changes with Move Up / Move Down. The name row stays ticked and first. What
// is offered and how the ticks become columns is decided by catalog/ColumnChoice.h.
#pragma once

#include <QDialog>
#include <cstdint>
#include <span>
#include <vector>

#include "catalog/ColumnChoice.h"

class QListWidget;

namespace shelfmark {

class ColumnsDialog : public QDialog {
    Q_OBJECT

  public:
    ColumnsDialog(const ColumnTable& table, uint16_t containerFlags,
                  std::span<const uint8_t> shown, QWidget* parent = nullptr);

    // The columns to show as the dialog's rows stand now.
    std::vector<uint8_t> chosen() const;

  private:
    void fill(const std::vector<ColumnChoiceRow>& rows);
    void move(int by);

    const ColumnTable& table_;
    uint16_t containerFlags_;
    std::vector<ColumnChoiceRow> rows_;  // in the order shown; ticks read back from the widget
    QListWidget* list_ = nullptr;
};

}  // namespace shelfmark
