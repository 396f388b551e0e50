#include "cdlookup/ui/DiscEditorDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "cdlookup/DiscEditor.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

constexpr char kSection[] = "Dlg_CDDBDisc";
constexpr int kCaptionKey = 9;
constexpr int kItemTitle = 251;
constexpr int kTitleTitle = 220;

QLabel* BuddyLabel(QWidget* parent, int key, QWidget* buddy) {
    auto* label = SetTextKey(new QLabel(parent), key);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

DiscEditorDialog::DiscEditorDialog(DiscEditor& editor, QWidget* parent)
    : QDialog(parent),
      editor_(editor),
      category_(new QComboBox(this)),
      genre_(new QComboBox(this)),
      year_(new QLineEdit(this)),
      rows_(new QTreeWidget(this)),
      markerColumn_(new QWidget(this)),
      marker_(new QLabel(QStringLiteral(">"), markerColumn_)),
      artist_(new QLineEdit(this)),
      title_(new QLineEdit(this)),
      extended_(new QPlainTextEdit(this)),
      previous_(SetTextKey(new QPushButton(this), 7)),
      next_(SetTextKey(new QPushButton(this), 8)),
      ok_(new QPushButton(DialogText("Dlg_Common", 0), this)) {
    caption_ = DialogText(kSection, kCaptionKey);

    // Category: the server's names, sorted; a record's own category cannot be changed.
    for (const std::string& name : editor_.categories())
        category_->addItem(ToQString(name));
    category_->setCurrentIndex(category_->findText(ToQString(editor_.category())));
    category_->setEnabled(!editor_.categoryLocked());
    connect(category_, &QComboBox::activated, this, [this](int index) {
        editor_.chooseCategory(ToUtf8(category_->itemText(index)));
        updateCaption();
    });

    genre_->setEditable(true);
    genre_->setInsertPolicy(QComboBox::InsertAlphabetically);
    const QString genre = ToQString(editor_.disc().GetGenre() ? editor_.disc().GetGenre() : "");
    if (!genre.isEmpty())
        genre_->addItem(genre);
    genre_->setCurrentText(genre);
    connect(genre_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        editor_.setGenre(ToUtf8(text));
        updateCaption();
    });

    year_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), year_));
    year_->setText(ToQString(editor_.year()));
    year_->setMaximumWidth(60);
    connect(year_, &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.setYear(ToUtf8(text)); });

    rows_->setRootIsDecorated(false);
    rows_->setAllColumnsShowFocus(true);
    rows_->setHeaderLabels({StringsText(kItemTitle), StringsText(kTitleTitle)});
    rows_->setColumnWidth(0, 38);
    rows_->setColumnWidth(1, 195);
    for (int row = 0; row < editor_.rowCount(); ++row) {
        auto* item = new QTreeWidgetItem(rows_);
        item->setText(0, ToQString(editor_.rowItemText(row)));
        item->setText(1, ToQString(editor_.rowTitleText(row)));
    }
    markerColumn_->setFixedWidth(12);
    connect(rows_, &QTreeWidget::currentItemChanged, this, &DiscEditorDialog::rowChanged);
    connect(rows_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &DiscEditorDialog::placeMarker);
    connect(previous_, &QPushButton::clicked, this, [this] { move(-1); });
    connect(next_, &QPushButton::clicked, this, [this] { move(1); });
    connect(ok_, &QPushButton::clicked, this, &DiscEditorDialog::accept);
    auto* cancel = new QPushButton(DialogText("Dlg_Common", 1), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QFormLayout;
    top->addRow(BuddyLabel(this, 0, category_), category_);
    top->addRow(BuddyLabel(this, 1, genre_), genre_);
    top->addRow(BuddyLabel(this, 2, year_), year_);

    auto* details = SetTextKey(new QGroupBox(this), 3);
    auto* detailForm = new QFormLayout(details);
    detailForm->addRow(BuddyLabel(details, 4, artist_), artist_);
    detailForm->addRow(BuddyLabel(details, 5, title_), title_);
    detailForm->addRow(BuddyLabel(details, 6, extended_), extended_);

    auto* middle = new QHBoxLayout;
    middle->addWidget(markerColumn_);
    middle->addWidget(rows_, 1);
    middle->addWidget(details, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previous_);
    buttons->addWidget(next_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    ApplyDialogTexts(this, kSection);
    updateCaption();
    resize(620, 420);

    if (rows_->topLevelItemCount() > 0)
        rows_->setCurrentItem(rows_->topLevelItem(0));
}

int DiscEditorDialog::currentRow() const {
    return rows_->indexOfTopLevelItem(rows_->currentItem());
}

void DiscEditorDialog::rowChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (previous != nullptr)
        storeDetails(rows_->indexOfTopLevelItem(previous));
    const int row = rows_->indexOfTopLevelItem(current);
    loadDetails(row);
    const int last = rows_->topLevelItemCount() - 1;
    previous_->setEnabled(row > 0);
    next_->setEnabled(row >= 0 && row < last);
    // Return walks through the rows and closes on the last one.
    next_->setDefault(row < last);
    ok_->setDefault(row == last);
    placeMarker();
}

void DiscEditorDialog::storeDetails(int row) {
    if (row < 0)
        return;
    editor_.setDetails(
        row, {ToUtf8(artist_->text()), ToUtf8(title_->text()), ToUtf8(extended_->toPlainText())});
    refreshTitles(row);
    updateCaption();
}

void DiscEditorDialog::refreshTitles(int row) {
    // The disc's artist stands in for tracks without one: a change on row 0 shows on all rows.
    const int first = row == 0 ? 0 : row;
    const int end = row == 0 ? rows_->topLevelItemCount() : row + 1;
    for (int i = first; i < end; ++i)
        rows_->topLevelItem(i)->setText(1, ToQString(editor_.rowTitleText(i)));
}

void DiscEditorDialog::loadDetails(int row) {
    const DiscEditor::Details shown = row >= 0 ? editor_.details(row) : DiscEditor::Details{};
    artist_->setText(ToQString(shown.artist));
    title_->setText(ToQString(shown.title));
    extended_->setPlainText(ToQString(shown.extended));
}

void DiscEditorDialog::move(int step) {
    const int row = currentRow() + step;
    if (row < 0 || row >= rows_->topLevelItemCount())
        return;
    rows_->setCurrentItem(rows_->topLevelItem(row));
    artist_->setFocus();
}

void DiscEditorDialog::placeMarker() {
    QTreeWidgetItem* item = rows_->currentItem();
    if (item == nullptr) {
        marker_->hide();
        return;
    }
    const QRect rect = rows_->visualItemRect(item);
    const int centre = rows_->viewport()->mapTo(this, rect.center()).y() -
                       markerColumn_->mapTo(this, QPoint(0, 0)).y();
    marker_->adjustSize();
    marker_->move(0, centre - marker_->height() / 2);
    marker_->setVisible(rect.isValid() && centre >= 0 && centre <= markerColumn_->height());
}

void DiscEditorDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeMarker();
}

void DiscEditorDialog::updateCaption() {
    setWindowTitle(editor_.modified() ? caption_ + QStringLiteral(" *") : caption_);
}

void DiscEditorDialog::accept() {
    storeDetails(currentRow());
    editor_.setYear(ToUtf8(year_->text()));
    if (editor_.accept()) {
        QDialog::accept();
        return;
    }
    updateCaption();
    const int row = editor_.problemRow();
    if (row < 0) {
        (editor_.category().empty() ? static_cast<QWidget*>(category_) : year_)->setFocus();
        return;
    }
    rows_->setCurrentItem(rows_->topLevelItem(row));
    const DiscEditor::Details shown = editor_.details(row);
    (row == 0 && shown.artist.empty() ? artist_ : title_)->setFocus();
}

}  // namespace shelfmark
