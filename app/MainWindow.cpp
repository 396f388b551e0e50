#include "app/MainWindow.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QWindowStateChangeEvent>
#include <QInputDialog>
#include <QMimeDatabase>
#include <algorithm>
#include <filesystem>

#include "app/ColumnsDialog.h"
#include "app/DragMime.h"
#include "app/FolderTreeModel.h"
#include "app/ItemInfoPage.h"
#include "app/ItemListModel.h"
#include "app/settings/SettingsDialog.h"
#include "catalog/CatalogPath.h"
#include "catalog/CopyPath.h"
#include "catalog/DeleteOperations.h"
#include "catalog/DiskOnInsert.h"
#include "catalog/EditSupport.h"
#include "catalog/EmptyOperations.h"
#include "catalog/FolderOperations.h"
#include "catalog/LendOperations.h"
#include "catalog/MoveCopyOperations.h"
#include "catalog/OpenOnMedium.h"
#include "catalog/PasswordOperations.h"
#include "catalog/RenameOperations.h"
#include "catalog/UnlockOnOpen.h"
#include "catalog/ui/CatalogBrowseDialog.h"
#include "catalog/ui/CatalogFileDialogs.h"
#include "catalog/ui/CategoryDialogs.h"
#include "catalog/ui/InsertDiskWindow.h"
#include "catalog/ui/LendDialog.h"
#include "catalog/ui/NameDialogs.h"
#include "catalog/ui/PasswordDialogs.h"
#include "catalog/ui/PropertiesDialog.h"
#include "catalog/ui/SendToDialog.h"
#include "catalog/ui/DatabaseImportDialog.h"
#include "catalog/ui/StatisticsWindow.h"
#include "catalog/ui/UserExtraInfoDialog.h"
#include "catalog/ui/VolumeRelay.h"
#include "catalog/ui/XmlExportDialog.h"
#include "cdlookup/ui/AudioCdSettingsPage.h"
#include "cdlookup/ui/CddbDialog.h"
#include "cdlookup/ui/CddbSettingsPage.h"
#include "cdlookup/ui/ImportCdsDialog.h"
#include "cdlookup/ui/UpdateCheckRunner.h"
#include "exchange/ui/ForeignImportDialog.h"
#include "exchange/ui/NcduExportDialog.h"
#include "lists/ItemListProfile.h"
#include "lists/RowBuilder.h"
#include "lists/ui/ItemListWindow.h"
#include "lists/ui/ExportListDialog.h"
#include "platform/update/UpdateCheck.h"
#include "search/SearchWindowState.h"
#include "search/ui/DuplicatesWindow.h"
#include "search/ui/ResultModel.h"
#include "search/ui/SearchWindow.h"
#include "reading/ui/AddDiskDialog.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ui/DialogTexts.h"
#include "platform/desktop/DesktopApplications.h"
#include "platform/desktop/DesktopOpen.h"
#include "platform/volumes/VolumeWatcher.h"
#include "platform/volumes/Volumes.h"

namespace shelfmark {

// The document keeps one prompter for its life; this one hands each message to whichever
// prompter the window uses now (the message boxes, or a test's script).
class MainWindow::ForwardingPrompter : public Prompter {
  public:
    Prompter* target = nullptr;
    PromptAnswer show(const PromptMessage& message) override { return target->show(message); }
    PromptAnswer showHint(PromptHint& hint) override { return target->showHint(hint); }
    std::optional<std::string> askText(const TextRequest& request) override {
        return target->askText(request);
    }
};

// Hears the document's changes that concern the window as a whole.
class MainWindow::Observer : public DocumentObserver {
  public:
    explicit Observer(MainWindow& window) : window_(window) {}
    void itemInserted(CatalogItem&) override { window_.scheduleRefresh(); }
    void itemRemoved(CatalogItem*, CatalogItem*) override { window_.scheduleRefresh(); }
    void itemMoved(CatalogItem&, CatalogItem*) override { window_.scheduleRefresh(); }
    void itemChanged(CatalogItem&) override { window_.scheduleRefresh(); }
    void reset() override { window_.scheduleRefresh(); }
    void modifiedChanged(bool) override { window_.updateTitle(); }

  private:
    MainWindow& window_;
};

namespace {

constexpr std::string_view kMain = "Menu_Mainframe";
constexpr std::string_view kCategoriesProfile = "Categories.tkp";
constexpr int kMaxRecentFiles = 16;
constexpr std::string_view kRecentFileList = "Recent File List";
constexpr int kLoadingKey = 21;

QString Q(std::string_view text) {
    return ToQString(text);
}

}  // namespace

MainWindow::MainWindow(WindowContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)) {
    qtPrompter_ = std::make_unique<QtPrompter>(this);
    forward_ = std::make_unique<ForwardingPrompter>();
    forward_->target = qtPrompter_.get();
    prompter_ = qtPrompter_.get();
    createDocument();
    loadRecentFiles();
    createViews();
    createActions();
    createMenus();
    createToolBar();
    createTray();
    restoreWindowState();
    applySettings(context_.settings, context_.window);
    setAcceptDrops(false);
    updateTitle();
    updateActions();
    updateSelectionViews();
    if (context_.watchVolumes && context_.settings.bAddDiskOnInsert) {
        // The decision is the window's: the watcher's thread only hands the change over.
        volumeRelay_ = std::make_unique<VolumeRelay>([this](const VolumeChange& change) {
            if (change.kind == VolumeChange::Kind::Arrived)
                volumeArrived(change.volume);
        });
        volumes_ = std::make_unique<VolumeWatcher>(volumeRelay_->listener());
        std::string error;
        if (!volumes_->start(error))
            volumes_.reset();
    }
    // The search windows keep their places and recent searches in the settings store; without
    // one (a test's window) they stay closed.
    if (context_.store) {
        searchSlots_ = std::make_unique<search::SearchWindowSlots>();
        searchContext_ = std::make_unique<search::SearchWindowContext>(search::SearchWindowContext{
            .document = *document_,
            .definitions = definitions_,
            .settings = *context_.store,
            .windowSlots = *searchSlots_,
            .prompter = *forward_,
            .openContainer = [this]() -> const CatalogItem* { return listModel_->container(); },
            .setMainWindowBusy = [this](bool running) { setSearchRunning(running); },
            .openItemList =
                [this](const CatalogItem& container, const std::string& profile) {
                    ItemListWindow::Open(*document_, &container, profile, *forward_, this);
                },
            .itemListProfiles =
                [] { return ItemListProfileNames(LoadItemListProfiles(UserItemListProfilePath())); },
            .printExport = [this](const ListTable& rows, const std::string& listName,
                                  QWidget* parent) { printExportRows(rows, listName, parent); },
        });
        updateCheck_ = std::make_unique<UpdateCheckRunner>(*forward_);
    }
    connect(this, &MainWindow::searchRequested, this, [this](const QString& text) {
        activate();
        openSearchWindow(text);
    });
}

MainWindow::~MainWindow() {
    // No change may reach the window while it is taken apart: the watcher stops, then the relay
    // goes with the changes it still holds.
    volumes_.reset();
    volumeRelay_.reset();
    // Search windows observe the document and hold its slots: they go before both.
    for (search::SearchWindow* window : findChildren<search::SearchWindow*>())
        delete window;
    // The views outlive this class's members (QWidget's destructor hides them, and hiding asks
    // the models for header texts), and the models observe the document: both let go first.
    tree_->setModel(nullptr);
    details_->setModel(nullptr);
    iconList_->setModel(nullptr);
    delete treeModel_;
    delete listModel_;
    if (document_)
        document_->removeObserver(observer_.get());
}

void MainWindow::setPrompter(Prompter* prompter) {
    prompter_ = prompter ? prompter : qtPrompter_.get();
    forward_->target = prompter_;
}

void MainWindow::createDocument() {
    document_ = std::make_unique<CatalogDocument>(*forward_);
    observer_ = std::make_unique<Observer>(*this);
    document_->addObserver(observer_.get());
    definitions_.attach(*document_, std::string(kCategoriesProfile));
    InstallPasswordUndo(*document_);
    if (context_.store)
        passwords_ = std::make_unique<RememberedPasswords>(*context_.store);
    InstallUnlockOnOpen(*document_, passwords_.get(),
                        [this](const std::string& pathText) -> std::optional<std::string> {
                            bool remember = false;
                            const std::optional<EnterPasswordAnswer> answer =
                                EnterPasswordDialog::Asker(this)(pathText, false, remember);
                            if (!answer)
                                return std::nullopt;
                            return answer->password;
                        });
    document_->hooks().progress = [this](uint64_t done, uint64_t total) {
        statusBar()->showMessage(
            QStringLiteral("%1 %2%").arg(StringsText(kLoadingKey)).arg(total ? done * 100 / total : 0));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    InstallCatalogFileDialogs(*document_, this);
    // The old items are gone from here until the document's reset: the views let go of them
    // at once (a password prompt or the loading progress repaints them meanwhile).
    document_->hooks().emptied = [this] {
        if (treeModel_)
            treeModel_->detach();
        if (listModel_)
            listModel_->setContainer(nullptr);
    };
    document_->tree().resetToNewCatalog();
}

void MainWindow::createViews() {
    treeModel_ = new FolderTreeModel(*document_, icons_, this);
    listModel_ = new ItemListModel(*document_, icons_, &definitions_, this);

    tree_ = new QTreeView;
    tree_->setModel(treeModel_);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    tree_->setDragDropMode(QAbstractItemView::DragDrop);
    tree_->setDefaultDropAction(Qt::MoveAction);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->installEventFilter(this);

    details_ = new QTableView;
    details_->setModel(listModel_);
    details_->setShowGrid(false);
    details_->setSortingEnabled(true);
    details_->setWordWrap(false);
    details_->verticalHeader()->hide();
    details_->verticalHeader()->setDefaultSectionSize(details_->fontMetrics().height() + 6);
    details_->horizontalHeader()->setHighlightSections(false);
    details_->horizontalHeader()->setStretchLastSection(true);
    details_->setSelectionBehavior(QAbstractItemView::SelectRows);
    details_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    details_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    details_->setDragDropMode(QAbstractItemView::DragDrop);
    details_->setDefaultDropAction(Qt::MoveAction);
    details_->setContextMenuPolicy(Qt::CustomContextMenu);
    details_->installEventFilter(this);

    iconList_ = new QListView;
    iconList_->setModel(listModel_);
    iconList_->setSelectionModel(details_->selectionModel());
    iconList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    iconList_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    iconList_->setDragDropMode(QAbstractItemView::DragDrop);
    iconList_->setDefaultDropAction(Qt::MoveAction);
    iconList_->setContextMenuPolicy(Qt::CustomContextMenu);
    iconList_->setUniformItemSizes(true);
    iconList_->installEventFilter(this);

    info_ = new QTextBrowser;
    info_->setOpenLinks(false);

    right_ = new QStackedWidget;
    right_->addWidget(details_);
    right_->addWidget(iconList_);
    right_->addWidget(info_);

    splitter_ = new QSplitter;
    splitter_->addWidget(tree_);
    splitter_->addWidget(right_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);

    itemPane_ = new QLabel;
    statusBar()->addPermanentWidget(itemPane_);

    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::treeCurrentChanged);
    connect(details_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        updateSelectionViews();
        updateActions();
    });
    connect(listModel_, &QAbstractItemModel::modelReset, this, &MainWindow::updateSelectionViews);
    connect(listModel_, &QAbstractItemModel::rowsInserted, this, &MainWindow::updateSelectionViews);
    connect(listModel_, &QAbstractItemModel::rowsRemoved, this, &MainWindow::updateSelectionViews);
    connect(listModel_, &ItemListModel::containerGone, this, [this] {
        QTimer::singleShot(0, this, [this] { treeCurrentChanged(); });
    });
    connect(details_, &QAbstractItemView::activated, this, &MainWindow::listActivated);
    connect(iconList_, &QAbstractItemView::activated, this, &MainWindow::listActivated);
    connect(details_, &QWidget::customContextMenuRequested, this, &MainWindow::showListContextMenu);
    connect(iconList_, &QWidget::customContextMenuRequested, this,
            &MainWindow::showListContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, &MainWindow::showTreeContextMenu);
    connect(treeModel_, &FolderTreeModel::itemsDropped, this, &MainWindow::onItemsDropped);
    connect(listModel_, &ItemListModel::itemsDropped, this, &MainWindow::onItemsDropped);
    // Renaming in place: the views hand the new text to the model, which has no setData; the
    // rename goes through the operation instead.
    connect(tree_->itemDelegate(), &QAbstractItemDelegate::commitData, this, [this](QWidget* editor) {
        const QString text = editor->property("text").toString();
        if (CatalogItem* item = treeModel_->itemAt(tree_->currentIndex()))
            RenameItem(*document_, item, ToUtf8(text));
    });
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(details_),
                                    static_cast<QAbstractItemView*>(iconList_)}) {
        connect(view->itemDelegate(), &QAbstractItemDelegate::commitData, this,
                [this, view](QWidget* editor) {
                    const QString text = editor->property("text").toString();
                    if (CatalogItem* item = listModel_->itemAt(view->currentIndex().row()))
                        RenameItem(*document_, item, ToUtf8(text));
                });
    }
}

QAction* MainWindow::action(CommandId id) const {
    return actions_.at(id);
}

QAbstractItemView* MainWindow::listView() const {
    return listStyle_ == ListStyle::Details ? static_cast<QAbstractItemView*>(details_)
                                            : static_cast<QAbstractItemView*>(iconList_);
}

QString MainWindow::menuText(CommandId id) const {
    const CommandInfo& info = FindCommand(id);
    return Q(MenuEntryText(ToUtf8(DialogText(info.section, info.key))));
}

void MainWindow::createActions() {
    for (const CommandInfo& info : CommandTable()) {
        auto* action = new QAction(this);
        if (!info.shortcut.empty())
            action->setShortcut(QKeySequence(Q(info.shortcut)));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, id = info.id] { runCommand(id); });
        actions_[info.id] = action;
        addAction(action);
    }
    for (CommandId id : {CommandId::ToggleToolbar, CommandId::ToggleStatusBar,
                         CommandId::ShowDescriptions, CommandId::ItemInformation,
                         CommandId::AutoArrange})
        actions_[id]->setCheckable(true);
    auto* styles = new QActionGroup(this);
    for (CommandId id : {CommandId::LargeIcons, CommandId::SmallIcons, CommandId::ListStyle,
                         CommandId::Details}) {
        actions_[id]->setCheckable(true);
        styles->addAction(actions_[id]);
    }
    const auto themed = [this](CommandId id, const char* name, QStyle::StandardPixmap fallback) {
        actions_[id]->setIcon(QIcon::fromTheme(QLatin1String(name), style()->standardIcon(fallback)));
    };
    themed(CommandId::New, "document-new", QStyle::SP_FileIcon);
    themed(CommandId::Open, "document-open", QStyle::SP_DialogOpenButton);
    themed(CommandId::Save, "document-save", QStyle::SP_DialogSaveButton);
    themed(CommandId::ReadDisk, "media-optical", QStyle::SP_DriveCDIcon);
    themed(CommandId::UpdateDisk, "view-refresh", QStyle::SP_BrowserReload);
    themed(CommandId::CreateFolder, "folder-new", QStyle::SP_FileDialogNewFolder);
    themed(CommandId::Delete, "edit-delete", QStyle::SP_TrashIcon);
    themed(CommandId::Undo, "edit-undo", QStyle::SP_ArrowBack);
    themed(CommandId::Search, "edit-find", QStyle::SP_FileDialogContentsView);
    themed(CommandId::OneLevelUpward, "go-up", QStyle::SP_FileDialogToParent);
    themed(CommandId::Properties, "document-properties", QStyle::SP_FileDialogInfoView);
    themed(CommandId::Settings, "preferences-system", QStyle::SP_ComputerIcon);
    themed(CommandId::Details, "view-list-details", QStyle::SP_FileDialogDetailedView);
    themed(CommandId::ListStyle, "view-list-text", QStyle::SP_FileDialogListView);
    themed(CommandId::LargeIcons, "view-list-icons", QStyle::SP_FileDialogListView);
    themed(CommandId::ItemInformation, "dialog-information", QStyle::SP_MessageBoxInformation);
    actions_[CommandId::Delete]->setShortcuts({QKeySequence::Delete});
    retranslate();
}

void MainWindow::retranslate() {
    for (const CommandInfo& info : CommandTable()) {
        QAction* action = actions_[info.id];
        action->setText(menuText(info.id));
        const std::string prompt = LanguageTexts::Instance().promptText(info.prompt);
        const PromptParts parts = SplitPrompt(prompt);
        action->setStatusTip(Q(parts.statusText));
        action->setToolTip(parts.tooltip.empty() ? QString(action->text()).remove(QLatin1Char('&'))
                                                 : Q(parts.tooltip));
    }
}

QMenu* MainWindow::makeMenu(std::string_view section, int key) {
    return new QMenu(Q(MenuEntryText(ToUtf8(DialogText(section, key)))), this);
}

void MainWindow::createMenus() {
    using C = CommandId;
    const auto add = [this](QMenu* menu, std::initializer_list<C> ids) {
        for (C id : ids) {
            if (id == C(-1))
                menu->addSeparator();
            else
                menu->addAction(actions_[id]);
        }
    };
    constexpr C sep = C(-1);
    QMenu* file = makeMenu(kMain, 11);
    add(file, {C::New, C::Open, C::Save, C::SaveAs, sep});
    QMenu* import = file->addMenu(Q(MenuEntryText(ToUtf8(DialogText(kMain, 36)))));
    import->addAction(actions_[C::ImportDatabase]);
    import->addAction(actions_[C::ImportCdPlayer]);
    import->addAction(actions_[C::ImportOtherCatalogs]);
    add(file, {C::ExportDatabase, C::ExportXml, C::ExportNcdu, sep});
    recentMenu_ = file->addMenu(Q(MenuEntryText(ToUtf8(DialogText(kMain, 29)))));
    add(file, {sep, C::MinimizeToTray, C::Exit});

    QMenu* edit = makeMenu(kMain, 17);
    add(edit, {C::Undo, sep, C::Cut, C::Copy, C::Paste, C::CopyPath, sep, C::SelectAll, sep,
               C::Properties});

    QMenu* disk = makeMenu(kMain, 22);
    add(disk, {C::ReadDisk, C::UpdateDisk, C::AddDiskName, sep, C::CreateFolder, C::Rename,
               C::Delete, sep, C::CopyToFolder, C::MoveToFolder, C::CreateShortcuts,
               C::GoToTarget, sep, C::Lend, C::EmptyArchives, C::EmptyDisks, sep,
               C::ItemCategories, C::SetPassword, C::EnterPassword});

    QMenu* view = makeMenu(kMain, 23);
    add(view, {C::ToggleToolbar, C::ToggleStatusBar, sep, C::LargeIcons, C::SmallIcons,
               C::ListStyle, C::Details, C::ItemInformation, sep, C::ShowDescriptions, C::Columns,
               C::AutoArrange, sep, C::OneLevelUpward, C::Refresh});

    QMenu* tools = makeMenu(kMain, 24);
    add(tools, {C::Search, C::SearchDuplicates, sep, C::DiskList, C::ItemList, C::PrintExportList,
                C::Statistics, sep, C::Cddb, sep, C::Categories, C::ExtraInformation, sep, C::Settings});

    QMenu* help = makeMenu(kMain, 25);
    add(help, {C::CheckVersion, sep, C::About});

    for (QMenu* menu : {file, edit, disk, view, tools, help})
        menuBar()->addMenu(menu);
    updateRecentMenu();
}

void MainWindow::createToolBar() {
    using C = CommandId;
    QToolBar* bar = addToolBar(QStringLiteral("toolbar"));
    bar->setObjectName(QStringLiteral("mainToolBar"));
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    for (C id : {C::New, C::Open, C::Save, C(-1), C::ReadDisk, C::UpdateDisk, C(-1),
                 C::CreateFolder, C::Delete, C::Undo, C(-1), C::Search, C(-1), C::OneLevelUpward,
                 C::Details, C::ListStyle, C::LargeIcons, C::ItemInformation, C(-1),
                 C::Properties, C::Settings}) {
        if (id == C(-1))
            bar->addSeparator();
        else
            bar->addAction(actions_[id]);
    }
    // The toolbar's own menu (Menu_Ctrlbar): the bars to show.
    connect(bar, &QWidget::customContextMenuRequested, this, [this, bar](const QPoint& at) {
        QMenu menu;
        menu.addAction(actions_[CommandId::ToggleToolbar]);
        menu.addAction(actions_[CommandId::ToggleStatusBar]);
        menu.exec(bar->mapToGlobal(at));
    });
    actions_[C::ToggleToolbar]->setChecked(true);
    actions_[C::ToggleStatusBar]->setChecked(true);
    connect(actions_[C::ToggleToolbar], &QAction::toggled, bar, &QWidget::setVisible);
    connect(actions_[C::ToggleStatusBar], &QAction::toggled, statusBar(), &QWidget::setVisible);
}

void MainWindow::createTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        actions_[CommandId::MinimizeToTray]->setEnabled(false);
        return;
    }
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    auto* menu = new QMenu(this);  // Menu_Taskbar
    menu->addAction(actions_[CommandId::RestoreFromTray]);
    auto* exit = menu->addAction(Q(MenuEntryText(ToUtf8(DialogText("Menu_Taskbar", 1)))));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    tray_->setContextMenu(menu);
    tray_->setToolTip(Q(kApplicationName));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
            activate();
    });
}

void MainWindow::activate() {
    if (tray_)
        tray_->hide();
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

// ---- Views and selection -------------------------------------------------------------------

CatalogItem* MainWindow::shownContainer() const {
    return listModel_->container();
}

void MainWindow::showContainer(CatalogItem* container) {
    const QModelIndex index = treeModel_->indexOf(container);
    if (!index.isValid())
        return;
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        tree_->expand(above);
    // The catalog root opens at once: its folders and disks are what the user looks for.
    if (!container->parent())
        tree_->expand(index);
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    if (listModel_->container() != container)
        treeCurrentChanged();
}

void MainWindow::selectInList(const std::vector<CatalogItem*>& items) {
    QItemSelection selection;
    for (CatalogItem* item : items) {
        const int row = listModel_->rowOf(item);
        if (row >= 0)
            selection.select(listModel_->index(row, 0),
                             listModel_->index(row, listModel_->columnCount() - 1));
    }
    details_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!selection.isEmpty()) {
        details_->selectionModel()->setCurrentIndex(selection.indexes().front(),
                                                    QItemSelectionModel::NoUpdate);
        listView()->scrollTo(selection.indexes().front());
    }
    listHadFocus_ = true;
    updateSelectionViews();
    updateActions();
}

std::vector<CatalogItem*> MainWindow::selectedItems() const {
    std::vector<CatalogItem*> items;
    if (listHadFocus_) {
        QModelIndexList rows = details_->selectionModel()->selectedRows();
        std::sort(rows.begin(), rows.end());
        for (const QModelIndex& index : rows) {
            if (CatalogItem* item = listModel_->itemAt(index.row()))
                items.push_back(item);
        }
        if (!items.empty())
            return items;
    }
    if (CatalogItem* item = treeModel_->itemAt(tree_->currentIndex()))
        items.push_back(item);
    return items;
}

void MainWindow::treeCurrentChanged() {
    CatalogItem* container = treeModel_->itemAt(tree_->currentIndex());
    listModel_->setContainer(container);
    listHadFocus_ = false;
    updateSelectionViews();
    updateActions();
}

void MainWindow::scheduleRefresh() {
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPending_ = false;
        updateSelectionViews();
        updateActions();
    });
}

QString MainWindow::itemPaneText() const {
    return itemPane_->text();
}

void MainWindow::updateSelectionViews() {
    std::vector<const CatalogItem*> selection;
    QModelIndexList rows = details_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    for (const QModelIndex& index : rows) {
        if (const CatalogItem* item = listModel_->itemAt(index.row()))
            selection.push_back(item);
    }
    const ListDisplay display = listDisplay();
    itemPane_->setText(
        SelectionStatusText(document_->tree(), listModel_->totalRows(), selection, display));
    if (!infoShown_)
        return;
    InfoPageInput input;
    input.tree = &document_->tree();
    input.selection = selection;
    input.columns = listModel_->columns();
    input.display = display;
    input.showDescription = context_.settings.bShowDescription;
    input.definitions = &definitions_;
    if (selection.size() == 1) {
        if (const auto jpeg = selection.front()->blockAttribute(attr::Thumbnail)) {
            QImage image;
            if (image.loadFromData(jpeg->data(), int(jpeg->size()), "JPEG")) {
                const QUrl url(QStringLiteral("thumbnail:preview"));
                info_->document()->addResource(QTextDocument::ImageResource, url, image);
                input.thumbnailSource = url.toString();
            }
        }
    }
    info_->setHtml(ItemInfoHtml(input));
}

ListDisplay MainWindow::listDisplay() const {
    ListDisplay display;
    display.showDirectorySizes = context_.settings.bShowDirectorySizes;
    display.showByteSizes = context_.settings.bShowByteSizes;
    display.showItemColors = context_.settings.bShowItemColors;
    display.equalizeMediaTypes = context_.settings.bEqualizeMediaTypes;
    return display;
}

void MainWindow::listActivated(const QModelIndex& index) {
    CatalogItem* item = listModel_->itemAt(index.row());
    if (!item)
        return;
    if (item->isContainer() && !item->isLocked()) {
        showContainer(item);
        return;
    }
    if (item->isShortcut()) {
        doGoToTarget();
        return;
    }
    doOpenItems();
}

void MainWindow::setListStyle(ListStyle style) {
    listStyle_ = style;
    switch (style) {
        case ListStyle::LargeIcons:
            iconList_->setViewMode(QListView::IconMode);
            iconList_->setIconSize(QSize(48, 48));
            iconList_->setGridSize(QSize(110, 80));
            iconList_->setWordWrap(true);
            iconList_->setFlow(QListView::LeftToRight);
            iconList_->setWrapping(true);
            actions_[CommandId::LargeIcons]->setChecked(true);
            break;
        case ListStyle::SmallIcons:
            iconList_->setViewMode(QListView::IconMode);
            iconList_->setIconSize(QSize(16, 16));
            iconList_->setGridSize(QSize(160, 24));
            iconList_->setWordWrap(false);
            iconList_->setFlow(QListView::LeftToRight);
            iconList_->setWrapping(true);
            actions_[CommandId::SmallIcons]->setChecked(true);
            break;
        case ListStyle::List:
            iconList_->setViewMode(QListView::ListMode);
            iconList_->setIconSize(QSize(16, 16));
            iconList_->setGridSize(QSize());
            iconList_->setFlow(QListView::TopToBottom);
            iconList_->setWrapping(true);
            actions_[CommandId::ListStyle]->setChecked(true);
            break;
        case ListStyle::Details:
            actions_[CommandId::Details]->setChecked(true);
            break;
    }
    iconList_->setMovement(QListView::Static);
    // The list style always flows into the new width; the icon views only with Auto arrange,
    // otherwise they keep their columns and the user scrolls.
    const bool arrange =
        style == ListStyle::List || actions_[CommandId::AutoArrange]->isChecked();
    iconList_->setResizeMode(arrange ? QListView::Adjust : QListView::Fixed);
    if (arrange)
        iconList_->doItemsLayout();
    setInfoViewShown(infoShown_);
}

void MainWindow::setInfoViewShown(bool shown) {
    infoShown_ = shown;
    actions_[CommandId::ItemInformation]->setChecked(shown);
    if (shown)
        right_->setCurrentWidget(info_);
    else
        right_->setCurrentWidget(listStyle_ == ListStyle::Details ? static_cast<QWidget*>(details_)
                                                                  : iconList_);
    updateSelectionViews();
}

void MainWindow::applySettings(const AppSettings& settings, const WindowSettings& window) {
    const bool languageChanged = settings.LanguageFile != context_.settings.LanguageFile;
    context_.settings = settings;
    context_.window = window;
    document_->tree().displaySettings().showDescription = settings.bShowDescription;
    document_->tree().displaySettings().showFullPath = settings.bShowFullPath;
    icons_.setSettings({settings.bShowTypespecificIcons, settings.bShowDescriptionOverlay});
    treeModel_->setDisplay({settings.bShowTreeDiskID, settings.bShowItemColors});
    listModel_->setDisplay(listDisplay());
    actions_[CommandId::ShowDescriptions]->setChecked(settings.bShowDescription);
    if (languageChanged) {
        retranslate();
        menuBar()->clear();
        createMenus();
    }
    while (int(recent_.size()) > std::max(0, settings.MRUCount))
        recent_.pop_back();
    updateRecentMenu();
    updateSelectionViews();
}

// ---- Title, actions, recent files -------------------------------------------------------

void MainWindow::updateTitle() {
    setWindowTitle(Q(kApplicationName) + QStringLiteral(" - ") + Q(document_->title()) +
                   QStringLiteral("[*]"));
    setWindowModified(document_->isModified());
}

void MainWindow::setSearchRunning(bool running) {
    searchesRunning_ = std::max(0, searchesRunning_ + (running ? 1 : -1));
    const bool inert = searchRunning();
    // Not setEnabled() on the whole window: that would disable its child windows, the
    // search windows among them.
    centralWidget()->setEnabled(!inert);
    menuBar()->setEnabled(!inert);
    for (QToolBar* bar : findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
        bar->setEnabled(!inert);
    updateActions();
}

void MainWindow::updateActions() {
    using C = CommandId;
    if (searchRunning()) {
        for (const CommandInfo& info : CommandTable())
            actions_[info.id]->setEnabled(false);
        return;
    }
    const bool reading = readRunning();
    for (const CommandInfo& info : CommandTable())
        actions_[info.id]->setEnabled(!(reading && info.edits));
    // The search windows and the lookups keep their state in the settings store.
    if (!context_.store)
        for (C id : {C::Search, C::SearchDuplicates, C::Cddb, C::ImportCdPlayer, C::CheckVersion})
            actions_[id]->setEnabled(false);
    if (updateCheck_ && updateCheck_->running())
        actions_[C::CheckVersion]->setEnabled(false);

    if (!tray_)
        actions_[C::MinimizeToTray]->setEnabled(false);
    const std::vector<CatalogItem*> items = selectedItems();
    const bool any = !items.empty();
    const bool notRoot = any && std::none_of(items.begin(), items.end(), [](const CatalogItem* i) {
        return i->parent() == nullptr;
    });
    const bool shortcut = items.size() == 1 && items.front()->isShortcut();
    const bool disk = items.size() == 1 && items.front()->isDisk();
    const auto set = [this, reading](C id, bool on) {
        actions_[id]->setEnabled(on && !(reading && FindCommand(id).edits));
    };
    set(C::Undo, document_->newestUndoStep() != nullptr);
    set(C::Delete, notRoot);
    set(C::Rename, items.size() == 1 && notRoot);
    set(C::Cut, notRoot);
    set(C::Copy, notRoot);
    set(C::CopyToFolder, notRoot);
    set(C::MoveToFolder, notRoot);
    set(C::CreateShortcuts, notRoot);
    set(C::GoToTarget, shortcut);
    set(C::UpdateDisk, disk);
    set(C::Lend, notRoot);
    set(C::Properties, any);
    set(C::ItemCategories, notRoot);
    set(C::SetPassword, any);
    set(C::EnterPassword, any);
    set(C::CopyPath, any);
    set(C::OpenItem, any);
    set(C::ExportXml, any);
    set(C::ExportDatabase, any);
    set(C::OneLevelUpward, shownContainer() && shownContainer()->parent());
    set(C::Paste, QApplication::clipboard()->mimeData() &&
                      QApplication::clipboard()->mimeData()->hasFormat(DragMimeType()));
}

void MainWindow::addRecentFile(const std::string& path) {
    std::erase(recent_, path);
    recent_.insert(recent_.begin(), path);
    const size_t keep = size_t(std::clamp(context_.settings.MRUCount, 0, kMaxRecentFiles));
    if (recent_.size() > keep)
        recent_.resize(keep);
    updateRecentMenu();
}

void MainWindow::loadRecentFiles() {
    recent_.clear();
    if (!context_.store)
        return;
    const int count = std::clamp(context_.settings.MRUCount, 0, kMaxRecentFiles);
    for (int number = 1; number <= count; ++number) {
        const std::string path =
            context_.store->getText(kRecentFileList, "File" + std::to_string(number));
        if (!path.empty())
            recent_.push_back(path);
    }
}

void MainWindow::saveRecentFiles() {
    if (!context_.store)
        return;
    context_.store->deleteSubKey(kRecentFileList);
    for (size_t i = 0; i < recent_.size(); ++i)
        context_.store->setText(kRecentFileList, "File" + std::to_string(i + 1), recent_[i]);
}

void MainWindow::updateRecentMenu() {
    if (!recentMenu_)
        return;
    recentMenu_->clear();
    int number = 1;
    for (const std::string& path : recent_) {
        QAction* entry = recentMenu_->addAction(
            QStringLiteral("&%1 %2").arg(number++).arg(Q(path)));
        entry->setStatusTip(Q(LanguageTexts::Instance().promptText(PromptId::RecentDatabase)));
        connect(entry, &QAction::triggered, this, [this, path] {
            if (document_->saveModified())
                openCatalog(path);
        });
    }
    recentMenu_->setEnabled(!recent_.empty());
}

// ---- Catalog files ----------------------------------------------------------------------

bool MainWindow::newCatalog() {
    if (readRunning() || !document_->saveModified())
        return false;
    document_->newCatalog();
    treeModel_->attach();
    updateTitle();
    showContainer(document_->tree().root());
    return true;
}

bool MainWindow::openCatalog(const std::string& path) {
    if (readRunning())
        return false;
    statusBar()->showMessage(StringsText(kLoadingKey));
    const bool opened = document_->openCatalogFile(path);
    statusBar()->clearMessage();
    if (opened)
        addRecentFile(path);
    updateTitle();
    showContainer(document_->tree().root());
    if (context_.settings.bSaveFolderStates)
        restoreFolderStates();
    return opened;
}

bool MainWindow::saveCatalog() {
    if (document_->path().empty()) {
        const std::optional<std::string> path = AskCatalogSavePath(this);
        return path && saveCatalogAs(*path);
    }
    const bool saved = document_->saveCatalogFile(document_->path());
    updateTitle();
    return saved;
}

bool MainWindow::saveCatalogAs(const std::string& path) {
    const bool saved = document_->saveCatalogFile(path);
    if (saved)
        addRecentFile(path);
    updateTitle();
    return saved;
}

// ---- Reading ----------------------------------------------------------------------------

CatalogItem* MainWindow::readDisk(const std::string& root, CatalogItem* diskToUpdate) {
    if (readDialogOpen_)
        return nullptr;
    AddDiskDialog::Target target;
    target.folder = diskToUpdate ? nullptr : targetFolder();
    target.diskToUpdate = diskToUpdate;
    target.root = root;
    readDialogOpen_ = true;
    updateActions();
    AddDiskDialog dialog(*document_, *forward_, target, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    const ReadResult result = accepted ? dialog.readResult() : ReadResult{};
    const bool lookUp = accepted && dialog.currentOptions().bContactCDDB;
    readDialogOpen_ = false;
    updateActions();
    if (result.disk) {
        if (context_.settings.bJumpToNewDisk && !result.update)
            showContainer(result.disk);
        if (context_.settings.bAutoSaveAddedDisk && !result.update && !document_->path().empty())
            saveCatalog();
        // An audio CD read with "contact CDDB" is looked up at once; the dialog closes itself.
        if (lookUp && result.disk->mediaType() == MediaType::AudioCd && context_.store)
            doCddb({result.disk}, true);
    }
    emit readFinished(result.disk);
    return result.disk;
}

void MainWindow::volumeArrived(const Volume& volume) {
    const InsertDecision decision =
        DecideOnInsert(document_->tree(), volume, context_.settings.bAddDiskOnInsert, readRunning());
    switch (decision.action) {
        case InsertDecision::Action::Nothing:
            break;
        case InsertDecision::Action::Known:
            showContainer(const_cast<CatalogItem*>(decision.disk));
            activate();
            break;
        case InsertDecision::Action::Read:
            activate();
            readDisk(volume.mountPoint);
            break;
    }
}

// ---- Commands ---------------------------------------------------------------------------

CatalogItem* MainWindow::targetFolder() const {
    CatalogItem* item = treeModel_->itemAt(tree_->currentIndex());
    while (item && !item->isFolder())
        item = item->parent();
    return item ? item : document_->tree().root();
}

void MainWindow::runCommand(CommandId id) {
    using C = CommandId;
    std::vector<CatalogItem*> items = selectedItems();
    switch (id) {
        case C::New:
            newCatalog();
            break;
        case C::Open:
            doOpen();
            break;
        case C::Save:
            saveCatalog();
            break;
        case C::SaveAs:
            doSaveAs();
            break;
        case C::Exit:
            close();
            break;
        case C::ImportDatabase:
            doImportDatabase();
            break;
        case C::ExportDatabase:
            doExportDatabase();
            break;
        case C::ExportXml:
            doExportXml();
            break;
        case C::Undo:
            document_->undo();
            break;
        case C::Cut:
            doCopyCut(true);
            break;
        case C::Copy:
            doCopyCut(false);
            break;
        case C::Paste:
            doPaste();
            break;
        case C::SelectAll:
            while (listModel_->canFetchMore({}))
                listModel_->fetchMore({});
            listView()->setFocus();
            details_->selectAll();
            listHadFocus_ = true;
            break;
        case C::CopyPath: {
            std::vector<const CatalogItem*> constItems(items.begin(), items.end());
            QApplication::clipboard()->setText(
                Q(CopyPathText(document_->tree(), constItems, ListDrives())));
            break;
        }
        case C::ReadDisk:
            readDisk();
            break;
        case C::UpdateDisk:
            if (items.size() == 1 && items.front()->isDisk())
                readDisk({}, items.front());
            break;
        case C::AddDiskName:
            DiskNameDialog::Run(*document_, targetFolder(), this);
            break;
        case C::CreateFolder:
            MakeFolderDialog::Run(*document_, targetFolder(), this);
            break;
        case C::Rename:
            doRename();
            break;
        case C::Delete:
            doDelete();
            break;
        case C::CopyToFolder:
            CopyToFolder(*document_, items, nullptr,
                         CatalogBrowseDialog::Chooser(document_->tree(), this));
            break;
        case C::MoveToFolder:
            MoveToFolder(*document_, items, nullptr,
                         CatalogBrowseDialog::Chooser(document_->tree(), this));
            break;
        case C::CreateShortcuts:
            CreateShortcuts(*document_, items, nullptr, context_.settings.bAddShortcutTo,
                            CatalogBrowseDialog::Chooser(document_->tree(), this));
            break;
        case C::GoToTarget:
            doGoToTarget();
            break;
        case C::Lend:
            LendDialog::Run(*document_, items, this);
            break;
        case C::EmptyArchives:
            EmptyItems(*document_, items, EmptyWhat::Archives);
            break;
        case C::EmptyDisks:
            EmptyItems(*document_, items, EmptyWhat::Disks);
            break;
        case C::OpenItem:
            doOpenItems();
            break;
        case C::SetPassword:
            SetPasswordDialog::Run(*document_, items, passwords_.get(), this);
            break;
        case C::EnterPassword:
            EnterPasswordDialog::Run(*document_, items, passwords_.get(), this);
            break;
        case C::Properties:
            PropertiesDialog::Run(*document_, items, this);
            break;
        case C::ItemCategories:
            ItemCategoriesDialog::Run(*document_, items, this);
            break;
        case C::Categories:
            CategoriesDialog::Run(*document_, this);
            break;
        case C::ExtraInformation:
            UserExtraInfoDialog::Run(*document_, this);
            break;
        case C::Search:
            emit searchRequested(QString());
            break;
        case C::Settings:
            doSettings();
            break;
        case C::ToggleToolbar:
        case C::ToggleStatusBar:
            break;  // the actions toggle the bars themselves
        case C::LargeIcons:
            setInfoViewShown(false);
            setListStyle(ListStyle::LargeIcons);
            break;
        case C::SmallIcons:
            setInfoViewShown(false);
            setListStyle(ListStyle::SmallIcons);
            break;
        case C::ListStyle:
            setInfoViewShown(false);
            setListStyle(ListStyle::List);
            break;
        case C::Details:
            setInfoViewShown(false);
            setListStyle(ListStyle::Details);
            break;
        case C::ItemInformation:
            setInfoViewShown(actions_[C::ItemInformation]->isChecked());
            break;
        case C::ShowDescriptions: {
            AppSettings changed = context_.settings;
            changed.bShowDescription = actions_[C::ShowDescriptions]->isChecked();
            applySettings(changed, context_.window);
            settingsChanged_ = true;
            break;
        }
        case C::Refresh:
            listModel_->setContainer(listModel_->container());
            break;
        case C::OneLevelUpward:
            doOneLevelUp();
            break;
        case C::MinimizeToTray:
            doMinimizeToTray();
            break;
        case C::RestoreFromTray:
            activate();
            break;
        case C::About:
            doAbout();
            break;
        case C::SearchDuplicates:
            doSearchDuplicates();
            break;
        case C::PrintExportList:
            doPrintExportList();
            break;
        case C::Cddb:
            doCddb(items, false);
            break;
        case C::ImportCdPlayer:
            doImportCdPlayer();
            break;
        case C::CheckVersion:
            doCheckVersion();
            break;
        case C::ImportOtherCatalogs:
            ForeignImportDialog::Run(*document_, targetFolder(), this);
            break;
        case C::ExportNcdu:
            NcduExportDialog::Run(document_->tree(), *commandContainer(), *prompter_, this);
            break;
        case C::Statistics:
            StatisticsWindow::Open(*document_, commandContainer(), this);
            break;
        case C::ItemList:
            ItemListWindow::Open(*document_, commandContainer(), {}, *forward_, this);
            break;
        case C::DiskList:
            ItemListWindow::Open(*document_, document_->tree().root(), kDiskListProfile, *forward_, this);
            break;
        case C::Columns:
            doColumns();
            break;
        case C::AutoArrange:
            setListStyle(listStyle_);
            break;
        case C::OpenWith:
            doOpenWith();
            break;
        case C::Sort:
            break;
    }
    updateActions();
}

void MainWindow::doOpen() {
    if (!document_->saveModified())
        return;
    const std::optional<std::string> path = AskCatalogOpenPath(this, context_.settings.OpenDirectory);
    if (!path)
        return;
    context_.settings.OpenDirectory = ToUtf8(QFileInfo(Q(*path)).absolutePath());
    settingsChanged_ = true;
    openCatalog(*path);
}

void MainWindow::doSaveAs() {
    const std::optional<std::string> path = AskCatalogSavePath(this, document_->path());
    if (!path)
        return;
    context_.settings.SaveDirectory = ToUtf8(QFileInfo(Q(*path)).absolutePath());
    settingsChanged_ = true;
    saveCatalogAs(*path);
}

void MainWindow::doRename() {
    // In place, as a file manager renames: the editor's text goes to the rename operation.
    const std::vector<CatalogItem*> items = selectedItems();
    if (items.size() != 1)
        return;
    const int row = listHadFocus_ ? listModel_->rowOf(items.front()) : -1;
    if (row >= 0) {
        const QModelIndex index = listModel_->index(row, 0);
        listView()->setCurrentIndex(index);
        listView()->edit(index);
    } else {
        tree_->edit(tree_->currentIndex());
    }
}

void MainWindow::doDelete() {
    const std::vector<CatalogItem*> items = selectedItems();
    if (items.empty())
        return;
    DeleteOptions options;
    // Shift+Del deletes without the question, as a file manager does.
    options.askFirst = !(QApplication::keyboardModifiers() & Qt::ShiftModifier);
    DeleteItems(*document_, items, options);
}

QMimeData* MainWindow::selectionMimeData() const {
    const std::vector<CatalogItem*> selected = selectedItems();
    return NewDragMimeData(*document_, {selected.begin(), selected.end()});
}

void MainWindow::doCopyCut(bool cut) {
    QApplication::clipboard()->setMimeData(selectionMimeData());
    cutPending_ = cut;
}

void MainWindow::doPaste() {
    const std::vector<CatalogItem*> items =
        DroppedItems(*document_, QApplication::clipboard()->mimeData());
    if (!items.empty())
        dropItems(items, targetFolder(), cutPending_ ? Qt::MoveAction : Qt::CopyAction);
    cutPending_ = false;
}

void MainWindow::onItemsDropped(const QMimeData* data, Qt::DropAction action,
                                CatalogItem* target) {
    const std::vector<CatalogItem*> items = DroppedItems(*document_, data);
    if (items.empty())
        return;
    // The drop menu (Menu_Drop) lets the user choose when no modifier decided.
    const Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    if (action == Qt::MoveAction && modifiers == Qt::NoModifier && askOnDrop_) {
        QMenu menu;
        QAction* copy = menu.addAction(DialogText("Menu_Drop", 0));
        QAction* move = menu.addAction(DialogText("Menu_Drop", 1));
        QAction* link = menu.addAction(DialogText("Menu_Drop", 2));
        QAction* sendTo = menu.addAction(DialogText("Menu_Drop", 4));
        menu.addSeparator();
        menu.addAction(DialogText("Menu_Drop", 3));
        menu.setDefaultAction(move);
        QAction* chosen = menu.exec(QCursor::pos());
        if (chosen == sendTo) {
            // The real files go to a folder of the file system; the catalog stays as it is.
            QTimer::singleShot(0, this, [this, items] {
                InsertDiskWindow insertDisk(this);
                SendToDialog dialog(*document_, items, &insertDisk, this);
                dialog.exec();
            });
            return;
        }
        if (chosen == copy)
            action = Qt::CopyAction;
        else if (chosen == link)
            action = Qt::LinkAction;
        else if (chosen != move)
            return;
    }
    // The drop ends after the view's drag loop; the catalog changes once it has returned.
    QTimer::singleShot(0, this, [this, items, target, action] { dropItems(items, target, action); });
}

void MainWindow::dropItems(const std::vector<CatalogItem*>& items, CatalogItem* target,
                           Qt::DropAction action) {
    switch (action) {
        case Qt::CopyAction:
            CopyToFolder(*document_, items, target);
            break;
        case Qt::LinkAction:
            CreateShortcuts(*document_, items, target, context_.settings.bAddShortcutTo);
            break;
        default:
            MoveToFolder(*document_, items, target);
            break;
    }
    updateActions();
}

void MainWindow::doGoToTarget() {
    const std::vector<CatalogItem*> items = selectedItems();
    if (items.size() != 1 || !items.front()->isShortcut())
        return;
    CatalogItem* target = document_->tree().resolveShortcut(items.front(), prompter_);
    if (!target)
        return;
    if (target->isContainer() && !target->parent()) {
        showContainer(target);
        return;
    }
    showContainer(target->parent());
    selectInList({target});
}

// ---- Search, lists, CD lookup -------------------------------------------------------------

search::SearchWindow* MainWindow::openSearchWindow(const QString& text) {
    if (!searchContext_)
        return nullptr;
    search::SearchWindow* window =
        search::SearchWindow::Open(*searchContext_, listModel_->container(), this, ToUtf8(text));
    if (!window)
        return nullptr;
    connect(window->resultView(), &QAbstractItemView::doubleClicked, this,
            [this, window](const QModelIndex& index) {
                if (const CatalogItem* item = window->results()->item(index.row())) {
                    showItem(*item);
                    activate();
                }
            });
    return window;
}

void MainWindow::showItem(const CatalogItem& item) {
    CatalogItem* parent = item.parent();
    if (!parent) {
        showContainer(document_->tree().root());
        return;
    }
    // The list model and the tree take the item as the document's own (non-const) pointer.
    CatalogItem* own = nullptr;
    for (CatalogItem* child = parent->firstChild(); child && !own; child = child->next())
        if (child == &item)
            own = child;
    if (!own)
        return;
    showContainer(parent);
    while (listModel_->rowOf(own) < 0 && listModel_->canFetchMore({}))
        listModel_->fetchMore({});
    selectInList({own});
    listView()->setFocus();
}

CatalogItem* MainWindow::commandContainer() const {
    const std::vector<CatalogItem*> items = selectedItems();
    if (items.size() == 1 && items.front()->isContainer())
        return items.front();
    CatalogItem* shown = listModel_->container();
    return shown ? shown : document_->tree().root();
}

void MainWindow::doSearchDuplicates() {
    if (searchContext_)
        search::DuplicatesWindow::Open(*searchContext_, listModel_->container(), this);
}

void MainWindow::printExportRows(const ListTable& rows, const std::string& listName, QWidget* parent) {
    ExportListDialog::Run(parent, rows, document_->tree(), listName, *forward_);
}

void MainWindow::doColumns() {
    const CatalogItem* container = listModel_->container();
    const uint16_t flags = container ? uint16_t(container->flags() & 0x7F) : itemflag::Folder;
    const std::vector<uint8_t> before = listModel_->columns();
    ColumnsDialog dialog(definitions_.columns(), flags, before, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::vector<uint8_t> after = dialog.chosen();
    if (after == before)
        return;
    // A column kept keeps the width the user gave it; a new one starts at the table's width.
    std::vector<int> widths;
    for (const uint8_t key : after) {
        const auto kept = std::find(before.begin(), before.end(), key);
        const ColumnDescriptor* column = definitions_.columns().findKey(key);
        widths.push_back(kept != before.end() ? details_->columnWidth(int(kept - before.begin()))
                         : column             ? column->width
                                              : 100);
    }
    listModel_->setColumns(after);
    for (size_t i = 0; i < widths.size(); ++i)
        details_->setColumnWidth(int(i), widths[i]);
}

void MainWindow::doPrintExportList() {
    // The rows as the list shows them now, every one of them (the view fetches lazily).
    while (listModel_->canFetchMore({}))
        listModel_->fetchMore({});
    if (listModel_->rowCount() == 0)
        return;
    ListTable rows(DescriptorColumns(listModel_->columns()));
    RowBuilder builder(document_->tree(), definitions_);
    for (int row = 0; row < listModel_->rowCount(); ++row)
        if (const CatalogItem* item = listModel_->itemAt(row))
            builder.appendRow(rows, *item);
    std::vector<int> widths;
    for (int column = 0; column < listModel_->columnCount(); ++column)
        widths.push_back(details_->columnWidth(column));
    ExportListDialog::Run(this, rows, document_->tree(), "Main", *forward_, std::move(widths));
}

void MainWindow::doCddb(const std::vector<CatalogItem*>& checked, bool autoStart) {
    CddbDialog::Options options;
    options.openCddbSettings = [this] { return doSettings(SettingsPage::Cddb); };
    options.toc.volumes = [] { return ListDrives(); };
    InsertDiskWindow insertDisk(this);
    options.toc.insertDialog = &insertDisk;
    CddbDialog dialog(*document_, *context_.store, checked, autoStart, std::move(options), this);
    dialog.exec();
}

void MainWindow::doImportCdPlayer() {
    ImportCdsDialog::Options options;
    options.openAudioCdSettings = [this] { doSettings(SettingsPage::AudioCd); };
    ImportCdsDialog dialog(*document_, *context_.store, targetFolder(), std::move(options), this);
    if (dialog.exec() == QDialog::Accepted && !dialog.created().empty()) {
        showContainer(dialog.created().front()->parent());
        selectInList(dialog.created());
    }
}

void MainWindow::doCheckVersion() {
    updateCheck_->start(UpdateUrl(*context_.store), [this] {
        std::string error;
        if (!OpenWithDefaultApplication(std::string(kHomePageUrl), error))
            prompter_->error(error);
    });
    connect(updateCheck_.get(), &UpdateCheckRunner::finished, this, &MainWindow::updateActions,
            Qt::UniqueConnection);
    updateActions();
}

void MainWindow::doOpenItems() {
    std::vector<CatalogItem*> items = selectedItems();
    InsertDiskWindow insertDisk(this);
    const OpenOnMediumResult result = OpenOnMedium(
        *document_, items, ListDrives(), &insertDisk,
        [](const std::string& path, std::string& error) {
            return OpenWithDefaultApplication(path, error);
        });
    if (result.containerToShow)
        showContainer(result.containerToShow);
}

void MainWindow::doOpenWith() {
    std::vector<CatalogItem*> items = selectedItems();
    if (items.empty())
        return;
    // The handlers of the first item's type, then those of the types it is a kind of (a C
    // source is also plain text), by the name alone: the medium may not be there yet.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(
        Q(items.front()->name()),
        QMimeDatabase::MatchExtension);
    const XdgFolders folders = XdgFolders::FromEnvironment();
    std::vector<DesktopApplication> applications;
    QStringList names;
    for (const QString& name : QStringList{type.name()} + type.allAncestors())
        for (DesktopApplication& application : ApplicationsForType(ToUtf8(name), folders)) {
            const bool known = std::any_of(
                applications.begin(), applications.end(),
                [&](const DesktopApplication& other) { return other.id == application.id; });
            if (known)
                continue;
            names << Q(application.name);
            applications.push_back(std::move(application));
        }
    if (applications.empty()) {
        // Nothing registered for the type: the desktop's opener asks the user, or says why not.
        doOpenItems();
        return;
    }
    bool chosen = false;
    const QString name = QInputDialog::getItem(
        this, Q(MenuEntryText(ToUtf8(actions_[CommandId::OpenWith]->text()))),
        Q(items.front()->name()),
        names, 0, false, &chosen);
    if (!chosen)
        return;
    const DesktopApplication application = applications[size_t(std::max<qsizetype>(0, names.indexOf(name)))];
    InsertDiskWindow insertDisk(this);
    const OpenOnMediumResult result = OpenOnMedium(
        *document_, items, ListDrives(), &insertDisk,
        [&application](const std::string& path, std::string& error) {
            return StartApplication(ExecArguments(application, path),
                                    std::filesystem::path(path).parent_path().string(), error);
        });
    if (result.containerToShow)
        showContainer(result.containerToShow);
}

void MainWindow::doExportDatabase() {
    const std::vector<CatalogItem*> items = selectedItems();
    if (items.empty())
        return;
    const QString path = QFileDialog::getSaveFileName(
        this, QString(), Q(context_.settings.SaveDirectory), QString::fromLatin1(kCatalogFileFilter));
    if (path.isEmpty())
        return;
    std::vector<const CatalogItem*> constItems(items.begin(), items.end());
    // The file dialog has asked before replacing a file.
    document_->exportSelection(constItems, ToUtf8(path), true);
}

void MainWindow::doImportDatabase() {
    DatabaseImportDialog::Run(*document_, targetFolder(), this);
}

void MainWindow::doExportXml() {
    const std::vector<CatalogItem*> items = selectedItems();
    if (items.empty())
        return;
    std::vector<const CatalogItem*> constItems(items.begin(), items.end());
    XmlExportDialog::Run(document_->tree(), constItems, *prompter_, this);
}

bool MainWindow::doSettings(SettingsPage page) {
    SettingsDialog dialog(context_.settings, context_.window, *prompter_, this, context_.store);
    if (page == SettingsPage::AudioCd && dialog.audioCdPage())
        dialog.pages()->setCurrentWidget(dialog.audioCdPage());
    if (page == SettingsPage::Cddb && dialog.cddbPage())
        dialog.pages()->setCurrentWidget(dialog.cddbPage());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settingsChanged_ = true;
    applySettings(dialog.settings(), dialog.windowSettings());
    return true;
}

void MainWindow::doOneLevelUp() {
    CatalogItem* shown = shownContainer();
    if (shown && shown->parent()) {
        CatalogItem* from = shown;
        showContainer(shown->parent());
        selectInList({from});
    }
}

void MainWindow::doMinimizeToTray() {
    if (!tray_)
        return;
    tray_->setIcon(windowIcon());
    tray_->show();
    hide();
}

void MainWindow::doAbout() {
    QMessageBox::about(this, Q(kApplicationName),
                       Q(kApplicationName) + QStringLiteral(" ") + Q(kProgramVersion));
}

void MainWindow::showListContextMenu(const QPoint& position) {
    using C = CommandId;
    QAbstractItemView* view = listView();
    listHadFocus_ = true;
    updateActions();
    QMenu menu;
    if (view->indexAt(position).isValid()) {
        // Menu_Item, with Menu_Open's entries first.
        for (C id : {C::OpenItem, C::OpenWith, C::CopyPath, C(-1), C::Cut, C::Copy, C(-1),
                     C::CreateFolder, C::AddDiskName, C::Rename, C::Delete, C(-1),
                     C::CopyToFolder, C::MoveToFolder, C::CreateShortcuts, C::GoToTarget, C(-1),
                     C::Lend, C::EmptyArchives, C::EmptyDisks, C::ItemCategories, C(-1),
                     C::Properties}) {
            if (id == C(-1))
                menu.addSeparator();
            else
                menu.addAction(actions_[id]);
        }
    } else {
        // Menu_ListView: the view styles, sorting, paste, a new folder.
        QMenu* viewMenu = menu.addMenu(Q(MenuEntryText(ToUtf8(DialogText("Menu_ListView", 0)))));
        for (C id : {C::LargeIcons, C::SmallIcons, C::ListStyle, C::Details, C::ItemInformation})
            viewMenu->addAction(actions_[id]);
        QMenu* sortMenu = menu.addMenu(Q(MenuEntryText(ToUtf8(DialogText("Menu_ListView", 1)))));
        for (int column = 0; column < listModel_->columnCount(); ++column) {
            QAction* entry = sortMenu->addAction(
                listModel_->headerData(column, Qt::Horizontal).toString());
            entry->setCheckable(true);
            entry->setChecked(column == listModel_->sortColumn());
            connect(entry, &QAction::triggered, this, [this, column] {
                details_->sortByColumn(column, listModel_->sortOrder());
            });
        }
        sortMenu->addSeparator();
        for (const auto& [key, order] : {std::pair{3, Qt::AscendingOrder},
                                         std::pair{4, Qt::DescendingOrder}}) {
            QAction* entry = sortMenu->addAction(DialogText("Menu_ListView", key));
            entry->setCheckable(true);
            entry->setChecked(listModel_->sortOrder() == order);
            connect(entry, &QAction::triggered, this, [this, order = order] {
                details_->sortByColumn(listModel_->sortColumn(), order);
            });
        }
        menu.addSeparator();
        menu.addAction(actions_[C::Paste]);
        menu.addAction(actions_[C::CreateFolder]);
        menu.addAction(actions_[C::Refresh]);
    }
    menu.exec(view->viewport()->mapToGlobal(position));
}

void MainWindow::showTreeContextMenu(const QPoint& position) {
    using C = CommandId;
    const QModelIndex index = tree_->indexAt(position);
    if (!index.isValid())
        return;
    tree_->setCurrentIndex(index);
    listHadFocus_ = false;
    updateActions();
    QMenu menu;
    for (C id : {C::ReadDisk, C::UpdateDisk, C::AddDiskName, C(-1), C::CreateFolder, C::Rename,
                 C::Delete, C(-1), C::Cut, C::Copy, C::Paste, C::CopyPath, C(-1),
                 C::CopyToFolder, C::MoveToFolder, C::CreateShortcuts, C(-1), C::Lend,
                 C::EmptyArchives, C::EmptyDisks, C::SetPassword, C::EnterPassword, C(-1),
                 C::Properties}) {
        if (id == C(-1))
            menu.addSeparator();
        else
            menu.addAction(actions_[id]);
    }
    menu.exec(tree_->viewport()->mapToGlobal(position));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        listHadFocus_ = watched != tree_;
        updateActions();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}

// ---- Window state -----------------------------------------------------------------------

QStringList MainWindow::folderStates() const {
    QStringList expanded;
    std::vector<QModelIndex> pending{QModelIndex()};
    while (!pending.empty()) {
        const QModelIndex parent = pending.back();
        pending.pop_back();
        for (int row = 0; row < treeModel_->rowCount(parent); ++row) {
            const QModelIndex child = treeModel_->index(row, 0, parent);
            if (!tree_->isExpanded(child))
                continue;
            expanded << Q(CatalogPathOf(*treeModel_->itemAt(child)));
            pending.push_back(child);
        }
    }
    return expanded;
}

void MainWindow::restoreFolderStates() {
    if (!context_.store)
        return;
    // The catalog paths of the expanded containers, one a line.
    const QStringList paths =
        Q(context_.store->getText(kWindowSettingsSubKey, "FolderStates")).split(QLatin1Char('\n'));
    for (const QString& path : paths) {
        CatalogItem* item = path.isEmpty() ? document_->tree().root()
                                           : ResolveCatalogPath(document_->tree(), ToUtf8(path));
        const QModelIndex index = treeModel_->indexOf(item);
        if (index.isValid())
            tree_->expand(index);
    }
}

void MainWindow::restoreWindowState() {
    const WindowSettings& window = context_.window;
    WindowRect rect;
    if (context_.settings.bSaveWindowSettings && ParseWindowPos(window.WindowPos, rect) &&
        rect.right > rect.left && rect.bottom > rect.top)
        setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    else
        resize(1000, 680);
    int style = int(ListStyle::Details);
    int splitter = 260;
    if (context_.store) {
        SettingsStore& store = *context_.store;
        splitter = store.getInt(kWindowSettingsSubKey, "SplitterPos", splitter);
        style = std::clamp(store.getInt(kWindowSettingsSubKey, "ListViewStyle", style), 0, 3);
        const std::string columns = store.getText(kWindowSettingsSubKey, "MainColumnsSettings");
        std::vector<uint8_t> keys;
        std::vector<int> widths;
        // "key:width,key:width" with keys in hex.
        for (const QString& part : Q(columns).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QStringList pair = part.split(QLatin1Char(':'));
            bool ok = false;
            const uint key = pair.value(0).toUInt(&ok, 16);
            if (!ok || key > 0xFF)
                continue;
            keys.push_back(uint8_t(key));
            widths.push_back(pair.value(1).toInt());
        }
        if (!keys.empty())
            listModel_->setColumns(keys);
        for (size_t i = 0; i < widths.size(); ++i) {
            if (widths[i] > 0)
                details_->setColumnWidth(int(i), widths[i]);
        }
        const int sortMode = store.getInt(kWindowSettingsSubKey, "SortMode", 0);
        details_->sortByColumn(sortMode & 0xFF, (sortMode & 0x100) ? Qt::DescendingOrder
                                                                  : Qt::AscendingOrder);
        actions_[CommandId::AutoArrange]->setChecked(
            store.getBool(kWindowSettingsSubKey, "bAutoArrange", true));
    } else {
        details_->sortByColumn(0, Qt::AscendingOrder);
    }
    if (keysWidthsUnset())
        for (int column = 0; column < listModel_->columnCount(); ++column)
            details_->setColumnWidth(column, column == 0 ? 240 : 110);
    splitter_->setSizes({splitter, std::max(200, width() - splitter)});
    setListStyle(ListStyle(style));
    setInfoViewShown(window.bAsWebPage);
}

bool MainWindow::keysWidthsUnset() const {
    return !context_.store ||
           context_.store->getText(kWindowSettingsSubKey, "MainColumnsSettings").empty();
}

void MainWindow::saveWindowState() {
    if (!context_.store)
        return;
    SettingsStore& store = *context_.store;
    context_.settings.LastFile = document_->path();
    store.setText(kSettingsSubKey, "LastFile", context_.settings.LastFile);
    if (settingsChanged_)
        context_.settings.save(store);
    if (context_.settings.bSaveWindowSettings) {
        WindowSettings window = context_.window;
        window.bMaximized = isMaximized();
        window.bAsWebPage = infoShown_;
        const QRect frame = normalGeometry();
        window.WindowPos = FormatWindowPos(
            {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()});
        window.save(store);
        store.setInt(kWindowSettingsSubKey, "SplitterPos", splitter_->sizes().value(0));
        store.setInt(kWindowSettingsSubKey, "ListViewStyle", int(listStyle_));
        store.setInt(kWindowSettingsSubKey, "SortMode",
                     listModel_->sortColumn() |
                         (listModel_->sortOrder() == Qt::DescendingOrder ? 0x100 : 0));
        store.setBool(kWindowSettingsSubKey, "bAutoArrange",
                      actions_[CommandId::AutoArrange]->isChecked());
        QStringList columns;
        for (size_t i = 0; i < listModel_->columns().size(); ++i)
            columns << QStringLiteral("%1:%2")
                           .arg(listModel_->columns()[i], 2, 16, QLatin1Char('0'))
                           .arg(details_->columnWidth(int(i)));
        store.setText(kWindowSettingsSubKey, "MainColumnsSettings",
                      ToUtf8(columns.join(QLatin1Char(','))));
        if (context_.settings.bSaveFolderStates)
            store.setText(kWindowSettingsSubKey, "FolderStates",
                          ToUtf8(folderStates().join(QLatin1Char('\n'))));
    }
    saveRecentFiles();
    store.save();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!document_->saveModified()) {
        event->ignore();
        return;
    }
    saveWindowState();
    if (tray_)
        tray_->hide();
    event->accept();
}

}  // namespace shelfmark
