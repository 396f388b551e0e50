// The CDDB dialog (section Dlg_CDDB): the audio-CD disks of the catalog with a check box each and
// the result of their lookup, "&Start" over the checked rows, and the toolbar with "Submit &New",
// "Disc &Info", "&Browser", the "&Select" menu and "Se&ttings". It is the desktop's
// LookupDialogs: the match chooser, the disc editor, the progress window and the settings page
// open from here; every decision is the LookupController's. Messages go through the document's
// prompter. The network calls block under a wait cursor.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "cdlookup/LookupController.h"

class QLabel;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace shelfmark {

class CddbDialog : public QDialog, public LookupDialogs {
    Q_OBJECT

  public:
    struct Options {
        std::string siteLine = std::string(kDefaultCddbSite);
        TocServices toc;
        // The settings dialog on its "CDDB" page: true when applied. None: a small dialog with
        // the CDDB page alone.
        std::function<bool()> openCddbSettings;
        // Opens an address in the web browser. None: the desktop's default application.
        std::function<void(const std::string&)> openBrowser;
    };

    // Lists the catalog's audio-CD disks with the pre-checked ones checked. With autoStart the
    // dialog runs "&Start" as soon as it is shown and then closes.
    CddbDialog(CatalogDocument& document, SettingsStore& store,
               std::span<CatalogItem* const> preChecked, bool autoStart, Options options,
               QWidget* parent = nullptr);
    ~CddbDialog() override;

    LookupController& controller() { return *controller_; }
    QTreeWidget* list() const { return list_; }
    QPushButton* startButton() const { return start_; }
    QToolButton* submitNewButton() const { return submitNew_; }
    QToolButton* discInfoButton() const { return discInfo_; }
    QToolButton* browserButton() const { return browser_; }
    QToolButton* selectButton() const { return select_; }
    QToolButton* settingsButton() const { return settings_; }
    // The progress window while "&Start" runs (null before the first).
    QDialog* progressWindow() const { return progress_; }

    // The commands.
    void start();
    void discInfo();
    void submitNew();
    void openBrowser();
    void openSettings();

    // LookupDialogs
    MatchChoice chooseMatch(const std::string& diskName,
                            const CDiscoraQueryResult& matches) override;
    bool editDisc(DiscEditor& editor) override;
    bool editCddbSettings() override;
    void showProgress(const std::string& diskName) override;
    void closeProgress() override;

  private:
    // Shows the controller's rows: rebuilt when the list of disks changed, else updated.
    void showRows();
    bool listShowsTheRows() const;
    void rowChanged(QTreeWidgetItem* item, int column);
    void updateCommands();
    int currentRow() const;
    // Runs a row command of the controller on the current row under the wait cursor.
    void onCurrentRow(void (LookupController::*command)(size_t));

    CatalogDocument& document_;
    SettingsStore& store_;
    Options options_;
    std::unique_ptr<LookupController> controller_;
    QTreeWidget* list_;
    QPushButton* start_;
    QToolButton* submitNew_;
    QToolButton* discInfo_;
    QToolButton* browser_;
    QToolButton* select_;
    QToolButton* settings_;
    QDialog* progress_ = nullptr;
    QLabel* progressDisk_ = nullptr;
    bool showing_ = false;  // the list is being filled from the rows: not the user's clicks
};

}  // namespace shelfmark
