#include "lists/ui/ItemListWindow.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogPath.h"
#include "catalog/EditSupport.h"
#include "catalog/ui/CatalogBrowseDialog.h"
#include "foundation/LanguageTexts.h"
#include "foundation/NumberFormat.h"
#include "foundation/ProfileFile.h"
#include "foundation/ProfileUpdate.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"
#include "foundation/ui/DialogTexts.h"
#include "lists/SystemFileTypes.h"
#include "lists/ui/ExportListDialog.h"
#include "lists/ui/ListTableModel.h"
#include "lists/ui/ListWorker.h"
#include "lists/ui/ProfileDialogs.h"
#include "platform/settings/AppSettings.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark {
namespace {

constexpr std::string_view kSection = "Dlg_ItemList";
constexpr std::string_view kMenuSection = "Menu_ItemList";
constexpr std::string_view kLastProfile = "LastProfile";

// The row texts follow the desktop's display settings, and files are typed as the desktop
// types them.
RowSettings DisplayRowSettings(CatalogTree& tree) {
    UseSystemFileTypeNames();
    const AppSettings settings = AppSettings::Load(SettingsStore::Instance());
    tree.displaySettings().showDescription = settings.bShowDescription;
    RowSettings rows;
    rows.showDirectorySizes = settings.bShowDirectorySizes;
    rows.showByteSizes = settings.bShowByteSizes;
    rows.showDescriptionOverlay = settings.bShowDescriptionOverlay;
    return rows;
}

QString MenuText(int key) {
    // Menu texts carry their shortcut after a line break; the action shows only the text.
    return DialogText(kMenuSection, key).section(QLatin1Char('\n'), 0, 0);
}

}  // namespace

ItemListWindow::ItemListWindow(CatalogDocument& document, const CatalogItem* start, std::string_view profile,
                               Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      document_(document),
      start_(start != nullptr ? start : document.tree().root()),
      prompter_(prompter),
      profilePath_(UserItemListProfilePath()),
      worker_(new ListWorker(this)) {
    setObjectName(QStringLiteral("Dlg_ItemList"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);

    auto* profileRow = new QHBoxLayout;
    auto* profileLabel = SetTextKey(new QLabel(this), 2);
    profiles_ = new QComboBox(this);
    profiles_->setMinimumWidth(220);
    profileLabel->setBuddy(profiles_);
    auto* newButton = SetTextKey(new QPushButton(this), 3);
    auto* editButton = SetTextKey(new QPushButton(this), 4);
    auto* deleteButton = SetTextKey(new QPushButton(this), 5);
    profileRow->addWidget(profileLabel);
    profileRow->addWidget(profiles_, 1);
    profileRow->addWidget(newButton);
    profileRow->addWidget(editButton);
    profileRow->addWidget(deleteButton);
    layout->addLayout(profileRow);

    auto* startRow = new QHBoxLayout;
    startRow->addWidget(SetTextKey(new QLabel(this), 6));
    startLabel_ = new QLabel(this);
    startLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    startRow->addWidget(startLabel_, 1);
    auto* browseButton = SetTextKey(new QPushButton(this), 7);
    startRow->addWidget(browseButton);
    layout->addLayout(startRow);

    model_ = new ListTableModel(this);
    view_ = new QTableView(this);
    view_->setModel(model_);
    view_->setSortingEnabled(true);
    view_->horizontalHeader()->setSortIndicatorShown(true);
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view_->horizontalHeader()->setSectionsMovable(false);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setStretchLastSection(true);
    // A million rows stay quick: fixed row heights, no per-row header.
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setShowGrid(false);
    view_->setWordWrap(false);
    view_->setAlternatingRowColors(true);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(view_, 1);

    auto* bottom = new QHBoxLayout;
    status_ = new QLabel(this);
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    progress_->hide();
    bottom->addWidget(status_);
    bottom->addWidget(progress_, 1);
    bottom->addStretch();
    startButton_ = SetTextKey(new QPushButton(this), 0);
    startButton_->setDefault(true);
    exportButton_ = SetTextKey(new QPushButton(this), 8);
    auto* closeButton = new QPushButton(DialogText("Dlg_Common", 1), this);
    bottom->addWidget(startButton_);
    bottom->addWidget(exportButton_);
    bottom->addWidget(closeButton);
    layout->addLayout(bottom);
    idleOnly_ = {profiles_, newButton, editButton, deleteButton, browseButton, startButton_, exportButton_, view_};

    auto* exportAction = new QAction(MenuText(1), this);
    exportAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    addAction(exportAction);
    connect(exportAction, &QAction::triggered, this, &ItemListWindow::exportList);
    connect(view_, &QTableView::customContextMenuRequested, this, [this, exportAction](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(MenuText(0), this, [this] { this->start(); })->setEnabled(!building());
        menu.addAction(exportAction);
        menu.addSeparator();
        menu.addAction(MenuText(2), this, &ItemListWindow::newProfile);
        menu.addAction(MenuText(3), this, &ItemListWindow::editProfile);
        menu.addAction(MenuText(4), this, &ItemListWindow::deleteProfile);
        menu.exec(view_->viewport()->mapToGlobal(at));
    });
    connect(startButton_, &QPushButton::clicked, this, [this] { this->start(); });
    connect(exportButton_, &QPushButton::clicked, this, &ItemListWindow::exportList);
    connect(closeButton, &QPushButton::clicked, this, &ItemListWindow::reject);
    connect(newButton, &QPushButton::clicked, this, &ItemListWindow::newProfile);
    connect(editButton, &QPushButton::clicked, this, &ItemListWindow::editProfile);
    connect(deleteButton, &QPushButton::clicked, this, &ItemListWindow::deleteProfile);
    connect(browseButton, &QPushButton::clicked, this, &ItemListWindow::browse);
    connect(worker_, &ListWorker::progress, this, [this](qulonglong done, qulonglong total) {
        progress_->setRange(0, static_cast<int>(std::min<qulonglong>(std::max<qulonglong>(total, 1), INT32_MAX)));
        progress_->setValue(static_cast<int>(std::min<qulonglong>(done, INT32_MAX)));
    });
    connect(worker_, &ListWorker::finished, this, &ItemListWindow::finishBuild);

    SetTextKey(this, 1);
    ApplyDialogTexts(this, kSection);
    exportButton_->setEnabled(false);
    resize(760, 480);

    definitions_.reload(*document_.tree().root());
    builder_ = std::make_unique<RowBuilder>(document_.tree(), definitions_, DisplayRowSettings(document_.tree()));
    setStartItem(start_);
    loadProfiles(profile);
    autoStart_ = !profile.empty() && profiles_->currentIndex() >= 0 &&
                 text::EqualsNoCase(ToUtf8(profiles_->currentText()), profile);
}

ItemListWindow::~ItemListWindow() = default;

void ItemListWindow::Open(CatalogDocument& document, const CatalogItem* start, std::string_view profile,
                          Prompter& prompter, QWidget* parent) {
    ItemListWindow window(document, start, profile, prompter, parent);
    window.exec();
}

void ItemListWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (autoStart_) {
        autoStart_ = false;
        QTimer::singleShot(0, this, [this] { start(); });
    }
}

void ItemListWindow::setStartItem(const CatalogItem* item) {
    start_ = item;
    const bool root = item == document_.tree().root();
    startLabel_->setText(ToQString(root ? std::string(item->name()) : CatalogPathOf(*item)));
}

void ItemListWindow::loadProfiles(std::string_view select) {
    const ProfileFile file = LoadItemListProfiles(profilePath_);
    profiles_->clear();
    for (const std::string& name : ItemListProfileNames(file))
        profiles_->addItem(ToQString(name));
    const std::string wanted =
        !select.empty() ? std::string(select) : SettingsStore::Instance().getText(kItemListDlgSubKey, kLastProfile);
    if (!selectProfile(wanted) && profiles_->count() > 0)
        profiles_->setCurrentIndex(0);
}

bool ItemListWindow::selectProfile(std::string_view name) {
    for (int i = 0; i < profiles_->count(); ++i) {
        if (text::EqualsNoCase(ToUtf8(profiles_->itemText(i)), name)) {
            profiles_->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

std::optional<ItemListProfile> ItemListWindow::currentProfile() const {
    if (profiles_->currentIndex() < 0)
        return std::nullopt;
    return LoadItemListProfile(LoadItemListProfiles(profilePath_), ToUtf8(profiles_->currentText()));
}

bool ItemListWindow::start() {
    if (building())
        return false;
    const std::optional<ItemListProfile> profile = currentProfile();
    if (!profile) {
        prompter_.error(Str(176));
        return false;
    }
    SettingsStore::Instance().setText(kItemListDlgSubKey, kLastProfile, profile->name);
    SettingsStore::Instance().save();
    if (const ItemListProblem problem = CheckItemListProfile(*profile); problem != ItemListProblem::None) {
        prompter_.error(ItemListProblemText(problem));
        return false;
    }
    building_ = *profile;
    model_->setTable(nullptr);
    result_.reset();
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setBuilding(true);
    worker_->start(
        [this](const CancelFlag& cancel, const ListWorker::Progress& progress, Prompter&) {
            ItemListJob job;
            job.tree = &document_.tree();
            job.start = start_;
            job.profile = &building_;
            job.builder = builder_.get();
            job.cancel = &cancel;
            job.progress = [&progress](uint64_t done, uint64_t total) { progress(done, total); };
            ItemListResult result = BuildItemList(job);
            // Handed over with the end: the window reads it only after `finished`.
            result_ = std::move(result);
        },
        prompter_);
    return true;
}

void ItemListWindow::finishBuild() {
    setBuilding(false);
    if (!result_)
        return;
    model_->setTable(&result_->table);
    const std::vector<ListColumn>& columns = result_->table.columns();
    for (size_t c = 0; c < columns.size(); ++c)
        view_->setColumnWidth(static_cast<int>(c), columns[c].width);
    exportButton_->setEnabled(true);
    const std::string count = NumberFormat::User().format(static_cast<uint64_t>(result_->table.rowCount()));
    status_->setText(ToQString(FillPattern(ItemCountText(), "%d", count)));
}

bool ItemListWindow::building() const {
    return worker_->running();
}

void ItemListWindow::waitForList() {
    worker_->wait();
    QCoreApplication::sendPostedEvents(worker_);
}

void ItemListWindow::setBuilding(bool building) {
    for (QWidget* widget : idleOnly_)
        widget->setEnabled(!building);
    exportButton_->setEnabled(!building && result_.has_value());
    progress_->setVisible(building);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_->setText(building ? DialogText(kSection, 9) : QString());
}

QString ItemListWindow::statusText() const {
    return status_->text();
}

void ItemListWindow::reject() {
    if (building()) {
        worker_->askCancel(prompter_);
        return;
    }
    QDialog::reject();
}

void ItemListWindow::newProfile() {
    ItemListProfile fresh;
    fresh.files = true;
    ProfileSettingsDialog dialog(fresh, prompter_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ItemListProfile made = dialog.profile();
    UpdateProfileFile(profilePath_, [&made](ProfileFile& file) { SaveItemListProfile(file, made); });
    loadProfiles(made.name);
}

void ItemListWindow::editProfile() {
    const std::optional<ItemListProfile> profile = currentProfile();
    if (!profile) {
        prompter_.error(Str(176));
        return;
    }
    ProfileSettingsDialog dialog(*profile, prompter_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ItemListProfile edited = dialog.profile();
    UpdateProfileFile(profilePath_, [&](ProfileFile& file) {
        // A renamed profile leaves its old name.
        if (!text::EqualsNoCase(edited.name, profile->name))
            file.deleteSection(profile->name);
        SaveItemListProfile(file, edited);
    });
    loadProfiles(edited.name);
}

void ItemListWindow::deleteProfile() {
    if (profiles_->currentIndex() < 0)
        return;
    const std::string name = ToUtf8(profiles_->currentText());
    if (!prompter_.askYesNo(FillPattern(Str(33), "%s", name)))
        return;
    UpdateProfileFile(profilePath_, [&name](ProfileFile& file) { file.deleteSection(name); });
    loadProfiles({});
    if (profiles_->count() > 0)
        profiles_->setCurrentIndex(0);
}

void ItemListWindow::browse() {
    const CatalogItem* chosen =
        CatalogBrowseDialog::Choose(document_.tree(), ToUtf8(DialogText(kSection, 10)), start_, this);
    if (chosen != nullptr)
        setStartItem(chosen);
}

void ItemListWindow::exportList() {
    if (building() || !result_)
        return;
    const ListTable shown = model_->displayed();
    std::vector<int> widths;
    for (int c = 0; c < model_->columnCount(); ++c)
        widths.push_back(view_->columnWidth(c));
    ExportListDialog::Run(this, shown, document_.tree(), building_.name, prompter_, std::move(widths));
}

}  // namespace shelfmark
