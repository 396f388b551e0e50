// The search window: the four criteria pages, Start/Cancel, New Search, Browse, and the result
// list that fills while the search runs on its worker (SearchJob). Up to 32 windows can be open
// at once (the document's SearchWindowSlots); each keeps its own criteria and results, drops the
// rows of items deleted in the main window, and remembers its columns and placement in the
// settings store.
//
// The main window opens one with SearchWindow::Open and fills the hooks of the context: it
// disables itself while a search runs (the worker reads the catalog without a lock), opens the
// item list for a profile, and shows the print/export dialog.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/DocumentObserver.h"
#include "lists/ListTable.h"
#include "search/SearchCriteria.h"
#include "search/SearchWindowState.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;

namespace shelfmark {
class CatalogDefinitions;
class CatalogDocument;
class Prompter;
class SettingsStore;
}  // namespace shelfmark

namespace shelfmark::search {

class CategoriesPage;
class ExtendedPage;
class ExtraInfoPage;
class GeneralPage;
class ResultModel;
class SearchJob;

// What a search or duplicate window needs from the program around it. The references must
// outlive every window opened with the context; hooks left empty disable their commands.
struct SearchWindowContext {
    CatalogDocument& document;
    const CatalogDefinitions& definitions;
    SettingsStore& settings;
    SearchWindowSlots& windowSlots;  // the document's table of open search windows
    Prompter& prompter;
    // The container the main window shows (New Search starts there); empty: the root.
    std::function<const CatalogItem*()> openContainer;
    // Called with true when a search starts and false when it ends.
    std::function<void(bool running)> setMainWindowBusy;
    // Opens the item list with the named profile on a container.
    std::function<void(const CatalogItem& container, const std::string& profile)> openItemList;
    // The item-list profile names offered in the context menu.
    std::function<std::vector<std::string>()> itemListProfiles;
    // Shows the print/export dialog for the rows under a list name; empty: the shared dialog
    // (ExportListDialog) opens.
    std::function<void(const ListTable& rows, const std::string& listName, QWidget* parent)> printExport;
};

class SearchWindow : public QMainWindow, private DocumentObserver {
    Q_OBJECT
  public:
    // Opens and shows a new window searching below `start` (a container; null: the root) for
    // `text`. At the 33rd window the error "More Search dialogs should be opened than allowed."
    // goes through the prompter and nothing opens (null). The window deletes itself on close.
    static SearchWindow* Open(SearchWindowContext& context, const CatalogItem* start,
                              QWidget* parent = nullptr, const std::string& text = {});
    ~SearchWindow() override;

    const SearchCriteria& criteria() const { return criteria_; }
    bool running() const { return job_ != nullptr; }
    ResultModel* results() const { return model_; }
    QTableView* resultView() const { return view_; }
    QTabWidget* pages() const { return tabs_; }
    GeneralPage* generalPage() const { return general_; }
    ExtendedPage* extendedPage() const { return extended_; }
    CategoriesPage* categoriesPage() const { return categories_; }
    ExtraInfoPage* extraInfoPage() const { return extraInfo_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* printButton() const { return print_; }
    QString statusText() const;

    // The commands as the buttons and menus run them.
    void start();          // Start, or the cancel question while running
    void newSearch();      // asks first
    void browse();
    void printExport();
    void toggleColumn(uint8_t descriptor);
    QMenu* columnsMenu();  // built afresh, for the header and the context menu
    QMenu* contextMenu();  // for the focused result

  signals:
    // A search ended (finished or cancelled) and its rows are all shown.
    void searchFinished();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    SearchWindow(SearchWindowContext& context, SearchWindowSlots::Slot slot, const CatalogItem* start,
                 const std::string& text, QWidget* parent);
    void showStart();
    void deliver();
    void finish();
    void setRunning(bool running);
    void updateStartEnabled();
    std::vector<ListColumn> listColumns() const;
    void takeColumnWidths();
    void applyColumnWidths();
    void restorePlacement();
    void savePlacement();

    void itemRemoving(CatalogItem& item) override;
    void reset() override;

    SearchWindowContext& context_;
    SearchWindowSlots::Slot slot_;
    SearchCriteria criteria_;
    std::vector<ResultColumn> columns_;
    std::unique_ptr<SearchJob> job_;
    std::vector<const CatalogItem*> waiting_;  // hits taken from the job, not yet shown
    size_t waitingFrom_ = 0;
    bool asking_ = false;  // the cancel question is open: hold the delivery
    bool shownResults_ = false;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    QTimer timer_;

    QTabWidget* tabs_;
    GeneralPage* general_;
    ExtendedPage* extended_;
    CategoriesPage* categories_;
    ExtraInfoPage* extraInfo_;
    QLineEdit* searchIn_;
    QPushButton* browse_;
    QPushButton* start_;
    QPushButton* newSearch_;
    QPushButton* print_;
    QTableView* view_;
    ResultModel* model_;
    QLabel* status_;
};

}  // namespace shelfmark::search
