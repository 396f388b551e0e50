#include "app/ColumnsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CommandTable.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

ColumnsDialog::ColumnsDialog(const ColumnTable& table, uint16_t containerFlags,
                             std::span<const uint8_t> shown, QWidget* parent)
    : QDialog(parent), table_(table), containerFlags_(containerFlags) {
    setWindowTitle(ToQString(MenuEntryText(ToUtf8(DialogText("Menu_Mainframe", 27)))));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("columns"));
    auto* up = new QPushButton(DialogText("Dlg_Common", 7), this);
    auto* down = new QPushButton(DialogText("Dlg_Common", 8), this);
    auto* reset = new QPushButton(DialogText("Dlg_Common", 9), this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(DialogText("Dlg_Common", 0), QDialogButtonBox::AcceptRole);
    buttons->addButton(DialogText("Dlg_Common", 1), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(down, &QPushButton::clicked, this, [this] { move(1); });
    connect(reset, &QPushButton::clicked, this, [this] {
        fill(ColumnChoiceRows(table_, containerFlags_, DefaultMainColumns()));
    });

    auto* side = new QVBoxLayout;
    side->addWidget(up);
    side->addWidget(down);
    side->addSpacing(12);
    side->addWidget(reset);
    side->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(list_, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    fill(ColumnChoiceRows(table, containerFlags, shown));
    resize(360, 420);
}

void ColumnsDialog::fill(const std::vector<ColumnChoiceRow>& rows) {
    rows_ = rows;
    list_->clear();
    for (const ColumnChoiceRow& row : rows_) {
        const ColumnDescriptor& column = table_.row(row.row);
        auto* item = new QListWidgetItem(
            column.titleKey ? StringsText(column.titleKey) : ToQString(column.title), list_);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (!row.fixed)
            flags |= Qt::ItemIsUserCheckable;
        item->setFlags(flags);
        item->setCheckState(row.shown ? Qt::Checked : Qt::Unchecked);
    }
    list_->setCurrentRow(0);
}

void ColumnsDialog::move(int by) {
    const int from = list_->currentRow();
    const int to = from + by;
    // The name row stays first: nothing moves above it, and it does not move.
    if (from <= 0 || to <= 0 || to >= list_->count() || rows_[size_t(from)].fixed)
        return;
    list_->insertItem(to, list_->takeItem(from));
    std::swap(rows_[size_t(from)], rows_[size_t(to)]);
    list_->setCurrentRow(to);
}

std::vector<uint8_t> ColumnsDialog::chosen() const {
    std::vector<ColumnChoiceRow> rows = rows_;
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].shown = rows[i].fixed || list_->item(int(i))->checkState() == Qt::Checked;
    return ChosenColumns(rows);
}

}  // namespace shelfmark
