#include "catalog/ui/SendToDialog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "catalog/CatalogDocument.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

constexpr std::string_view kSection = "Dlg_Sendto";

}  // namespace

SendToDialog::SendToDialog(CatalogDocument& document, std::span<CatalogItem* const> items,
                           InsertDiskDialog* insertDisk, QWidget* parent)
    : QDialog(parent),
      document_(document),
      insertDisk_(insertDisk),
      items_(items.begin(), items.end()),
      drives_(ListDrives()) {
    setObjectName(QStringLiteral("Dlg_Sendto"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SetTextKey(new QLabel(this), 1));
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({StringsText(73), DialogText(kSection, 2)});
    list_->setColumnWidth(0, 200);
    list_->setMinimumSize(440, 200);
    layout->addWidget(list_);
    auto* targetRow = new QHBoxLayout;
    target_ = new QLineEdit(this);
    auto* browse = SetTextKey(new QPushButton(this), 4);
    auto* targetLabel = SetTextKey(new QLabel(this), 3);
    targetLabel->setBuddy(target_);
    targetRow->addWidget(targetLabel);
    targetRow->addWidget(target_, 1);
    targetRow->addWidget(browse);
    layout->addLayout(targetRow);
    layout->addWidget(MakeOkCancelButtons(this));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QString(), target_->text());
        if (!folder.isEmpty())
            target_->setText(folder);
    });
    refill();
    SetTextKey(this, 0);
    ApplyDialogTexts(this, kSection);
}

void SendToDialog::refill() {
    list_->clear();
    for (const CatalogItem* item : items_) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, ToQString(document_.tree().displayName(item, false)));
        row->setText(1, ToQString(document_.tree().pathText(item, pathmode::Display)));
    }
}

void SendToDialog::remove(const CatalogItem* item) {
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    refill();
}

void SendToDialog::accept() {
    const std::string target = ToUtf8(target_->text().trimmed());
    if (target.empty()) {
        document_.prompter().error(Str(19));
        target_->setFocus();
        return;
    }
    result_ = SendToFolder(document_, items_, target, drives_, insertDisk_);
    if (result_.sent == 0 && !result_.cancelled)
        return;  // every item was refused (and reported): the user may choose again
    QDialog::accept();
}

}  // namespace shelfmark
