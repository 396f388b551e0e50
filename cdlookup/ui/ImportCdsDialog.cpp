#include "cdlookup/ui/ImportCdsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/TreeWalk.h"
#include "cdlookup/CddbSettings.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

constexpr char kSection[] = "Dlg_ImportCDs";
constexpr int kCaptionKey = 5;

bool IsUserFolder(const CatalogItem& item) {
    return item.isFolder() && !item.isDisk() && !item.isShortcut();
}

}  // namespace

ImportCdsDialog::ImportCdsDialog(CatalogDocument& document, SettingsStore& store,
                                 CatalogItem* target, Options options, QWidget* parent)
    : QDialog(parent),
      document_(document),
      store_(store),
      options_(std::move(options)),
      list_(new QTreeWidget(this)),
      selection_(SetTextKey(new QToolButton(this), 1)),
      settings_(SetTextKey(new QPushButton(this), 2)),
      folders_(new QComboBox(this)),
      newFolder_(SetTextKey(new QCheckBox(this), 4)),
      newFolderName_(new QLineEdit(this)),
      ok_(new QPushButton(DialogText("Dlg_Common", 0), this)) {
    SetTextKey(this, kCaptionKey);
    auto* listLabel = SetTextKey(new QLabel(this), 0);
    listLabel->setBuddy(list_);
    list_->setRootIsDecorated(false);
    list_->setHeaderHidden(true);
    list_->setColumnWidth(0, 244);
    // The rows are named by the disc name format as it stands when the dialog opens.
    entries_ = ListCdPlayerDiscs(CddbSettings::Load(store_).discFormat(), options_.iniPath);
    for (const CdPlayerEntry& entry : entries_) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, ToQString(entry.name));
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
    }

    auto* menu = new QMenu(selection_);
    menu->addAction(DialogText("Menu_Selection", 0), this,
                    [this] { setAllChecks([](bool) { return true; }); });
    menu->addAction(DialogText("Menu_Selection", 1), this,
                    [this] { setAllChecks([](bool) { return false; }); });
    menu->addAction(DialogText("Menu_Selection", 2), this,
                    [this] { setAllChecks([](bool checked) { return !checked; }); });
    selection_->setMenu(menu);
    selection_->setPopupMode(QToolButton::InstantPopup);
    connect(settings_, &QPushButton::clicked, this, [this] {
        if (options_.openAudioCdSettings)
            options_.openAudioCdSettings();
    });

    auto* folderLabel = SetTextKey(new QLabel(this), 3);
    folderLabel->setBuddy(folders_);
    fillFolders(target);
    newFolderName_->setEnabled(false);
    connect(newFolder_, &QCheckBox::toggled, newFolderName_, &QWidget::setEnabled);
    connect(newFolder_, &QCheckBox::toggled, this, &ImportCdsDialog::updateOk);
    connect(newFolderName_, &QLineEdit::textChanged, this, &ImportCdsDialog::updateOk);

    ok_->setDefault(true);
    auto* cancel = new QPushButton(DialogText("Dlg_Common", 1), this);
    connect(ok_, &QPushButton::clicked, this, &ImportCdsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(selection_);
    listButtons->addWidget(settings_);
    listButtons->addStretch();
    auto* targetGrid = new QGridLayout;
    targetGrid->addWidget(folderLabel, 0, 0);
    targetGrid->addWidget(folders_, 0, 1);
    targetGrid->addWidget(newFolder_, 1, 0);
    targetGrid->addWidget(newFolderName_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addWidget(list_, 1);
    layout->addLayout(listButtons);
    layout->addLayout(targetGrid);
    layout->addLayout(buttons);
    ApplyDialogTexts(this, kSection);
    resize(420, 380);
}

void ImportCdsDialog::fillFolders(CatalogItem* target) {
    CatalogItem* root = document_.tree().root();
    if (root == nullptr)
        return;
    folderItems_.push_back(root);
    // A locked folder offers no place: what went in would be hidden behind its password.
    WalkBelow(
        root, [](const CatalogItem& item) { return IsUserFolder(item); },
        [this](CatalogItem& item) {
            if (IsUserFolder(item) && !item.isLocked())
                folderItems_.push_back(&item);
            return true;
        });
    int chosen = 0;
    for (size_t i = 0; i < folderItems_.size(); ++i) {
        const CatalogItem& folder = *folderItems_[i];
        const QString indent(DepthBelowRoot(folder) * 4, QLatin1Char(' '));
        folders_->addItem(indent + ToQString(folder.name()));
        if (folderItems_[i] == target)
            chosen = int(i);
    }
    folders_->setCurrentIndex(chosen);
}

void ImportCdsDialog::updateOk() {
    ok_->setEnabled(!newFolder_->isChecked() || !newFolderName_->text().isEmpty());
}

void ImportCdsDialog::setAllChecks(const std::function<bool(bool)>& change) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list_->topLevelItem(i);
        row->setCheckState(0,
                           change(row->checkState(0) == Qt::Checked) ? Qt::Checked : Qt::Unchecked);
    }
}

void ImportCdsDialog::accept() {
    const int folder = folders_->currentIndex();
    if (!ok_->isEnabled() || folder < 0 || size_t(folder) >= folderItems_.size())
        return;
    CdPlayerImport request;
    request.target = folderItems_[size_t(folder)];
    if (newFolder_->isChecked())
        request.newFolder = ToUtf8(newFolderName_->text());
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->checkState(0) == Qt::Checked)
            request.discs.push_back(entries_[size_t(i)]);
    request.trackFormat = CddbSettings::Load(store_).trackFormat();
    request.iniPath = options_.iniPath;
    created_.clear();
    // A refused lock has already been reported; the dialog closes either way.
    ImportFromCdPlayer(document_, request, &created_);
    QDialog::accept();
}

}  // namespace shelfmark
