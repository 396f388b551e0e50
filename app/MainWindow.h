// The main window: the folder tree on the left of a splitter, the item list (details, list or
// icon views over one model) or the item information page on the right, the menus, toolbar and
// status bar built from the command table, the recent-file list and the tray icon.
//
// Commands call the headless operations (catalog/*Operations.h, ReadSession, OpenOnMedium, ...)
// with the window's Qt prompter; the window itself decides nothing an operation's test could
// not see. The dialogs of the subsystems' ui/ folders ask what the commands need; the read
// dialog reads on its own worker while it stays open.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <optional>
#include <map>
#include <memory>
#include <vector>

#include "app/CommandTable.h"
#include "app/ItemIcons.h"
#include "app/ItemListModel.h"
#include "catalog/CatalogDocument.h"
#include "catalog/Definitions.h"
#include "catalog/RememberedPasswords.h"
#include "lists/ListTable.h"
#include "foundation/ui/QtPrompter.h"
#include "platform/settings/AppSettings.h"

class QAbstractItemView;
class QLabel;
class QListView;
class QMenu;
class QMimeData;
class QSplitter;
class QStackedWidget;
class QSystemTrayIcon;
class QTableView;
class QTextBrowser;
class QTreeView;

namespace shelfmark::search {
class SearchWindow;
class SearchWindowSlots;
struct SearchWindowContext;
}  // namespace shelfmark::search

namespace shelfmark {

class FolderTreeModel;
class ItemListModel;
class UpdateCheckRunner;
class VolumeRelay;
class VolumeWatcher;
struct Volume;

// What the window needs from the program: the settings store and the values read at start.
struct WindowContext {
    SettingsStore* store = nullptr;
    AppSettings settings;
    WindowSettings window;
    // Start watching mounts for bAddDiskOnInsert (off in tests).
    bool watchVolumes = true;
};

enum class ListStyle { LargeIcons = 0, SmallIcons = 1, List = 2, Details = 3 };

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(WindowContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    CatalogDocument& document() { return *document_; }
    Prompter& prompter() { return *prompter_; }
    // Tests put a scripted prompter in place of the message boxes.
    void setPrompter(Prompter* prompter);
    QAction* action(CommandId id) const;
    FolderTreeModel* treeModel() const { return treeModel_; }
    ItemListModel* listModel() const { return listModel_; }
    QTreeView* treeView() const { return tree_; }
    QAbstractItemView* listView() const;
    QTextBrowser* infoView() const { return info_; }
    QString itemPaneText() const;
    const AppSettings& settings() const { return context_.settings; }
    const std::vector<std::string>& recentFiles() const { return recent_; }

    // ---- What the commands do, callable as the user would trigger them -----------------------
    bool newCatalog();
    bool openCatalog(const std::string& path);
    bool saveCatalog();
    bool saveCatalogAs(const std::string& path);
    // The read dialog: a new disk from `root` (preselected when given) into the selected folder,
    // or an update of `diskToUpdate`. The dialog reads on its worker and stays responsive; then
    // bJumpToNewDisk and bAutoSaveAddedDisk apply. The disk read, or null.
    CatalogItem* readDisk(const std::string& root = {}, CatalogItem* diskToUpdate = nullptr);
    bool readRunning() const { return readDialogOpen_; }
    // While a search window's walk reads the tree, nothing here may change it: the views, menus,
    // toolbar and commands of this window take no input (the search windows, children of this
    // one, stay usable so that their Cancel works). Counted, since several searches may run.
    void setSearchRunning(bool running);
    bool searchRunning() const { return searchesRunning_ > 0; }
    // Shows a container in the tree and its children in the list.
    void showContainer(CatalogItem* container);
    // Selects these items in the list (they must be children of the shown container).
    void selectInList(const std::vector<CatalogItem*>& items);
    // Shows the item's container and selects the item there (a search hit double-clicked).
    void showItem(const CatalogItem& item);
    // Opens a search window below the shown container for `text`; null at the window limit or
    // without a settings store.
    search::SearchWindow* openSearchWindow(const QString& text);
    CatalogItem* shownContainer() const;
    // The items the commands act on: the list's selection when the list had the focus last and
    // holds a selection, else the tree's current container.
    std::vector<CatalogItem*> selectedItems() const;
    void runCommand(CommandId id);
    // Whether a plain drop asks with the drop menu (Menu_Drop) what to do; tests switch it off.
    void setAskOnDrop(bool ask) { askOnDrop_ = ask; }
    // A drop or paste of catalog items: copy, move or shortcuts onto `target`.
    void dropItems(const std::vector<CatalogItem*>& items, CatalogItem* target,
                   Qt::DropAction action);
    void setListStyle(ListStyle style);
    ListStyle listStyle() const { return listStyle_; }
    void setInfoViewShown(bool shown);
    // Applies changed settings to the views (after the settings dialog).
    void applySettings(const AppSettings& settings, const WindowSettings& window);
    // Brings the window to the front (the second instance's activation request).
    void activate();
    // Writes LastFile and the window state (bSaveWindowSettings) to the store.
    void saveWindowState();

  signals:
    // A read ended and its result joined the catalog (null: nothing was read).
    void readFinished(CatalogItem* disk);
    // The search command's request (the search window arrives with the search issue).
    void searchRequested(const QString& text);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    class ForwardingPrompter;
    class Observer;

    void createDocument();
    void scheduleRefresh();
    ListDisplay listDisplay() const;
    void restoreFolderStates();
    bool keysWidthsUnset() const;
    void loadRecentFiles();
    void saveRecentFiles();

    void createViews();
    void createActions();
    void createMenus();
    void createToolBar();
    void createTray();
    void restoreWindowState();
    void updateTitle();
    void updateActions();
    void updateSelectionViews();
    void updateRecentMenu();
    void addRecentFile(const std::string& path);
    void treeCurrentChanged();
    void listActivated(const QModelIndex& index);
    void showListContextMenu(const QPoint& position);
    void showTreeContextMenu(const QPoint& position);
    void onItemsDropped(const QMimeData* data, Qt::DropAction action, CatalogItem* target);
    void volumeArrived(const Volume& volume);
    QMimeData* selectionMimeData() const;
    CatalogItem* targetFolder() const;
    QString menuText(CommandId id) const;
    void retranslate();
    QMenu* makeMenu(std::string_view section, int key);
    QStringList folderStates() const;

    // Command handlers.
    void doOpen();
    void doSaveAs();
    void doRename();
    void doDelete();
    void doCopyCut(bool cut);
    void doPaste();
    void doGoToTarget();
    void doOpenItems();
    void doExportDatabase();
    void doImportDatabase();
    void doExportXml();
    // The settings dialog, opened on the page asked for; true after OK.
    enum class SettingsPage { General, AudioCd, Cddb };
    bool doSettings(SettingsPage page = SettingsPage::General);
    void doOneLevelUp();
    void doMinimizeToTray();
    void doAbout();
    // What Statistics, Item List and the ncdu export work on: the one selected container, else
    // the container shown.
    CatalogItem* commandContainer() const;
    void doSearchDuplicates();
    void doColumns();
    void doOpenWith();
    void doPrintExportList();
    // The CDDB dialog with these disks checked; autoStart looks them up and closes.
    void doCddb(const std::vector<CatalogItem*>& checked, bool autoStart);
    void doImportCdPlayer();
    void doCheckVersion();
    void printExportRows(const ListTable& rows, const std::string& listName, QWidget* parent);

    WindowContext context_;
    std::unique_ptr<QtPrompter> qtPrompter_;
    std::unique_ptr<ForwardingPrompter> forward_;
    std::unique_ptr<Observer> observer_;
    Prompter* prompter_ = nullptr;
    std::unique_ptr<CatalogDocument> document_;
    CatalogDefinitions definitions_;
    std::unique_ptr<RememberedPasswords> passwords_;
    ItemIcons icons_;
    FolderTreeModel* treeModel_ = nullptr;
    ItemListModel* listModel_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTreeView* tree_ = nullptr;
    QTableView* details_ = nullptr;
    QListView* iconList_ = nullptr;
    QTextBrowser* info_ = nullptr;
    QStackedWidget* right_ = nullptr;
    QLabel* itemPane_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    std::map<CommandId, QAction*> actions_;
    std::vector<std::string> recent_;
    ListStyle listStyle_ = ListStyle::Details;
    bool infoShown_ = false;
    bool listHadFocus_ = false;
    // Cut remembers the items so that a paste moves them rather than copying.
    bool cutPending_ = false;
    bool askOnDrop_ = true;
    bool refreshPending_ = false;
    bool settingsChanged_ = false;
    bool readDialogOpen_ = false;
    int searchesRunning_ = 0;
    // The watcher's changes reach this thread through the relay; it goes after the watcher.
    std::unique_ptr<VolumeRelay> volumeRelay_;
    std::unique_ptr<VolumeWatcher> volumes_;
    // The search and duplicate windows share one context; it holds references to the members
    // above, so it is made after them and goes first.
    std::unique_ptr<search::SearchWindowSlots> searchSlots_;
    std::unique_ptr<search::SearchWindowContext> searchContext_;
    std::unique_ptr<UpdateCheckRunner> updateCheck_;
};

}  // namespace shelfmark
