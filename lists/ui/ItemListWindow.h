// The item list window ("Dlg_ItemList", menu "Menu_ItemList"): a profile chosen from
// ItemList.tkp, the container the list starts in, Start to build the rows on a worker while the
// progress bar advances, the rows in a list sortable by column, and Print/ Export of the rows
// in their shown order. Profiles are made, edited and deleted here through the profile dialog.
//
// The window is modal: while it is open nothing else changes the catalog, so the worker reads
// the tree without a lock.
//
//     ItemListWindow::Open(document, document.tree().root(), "Disk List", prompter, mainWindow);
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/Definitions.h"
#include "lists/ItemListProfile.h"
#include "lists/ItemListWalk.h"
#include "lists/RowBuilder.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace shelfmark {

class CatalogDocument;
class CatalogItem;
class ListTableModel;
class ListWorker;
class Prompter;

class ItemListWindow : public QDialog {
    Q_OBJECT
  public:
    // `profile` not empty and known: the list is built as soon as the window shows.
    ItemListWindow(CatalogDocument& document, const CatalogItem* start, std::string_view profile,
                   Prompter& prompter, QWidget* parent = nullptr);
    ~ItemListWindow() override;

    // Opens the window modally (the main window's Item List and Disk List commands).
    static void Open(CatalogDocument& document, const CatalogItem* start, std::string_view profile,
                     Prompter& prompter, QWidget* parent);

    // Start: checks the profile and starts the worker; false when nothing started.
    bool start();
    bool building() const;
    // Blocks until a running build has ended and its rows are shown.
    void waitForList();
    void newProfile();
    void editProfile();
    void deleteProfile();
    void browse();
    void exportList();
    // Selects a profile by name (without regard to case); false when there is none.
    bool selectProfile(std::string_view name);

    const CatalogItem* startItem() const { return start_; }
    void setStartItem(const CatalogItem* item);
    ListTableModel* model() const { return model_; }
    QTableView* view() const { return view_; }
    QComboBox* profileBox() const { return profiles_; }
    QString statusText() const;
    QPushButton* startButton() const { return startButton_; }

  public slots:
    void reject() override;  // asks before it stops a build; closes when idle

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void loadProfiles(std::string_view select);
    std::optional<ItemListProfile> currentProfile() const;
    void finishBuild();
    void setBuilding(bool building);

    CatalogDocument& document_;
    const CatalogItem* start_;
    Prompter& prompter_;
    std::string profilePath_;
    bool autoStart_ = false;
    CatalogDefinitions definitions_;
    std::unique_ptr<RowBuilder> builder_;
    ItemListProfile building_;
    std::optional<ItemListResult> result_;

    QComboBox* profiles_;
    QLabel* startLabel_;
    QTableView* view_;
    ListTableModel* model_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* startButton_;
    QPushButton* exportButton_;
    std::vector<QWidget*> idleOnly_;
    ListWorker* worker_;
};

}  // namespace shelfmark
