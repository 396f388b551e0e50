#include "catalog/ui/ExtraInfoPage.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "catalog/CatalogDocument.h"
#include "catalog/DeleteOperations.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

uint8_t KeyOf(const QTreeWidgetItem* row) {
    return static_cast<uint8_t>(row->data(0, Qt::UserRole).toUInt());
}

}  // namespace

ExtraInfoPage::ExtraInfoPage(const CatalogDocument& document,
                             std::span<const CatalogItem* const> items, Prompter& prompter,
                             QWidget* parent)
    : QWidget(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("Sht_ExtraInfo"));
    SetTextSection(this, "Sht_ExtraInfo");
    SetTextKey(this, 0);
    const CatalogItem* root = document.tree().root();
    names_.reload(*root);
    for (const ExtraDefinition& definition : ExtraDefinitionsOf(*root))
        userKeys_.push_back(definition.key);
    if (items.size() == 1)
        item_ = items.front();

    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setHeaderLabels({StringsText(73), StringsText(217)});
    list_->setColumnWidth(0, 110);
    list_->header()->setStretchLastSection(true);
    list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::SelectedClicked);
    layout->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    add_ = new QPushButton(DialogText("Dlg_Common", 6), this);
    delete_ = new QPushButton(DialogText("Dlg_Common", 2), this);
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(add_, &QPushButton::clicked, this, &ExtraInfoPage::addFromMenu);
    connect(delete_, &QPushButton::clicked, this,
            [this] { deleteSelected(!(QApplication::keyboardModifiers() & Qt::ShiftModifier)); });
    connect(list_, &QTreeWidget::itemChanged, this, [this] { changed_ = true; });

    if (items.size() > 1) {
        // Several items: nothing is listed, but fields added here go to all of them.
        list_->setToolTip(DialogText("Sht_ExtraInfo", 1));
    }
    if (item_ != nullptr) {
        const QSignalBlocker quiet(list_);
        for (const ExtraInfoRow& row : ExtraInfoRowsOf(*item_)) {
            listedKeys_.push_back(row.key);
            addRow(row.key, ToQString(row.text));
        }
    }
    changed_ = false;
}

QString ExtraInfoPage::fieldName(uint8_t key) const {
    if (key == attr::Thumbnail)
        return StringsText(255);
    return ToQString(names_.extraName(key));
}

std::vector<uint8_t> ExtraInfoPage::addableKeys() const {
    std::vector<uint8_t> shown;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        shown.push_back(KeyOf(list_->topLevelItem(i)));
    std::vector<uint8_t> keys;
    auto offer = [&](uint8_t key) {
        if (std::find(shown.begin(), shown.end(), key) == shown.end())
            keys.push_back(key);
    };
    // The thumbnail comes from reading a disk, never from typing.
    for (const BuiltinExtraField& field : BuiltinExtraFields())
        if (field.key != attr::Thumbnail)
            offer(field.key);
    for (const uint8_t key : userKeys_)
        offer(key);
    return keys;
}

QTreeWidgetItem* ExtraInfoPage::addRow(uint8_t key, const QString& text) {
    auto* row = new QTreeWidgetItem(list_);
    row->setText(0, fieldName(key));
    row->setData(0, Qt::UserRole, key);
    if (key != attr::Thumbnail) {
        row->setText(1, text);
        row->setFlags(row->flags() | Qt::ItemIsEditable);
    }
    changed_ = true;
    return row;
}

void ExtraInfoPage::addFromMenu() {
    QMenu menu(this);
    for (const uint8_t key : addableKeys()) {
        QAction* action = menu.addAction(fieldName(key));
        connect(action, &QAction::triggered, this, [this, key] {
            QTreeWidgetItem* row = addRow(key);
            list_->setCurrentItem(row);
            list_->editItem(row, 1);
        });
    }
    menu.exec(add_->mapToGlobal(QPoint(0, add_->height())));
}

bool ExtraInfoPage::deleteSelected(bool askFirst) {
    const QList<QTreeWidgetItem*> rows = list_->selectedItems();
    if (rows.isEmpty())
        return false;
    if (askFirst && !prompter_.askYesNo(DeleteQuestion(static_cast<size_t>(rows.size()),
                                                       ToUtf8(rows.front()->text(0)))))
        return false;
    qDeleteAll(rows);
    changed_ = true;
    return true;
}

ExtraInfoChange ExtraInfoPage::change() const {
    ExtraInfoChange change;
    change.listedKeys = listedKeys_;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list_->topLevelItem(i);
        change.rows.push_back({KeyOf(row), ToUtf8(row->text(1).trimmed())});
    }
    if (item_ != nullptr) {
        if (const auto jpeg = item_->blockAttribute(attr::Thumbnail)) {
            std::vector<uint8_t> bytes(jpeg->begin(), jpeg->end());
            change.thumbnail = [bytes]() -> std::optional<std::vector<uint8_t>> { return bytes; };
        }
    }
    return change;
}

EditStatus ExtraInfoPage::apply(CatalogDocument& document,
                                std::span<CatalogItem* const> items) const {
    if (!changed_)
        return EditStatus::Unchanged;
    return ApplyExtraInfo(document, items, change());
}

}  // namespace shelfmark
