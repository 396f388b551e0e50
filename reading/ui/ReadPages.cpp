#include "reading/ui/ReadPages.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogPath.h"
#include "catalog/CatalogTree.h"
#include "catalog/EditSupport.h"
#include "catalog/FileTypeNames.h"
#include "catalog/ui/CatalogBrowseDialog.h"
#include "catalog/ui/CategoryDialogs.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ui/DialogTexts.h"
#include "reading/providers/DescriptionProviders.h"

namespace shelfmark {

namespace {

constexpr std::string_view kGeneral = "Sht_AddGeneral";
constexpr std::string_view kOptions = "Sht_AddOptions";
constexpr std::string_view kMoreOptions = "Sht_AddOptions2";
constexpr std::string_view kDescriptions = "Sht_AddDescriptions";

QString SerialText(uint32_t serial) {
    if (serial == 0)
        return {};
    return QStringLiteral("%1-%2")
        .arg(serial >> 16, 4, 16, QLatin1Char('0'))
        .arg(serial & 0xFFFF, 4, 16, QLatin1Char('0'))
        .toUpper();
}

QCheckBox* Box(QWidget* page, int key,
               std::vector<std::pair<bool ReadOptions::*, QCheckBox*>>& boxes,
               bool ReadOptions::*member) {
    auto* box = SetTextKey(new QCheckBox(page), key);
    boxes.emplace_back(member, box);
    return box;
}

QCheckBox* FindBox(const std::vector<std::pair<bool ReadOptions::*, QCheckBox*>>& boxes,
                   bool ReadOptions::*member) {
    for (const auto& [m, box] : boxes)
        if (m == member)
            return box;
    return nullptr;
}

QSpinBox* KilobyteSpin(QWidget* page) {
    auto* spin = new QSpinBox(page);
    spin->setRange(0, 2147483647);
    return spin;
}

}  // namespace

// ---- General ----------------------------------------------------------------------------------

GeneralReadPage::GeneralReadPage(CatalogDocument& document, CatalogItem* folder,
                                 const CatalogItem* disk, QWidget* parent)
    : QWidget(parent), document_(document), folder_(folder), disk_(disk) {
    setObjectName(QStringLiteral("Sht_AddGeneral"));
    SetTextSection(this, kGeneral);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    if (disk_ != nullptr) {
        auto* updated = new QLineEdit(
            ToQString(document.tree().pathText(disk_, pathmode::Display | pathmode::FolderChain)),
            this);
        updated->setReadOnly(true);
        updated->setObjectName(QStringLiteral("updatedDisk"));
        auto* updatedLabel = SetTextKey(new QLabel(this), 0);
        updatedLabel->setBuddy(updated);
        form->addRow(updatedLabel, updated);
    }
    auto* rootRow = new QHBoxLayout;
    root_ = new QLineEdit(this);
    auto* browse = SetTextKey(new QPushButton(this), 2);
    auto* refresh = SetTextKey(new QPushButton(this), 3);
    rootRow->addWidget(root_, 1);
    rootRow->addWidget(browse);
    rootRow->addWidget(refresh);
    auto* rootLabel = SetTextKey(new QLabel(this), 1);
    rootLabel->setBuddy(root_);
    form->addRow(rootLabel, rootRow);
    layout->addLayout(form);

    drives_ = new QTreeWidget(this);
    drives_->setRootIsDecorated(false);
    drives_->setHeaderLabels(
        {DialogText(kGeneral, 13),
         DialogText(kGeneral, 14).remove(QLatin1Char('&')).remove(QLatin1Char(':')),
         DialogText(kGeneral, 11), DialogText(kGeneral, 12)});
    drives_->setColumnWidth(0, 170);
    drives_->setColumnWidth(1, 80);
    drives_->setColumnWidth(2, 120);
    drives_->setMinimumHeight(90);
    drives_->setMaximumHeight(150);
    layout->addWidget(drives_);

    auto* fields = new QFormLayout;
    name_ = new QLineEdit(this);
    description_ = new QLineEdit(this);
    auto* targetRow = new QHBoxLayout;
    target_ = new QLineEdit(this);
    target_->setReadOnly(true);
    auto* chooseTarget = new QPushButton(QStringLiteral("..."), this);
    chooseTarget->setObjectName(QStringLiteral("chooseFolder"));
    chooseTarget->setMaximumWidth(40);
    targetRow->addWidget(target_, 1);
    targetRow->addWidget(chooseTarget);
    auto* idRow = new QHBoxLayout;
    diskId_ = new QLineEdit(this);
    diskId_->setValidator(new QIntValidator(0, 999999, diskId_));
    diskId_->setMaximumWidth(90);
    auto* categories = SetTextKey(new QPushButton(this), 7);
    rewritable_ = SetTextKey(new QCheckBox(this), 10);
    idRow->addWidget(diskId_);
    idRow->addWidget(categories);
    idRow->addWidget(rewritable_);
    idRow->addStretch();
    for (const auto& [key, widget] : {std::pair<int, QWidget*>{4, name_}, {5, description_}}) {
        auto* label = SetTextKey(new QLabel(this), key);
        label->setBuddy(widget);
        fields->addRow(label, widget);
    }
    auto* targetLabel = SetTextKey(new QLabel(this), 6);
    targetLabel->setBuddy(chooseTarget);
    fields->addRow(targetLabel, targetRow);
    auto* idLabel = SetTextKey(new QLabel(this), 8);
    idLabel->setBuddy(diskId_);
    fields->addRow(idLabel, idRow);
    layout->addLayout(fields);
    layout->addStretch();

    if (disk_ != nullptr) {
        // An update keeps the disk where it is; its fields start as they are.
        chooseTarget->setEnabled(false);
        name_->setText(ToQString(disk_->name()));
        description_->setText(ToQString(disk_->textAttribute(attr::Description).value_or("")));
        if (const auto id = disk_->numberAttribute(attr::DiskId))
            diskId_->setText(QString::number(*id));
        rewritable_->setChecked(disk_->flags() & itemflag::ReWritable);
        categories_ = CategoryIdsOf(*disk_);
    }
    setFolder(folder_);

    connect(browse, &QPushButton::clicked, this, &GeneralReadPage::browse);
    connect(refresh, &QPushButton::clicked, this, [this] { refreshDrives(ListDrives()); });
    connect(chooseTarget, &QPushButton::clicked, this, &GeneralReadPage::chooseFolder);
    connect(categories, &QPushButton::clicked, this, &GeneralReadPage::chooseCategories);
    connect(drives_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row) {
        if (row != nullptr)
            root_->setText(row->text(0));
    });
}

void GeneralReadPage::setFolder(CatalogItem* folder) {
    folder_ = folder;
    const CatalogItem* shown = disk_ != nullptr ? disk_->parent() : folder_;
    target_->setText(shown != nullptr ? ToQString(document_.tree().pathText(
                                            shown, pathmode::Display | pathmode::FolderChain))
                                      : QString());
}

void GeneralReadPage::refreshDrives(const std::vector<Volume>& volumes) {
    const QString typed = root_->text();
    drives_->clear();
    for (const Volume& volume : volumes) {
        auto* row = new QTreeWidgetItem(drives_);
        row->setText(0, ToQString(volume.mountPoint));
        // The kind of medium a read of this volume would catalogue, in the catalog's words.
        DriveFacts facts;
        facts.type = volume.type;
        row->setText(1, ToQString(MediaTypeText(ChooseMediaType(facts, ReadOptions()))));
        row->setText(2, ToQString(volume.label));
        row->setText(3, SerialText(volume.serial));
    }
    root_->setText(typed);
}

void GeneralReadPage::browse() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, DialogText(kGeneral, 9), root_->text());
    if (!folder.isEmpty())
        root_->setText(folder);
}

void GeneralReadPage::chooseFolder() {
    const std::string prompt = LanguageTexts::Instance().promptText(PromptId::SelectInsertFolder);
    if (CatalogItem* chosen = CatalogBrowseDialog::Choose(
            document_.tree(), prompt.substr(0, prompt.find('\n')), folder_, this))
        setFolder(chosen);
}

void GeneralReadPage::chooseCategories() {
    ItemCategoriesDialog dialog(document_, nullptr, document_.prompter(), this);
    if (categories_)
        for (const uint8_t id : *categories_)
            if (id != 0)
                dialog.setTicked(id, true);
    if (dialog.exec() == QDialog::Accepted)
        categories_ = dialog.chosen();
}

void GeneralReadPage::fill(ReadRequest& request) const {
    request.root = ToUtf8(root_->text().trimmed());
    if (disk_ != nullptr)
        request.diskToUpdate = CatalogPathOf(*disk_);
    else if (folder_ != nullptr && folder_ != document_.tree().root())
        request.folder = CatalogPathOf(*folder_);
    if (!name_->text().trimmed().isEmpty())
        request.name = ToUtf8(name_->text().trimmed());
    if (!description_->text().isEmpty() || disk_ != nullptr)
        request.description = ToUtf8(description_->text());
    if (!diskId_->text().isEmpty())
        request.diskId = diskId_->text().toUInt();
    if (categories_)
        request.categories = PackCategoryIds(*categories_);
    request.rewritable = rewritable_->isChecked();
}

// ---- Options ------------------------------------------------------------------------------------

OptionsReadPage::OptionsReadPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Sht_AddOptions"));
    SetTextSection(this, kOptions);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Box(this, 0, boxes_, &ReadOptions::bNoFiles));
    layout->addWidget(Box(this, 1, boxes_, &ReadOptions::bNoEmptyDirs));
    auto* filterRow = new QHBoxLayout;
    filter_ = SetTextKey(new QCheckBox(this), 2);
    extensions_ = new QLineEdit(this);
    extensions_->setPlaceholderText(QStringLiteral("jpg.png.mp3"));
    filterRow->addWidget(filter_);
    filterRow->addWidget(extensions_, 1);
    layout->addLayout(filterRow);
    connect(filter_, &QCheckBox::toggled, extensions_, &QWidget::setEnabled);
    auto* archives = SetTextKey(new QGroupBox(this), 3);
    auto* grid = new QGridLayout(archives);
    const std::pair<int, bool ReadOptions::*> kinds[] = {
        {4, &ReadOptions::bReadACEs}, {5, &ReadOptions::bReadCABs}, {6, &ReadOptions::bReadRARs},
        {7, &ReadOptions::bReadZIPs}, {8, &ReadOptions::bReadARJs}, {9, &ReadOptions::bReadJARs}};
    int i = 0;
    for (const auto& [key, member] : kinds) {
        grid->addWidget(Box(archives, key, boxes_, member), i / 3, i % 3);
        ++i;
    }
    grid->addWidget(Box(archives, 10, boxes_, &ReadOptions::bCheckEXEs), 2, 0, 1, 3);
    layout->addWidget(archives);
    layout->addWidget(Box(this, 11, boxes_, &ReadOptions::bEjectDisk));
    layout->addStretch();
}

void OptionsReadPage::show(const ReadOptions& options) {
    for (const auto& [member, box] : boxes_)
        box->setChecked(options.*member);
    extensions_->setText(ToQString(options.ExtList.text()));
    filter_->setChecked(!options.ExtList.text().empty());
    extensions_->setEnabled(filter_->isChecked());
}

void OptionsReadPage::store(ReadOptions& options) const {
    for (const auto& [member, box] : boxes_)
        options.*member = box->isChecked();
    options.ExtList =
        ExtensionList(filter_->isChecked() ? ToUtf8(extensions_->text()) : std::string());
}

QCheckBox* OptionsReadPage::box(bool ReadOptions::*member) const {
    return FindBox(boxes_, member);
}

// ---- More options -------------------------------------------------------------------------------

MoreOptionsReadPage::MoreOptionsReadPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Sht_AddOptions2"));
    SetTextSection(this, kMoreOptions);
    auto* layout = new QVBoxLayout(this);
    auto* mixed = SetTextKey(new QGroupBox(this), 0);
    auto* mixedLayout = new QVBoxLayout(mixed);
    mixedLayout->addWidget(Box(mixed, 1, boxes_, &ReadOptions::bCDExtraData));
    mixedLayout->addWidget(Box(mixed, 2, boxes_, &ReadOptions::bCDExtraAudio));
    layout->addWidget(mixed);

    auto addChecksum = [&](int titleKey, int calcKey, bool ReadOptions::*calc,
                           bool ReadOptions::*limit, QSpinBox*& spin) {
        auto* group = SetTextKey(new QGroupBox(this), titleKey);
        auto* groupLayout = new QVBoxLayout(group);
        groupLayout->addWidget(Box(group, calcKey, boxes_, calc));
        auto* limitRow = new QHBoxLayout;
        limitRow->addWidget(Box(group, 5, boxes_, limit));
        spin = KilobyteSpin(group);
        limitRow->addWidget(spin);
        limitRow->addWidget(SetTextKey(new QLabel(group), 6));
        limitRow->addStretch();
        groupLayout->addLayout(limitRow);
        layout->addWidget(group);
        return groupLayout;
    };
    QVBoxLayout* crc =
        addChecksum(3, 4, &ReadOptions::bCalcCRC32, &ReadOptions::bLimitCRC32Size, maxCrc_);
    crc->addWidget(Box(this, 7, boxes_, &ReadOptions::bStoreArchiveCRC32));
    addChecksum(8, 9, &ReadOptions::bCalcMD5, &ReadOptions::bLimitMD5Size, maxMd5_);
    layout->addStretch();
}

void MoreOptionsReadPage::show(const ReadOptions& options) {
    for (const auto& [member, box] : boxes_)
        box->setChecked(options.*member);
    maxCrc_->setValue(options.MaxCRC32Size);
    maxMd5_->setValue(options.MaxMD5Size);
}

void MoreOptionsReadPage::store(ReadOptions& options) const {
    for (const auto& [member, box] : boxes_)
        options.*member = box->isChecked();
    options.MaxCRC32Size = maxCrc_->value();
    options.MaxMD5Size = maxMd5_->value();
}

QCheckBox* MoreOptionsReadPage::box(bool ReadOptions::*member) const {
    return FindBox(boxes_, member);
}

// ---- Descriptions -------------------------------------------------------------------------------

DescriptionsReadPage::DescriptionsReadPage(DescriptionProviders& providers, QWidget* parent)
    : QWidget(parent), providers_(providers) {
    setObjectName(QStringLiteral("Sht_AddDescriptions"));
    SetTextSection(this, kDescriptions);
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels(
        {DialogText(kDescriptions, 0), DialogText(kDescriptions, 2), DialogText(kDescriptions, 1)});
    list_->setColumnWidth(0, 75);
    list_->setColumnWidth(1, 142);
    list_->setColumnWidth(2, 100);
    for (const DescriptionProvider& row : providers_.rows()) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, ToQString(row.extension));
        item->setText(1, ToQString(FileTypeName("file." + row.extension)));
        item->setText(2, ToQString(ProviderDisplayName(providers_.modules()[row.module])));
        item->setCheckState(0, Qt::Unchecked);
    }
    layout->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    configure_ = SetTextKey(new QPushButton(this), 5);
    about_ = new QPushButton(this);
    buttons->addWidget(configure_);
    buttons->addWidget(about_);
    buttons->addStretch();
    layout->addLayout(buttons);
    cddb_ = SetTextKey(new QCheckBox(this), 3);
    cdText_ = SetTextKey(new QCheckBox(this), 4);
    layout->addWidget(cddb_);
    layout->addWidget(cdText_);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
    connect(configure_, &QPushButton::clicked, this, [this] {
        const int row = list_->indexOfTopLevelItem(list_->currentItem());
        if (row >= 0)
            providers_.configure(providers_.rows()[static_cast<size_t>(row)]);
    });
    connect(about_, &QPushButton::clicked, this, [this] {
        const int row = list_->indexOfTopLevelItem(list_->currentItem());
        if (row >= 0)
            providers_.about(providers_.rows()[static_cast<size_t>(row)]);
    });
    updateButtons();
}

void DescriptionsReadPage::updateButtons() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    configure_->setEnabled(row >= 0);
    about_->setEnabled(row >= 0);
    const QString provider = row >= 0 ? list_->currentItem()->text(2) : QString();
    about_->setText(
        ToQString(FillPattern(ToUtf8(DialogText(kDescriptions, 6)), "%s", ToUtf8(provider))));
}

void DescriptionsReadPage::show(const ReadOptions& options) {
    providers_.applySelection(options);
    for (size_t i = 0; i < providers_.rows().size(); ++i)
        list_->topLevelItem(static_cast<int>(i))
            ->setCheckState(0, providers_.rows()[i].active ? Qt::Checked : Qt::Unchecked);
    cddb_->setChecked(options.bContactCDDB);
    cdText_->setChecked(options.bEnableCDText);
}

void DescriptionsReadPage::store(ReadOptions& options) const {
    for (size_t i = 0; i < providers_.rows().size(); ++i)
        providers_.setActive(
            i, list_->topLevelItem(static_cast<int>(i))->checkState(0) == Qt::Checked);
    providers_.storeSelection(options);
    options.bContactCDDB = cddb_->isChecked();
    options.bEnableCDText = cdText_->isChecked();
}

}  // namespace shelfmark
