// The windows the main window opens for its search, list, CD lookup and version commands, driven
// offscreen from the commands as a user runs them on a catalog read from a generated directory:
// each opens on the catalog it belongs to and closes again, and a search hit double-clicked is
// selected in the main window.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTableView>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ItemListModel.h"
#include "app/MainWindow.h"
#include "app/settings/SettingsDialog.h"
#include "catalog/CatalogPath.h"
#include "catalog/ui/StatisticsWindow.h"
#include "cdlookup/CddbSettings.h"
#include "cdlookup/ui/CddbDialog.h"
#include "cdlookup/ui/CddbSettingsPage.h"
#include "cdlookup/ui/ImportCdsDialog.h"
#include "foundation/ScriptedPrompter.h"
#include "lists/ui/ExportListDialog.h"
#include "lists/ui/ItemListWindow.h"
#include "lists/ui/ListTableModel.h"
#include "platform/settings/SettingsStore.h"
#include "search/DuplicateSearch.h"
#include "search/ui/DuplicatesWindow.h"
#include "search/ui/ResultModel.h"
#include "search/ui/SearchPages.h"
#include "search/ui/SearchWindow.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
namespace fs = std::filesystem;
using shelfmark::testing::ModalDriver;

namespace {

void Write(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

class WindowWiringTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<shelfmark::testing::ScopedConfigHome> config_;
    std::unique_ptr<shelfmark::testing::TempDir> temp_;
    std::unique_ptr<SettingsStore> store_;
    ScriptedPrompter prompter_;
    std::unique_ptr<MainWindow> window_;

    MainWindow& window() { return *window_; }
    CatalogItem* find(const char* path) { return ResolveCatalogPath(window().document().tree(), path); }

    // The catalog every case starts from: one disk "Holiday" read through the read dialog, with
    // two files of the same size and bytes in different folders.
    void readHoliday() {
        const fs::path source = *temp_ / "Holiday";
        Write(source / "notes.txt", "hello");
        Write(source / "photos" / "beach.jpg", std::string(2048, 'x'));
        Write(source / "photos" / "sea.jpg", std::string(100, 'y'));
        Write(source / "copies" / "beach.jpg", std::string(2048, 'x'));
        ModalDriver driver;
        driver.onNextModal([](QWidget* dialog) { ModalDriver::ClickButton(dialog, "OK"); });
        QVERIFY(window().readDisk(source.string()) != nullptr);
        QVERIFY(driver.allRan());
    }

    // The items the main window's list has selected, by name.
    QStringList selectedNames() {
        QStringList names;
        for (const QModelIndex& index : window().listView()->selectionModel()->selectedRows())
            if (const CatalogItem* item = window().listModel()->itemAt(index.row()))
                names << QString::fromUtf8(item->name().data(), qsizetype(item->name().size()));
        return names;
    }

    search::SearchWindow* onlySearchWindow() {
        const QList<search::SearchWindow*> windows = window().findChildren<search::SearchWindow*>();
        return windows.size() == 1 ? windows.front() : nullptr;
    }

  private slots:
    void init() {
        config_ = std::make_unique<shelfmark::testing::ScopedConfigHome>();
        temp_ = std::make_unique<shelfmark::testing::TempDir>();
        store_ = std::make_unique<SettingsStore>((config_->configDir() / "settings.ini").string());
        prompter_ = ScriptedPrompter();
        WindowContext context;
        context.store = store_.get();
        context.settings = AppSettings::Load(*store_);
        context.window = WindowSettings::Load(*store_);
        context.watchVolumes = false;
        window_ = std::make_unique<MainWindow>(context);
        window_->setPrompter(&prompter_);
        window_->show();
        window_->newCatalog();
        readHoliday();
    }
    void cleanup() {
        window_->document().setModified(false);
        window_.reset();
        store_.reset();
        temp_.reset();
        config_.reset();
    }

    void commandsOfTheNewWindowsAreEnabled() {
        using C = CommandId;
        window().showContainer(find("Holiday"));
        for (C id : {C::Search, C::SearchDuplicates, C::PrintExportList, C::Cddb, C::ImportCdPlayer,
                     C::CheckVersion, C::ItemList, C::DiskList, C::ImportOtherCatalogs,
                     C::ExportNcdu, C::Statistics, C::Columns, C::OpenWith, C::AutoArrange})
            QVERIFY2(window().action(id)->isEnabled(), qPrintable(window().action(id)->text()));
        // The new entries sit in the menus under their own texts.
        QCOMPARE(window().action(C::Statistics)->text(), QStringLiteral("S&tatistics..."));
        QCOMPARE(window().action(C::ExportNcdu)->statusTip(),
                 QStringLiteral("Exports the selected container in the format of the ncdu disk usage "
                                "viewer."));
    }

    // Search from the main window, hits found below the shown container, a hit double-clicked
    // is shown and selected in the main window; the main window waits while the search runs.
    void searchFromTheMainWindowSelectsTheHitDoubleClicked() {
        window().showContainer(find("Holiday"));
        window().runCommand(CommandId::Search);
        search::SearchWindow* search = onlySearchWindow();
        QVERIFY(search);
        QVERIFY(search->isVisible());
        search->generalPage()->textBox()->setEditText(QStringLiteral("beach"));
        QSignalSpy finished(search, &search::SearchWindow::searchFinished);
        search->start();
        QVERIFY(finished.count() > 0 || finished.wait(20000));
        QVERIFY(window().isEnabled());
        QCOMPARE(search->results()->size(), size_t(2));

        CatalogItem* copy = find("Holiday/copies/beach.jpg");
        int row = 0;
        while (search->results()->item(row) != copy)
            ++row;
        QAbstractItemView* view = search->resultView();
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        // A user's double click: the press that selects the row comes first.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(window().listModel()->container(), find("Holiday/copies"));
        QCOMPARE(selectedNames(), QStringList{"beach.jpg"});

        // The hit deleted in the main window leaves the result list.
        prompter_.queueAnswer(PromptAnswer::Yes);
        window().runCommand(CommandId::Delete);
        QVERIFY(find("Holiday/copies/beach.jpg") == nullptr);
        QCOMPARE(search->results()->size(), size_t(1));
        search->close();
        QTRY_VERIFY(onlySearchWindow() == nullptr);
    }

    // While searches run, the main window's own views, menus and commands take no input, but its
    // search windows (its children) stay usable so that Cancel can be pressed; two searches
    // running keep it inert until both have ended.
    void aRunningSearchLeavesTheSearchWindowsUsable() {
        window().showContainer(find("Holiday"));
        window().runCommand(CommandId::Search);
        search::SearchWindow* search = onlySearchWindow();
        QVERIFY(search);
        search->generalPage()->textBox()->setEditText(QStringLiteral("beach"));
        QVERIFY(search->startButton()->isEnabled());
        window().setSearchRunning(true);
        window().setSearchRunning(true);
        QVERIFY(search->isEnabled());
        QVERIFY(search->startButton()->isEnabled());
        QVERIFY(!window().listView()->isEnabled());
        QVERIFY(!window().action(CommandId::Delete)->isEnabled());
        QVERIFY(!window().action(CommandId::Undo)->isEnabled());
        QVERIFY(!window().action(CommandId::Search)->isEnabled());
        window().setSearchRunning(false);
        QVERIFY(!window().listView()->isEnabled());
        window().setSearchRunning(false);
        QVERIFY(window().listView()->isEnabled());
        QVERIFY(window().action(CommandId::Search)->isEnabled());
        QVERIFY(window().action(CommandId::Undo)->isEnabled());
        search->close();
        QTRY_VERIFY(onlySearchWindow() == nullptr);
    }

    // A second start's -Search name arrives as the search window's text; the main window
    // closing closes its search windows first.
    void aSearchRequestOpensAWindowWithItsText() {
        emit window().searchRequested(QStringLiteral("sea.jpg"));
        search::SearchWindow* search = onlySearchWindow();
        QVERIFY(search);
        QCOMPARE(search->generalPage()->textBox()->currentText(), QStringLiteral("sea.jpg"));
        emit window().searchRequested(QStringLiteral("notes"));
        QCOMPARE(window().findChildren<search::SearchWindow*>().size(), 2);
    }

    void duplicatesOpenOnTheShownContainer() {
        window().showContainer(find("Holiday"));
        ModalDriver driver;
        int groups = -1;
        driver.onNextModal([&groups](QWidget* modal) {
            auto* duplicates = qobject_cast<search::DuplicatesWindow*>(modal);
            if (!duplicates)
                return;
            // Name and size: the two copies were written a moment apart.
            duplicates->criterion(search::duplicate::DateBit)->setChecked(false);
            duplicates->criterion(search::duplicate::NameBit)->setChecked(true);
            duplicates->criterion(search::duplicate::SizeBit)->setChecked(true);
            QSignalSpy finished(duplicates, &search::DuplicatesWindow::searchFinished);
            duplicates->start();
            if (finished.count() > 0 || finished.wait(20000))
                groups = int(duplicates->results()->size());
            duplicates->reject();
        });
        window().runCommand(CommandId::SearchDuplicates);
        QVERIFY(driver.allRan());
        // One group: the two beach.jpg files (sea.jpg and notes.txt have no twin).
        QCOMPARE(groups, 2);
    }

    // Print/Export of the main list writes the rows the list shows, in its order.
    void printExportWritesTheMainList() {
        window().showContainer(find("Holiday/photos"));
        const fs::path csv = *temp_ / "photos.csv";
        ModalDriver driver;
        driver.onNextModal([&csv](QWidget* modal) {
            auto* dialog = qobject_cast<ExportListDialog*>(modal);
            if (!dialog)
                return;
            dialog->setTarget(ExportTarget::Csv);
            dialog->setTargetPath(csv.string());
            QSignalSpy finished(dialog, &QDialog::finished);
            dialog->accept();
            if (finished.count() == 0)
                finished.wait(20000);
        });
        window().runCommand(CommandId::PrintExportList);
        QVERIFY(driver.allRan());
        const std::string text = ReadAll(csv);
        const size_t beach = text.find("\"beach.jpg\"");
        const size_t sea = text.find("\"sea.jpg\"");
        QVERIFY2(beach != std::string::npos && sea != std::string::npos, text.c_str());
        QVERIFY(beach < sea);
        QVERIFY(text.find("notes.txt") == std::string::npos);
    }

    // Disk List lists the disks of the whole catalog whatever is shown; Item List starts in the
    // container shown.
    void diskListAndItemListOpenOnTheirContainers() {
        // The profiles the program ships, as a new user gets them.
        fs::copy_file(shelfmark::testing::SourceDir() / "lists/ItemList.tkp",
                      config_->configDir() / "ItemList.tkp");
        window().showContainer(find("Holiday/photos"));
        ModalDriver driver;
        QStringList disks;
        const CatalogItem* diskListStart = nullptr;
        driver.onNextModal([&](QWidget* modal) {
            auto* list = qobject_cast<ItemListWindow*>(modal);
            if (!list)
                return;
            diskListStart = list->startItem();
            list->waitForList();
            for (int row = 0; row < list->model()->rowCount(); ++row)
                disks << list->model()->data(list->model()->index(row, 0)).toString();
            list->reject();
        });
        window().runCommand(CommandId::DiskList);
        QVERIFY(driver.allRan());
        QCOMPARE(diskListStart, window().document().tree().root());
        QCOMPARE(disks, QStringList{"Holiday"});

        const CatalogItem* itemListStart = nullptr;
        driver.onNextModal([&](QWidget* modal) {
            if (auto* list = qobject_cast<ItemListWindow*>(modal)) {
                itemListStart = list->startItem();
                list->reject();
            }
        });
        window().runCommand(CommandId::ItemList);
        QVERIFY(driver.allRan());
        QCOMPARE(itemListStart, find("Holiday/photos"));
    }

    // Statistics counts the container shown and opens a window of its own.
    void statisticsOpensForTheShownContainer() {
        window().showContainer(find("Holiday"));
        window().runCommand(CommandId::Statistics);
        QTRY_COMPARE(window().findChildren<StatisticsWindow*>().size(), 1);
        StatisticsWindow* statistics = window().findChildren<StatisticsWindow*>().front();
        QVERIFY(statistics->hasContainer());
        QVERIFY(statistics->windowTitle().contains(QStringLiteral("Holiday")));
        statistics->close();
        QTRY_COMPARE(window().findChildren<StatisticsWindow*>().size(), 0);
    }

    // Import CD Player: the discs of the user's cdplayer.ini become disks in the selected
    // folder, shown and selected afterwards.
    void importCdsFromCdPlayerIni() {
        Write(config_->configDir() / "cdplayer.ini",
              "[A1B2]\r\nartist=Ann\r\ntitle=First\r\nnumtracks=2\r\n0=One\r\n1=Two\r\n");
        window().showContainer(window().document().tree().root());
        ModalDriver driver;
        driver.onNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<ImportCdsDialog*>(modal);
            if (!dialog || dialog->list()->topLevelItemCount() != 1)
                return;
            dialog->list()->topLevelItem(0)->setCheckState(0, Qt::Checked);
            dialog->accept();
        });
        window().runCommand(CommandId::ImportCdPlayer);
        QVERIFY(driver.allRan());
        QCOMPARE(window().listModel()->container(), window().document().tree().root());
        QCOMPARE(selectedNames().size(), 1);
        const CatalogItem* disk = find(selectedNames().front().toUtf8().constData());
        QVERIFY(disk);
        QCOMPARE(disk->mediaType(), MediaType::AudioCd);
        QCOMPARE(window().document().undo(false), CatalogDocument::UndoResult::Done);
        QVERIFY(find("Holiday") != nullptr);
    }

    // CDDB opens the lookup dialog; its Settings button opens the settings dialog on the CDDB
    // page, whose proxy password is stored.
    void cddbDialogAndItsSettingsPage() {
        ModalDriver outer;
        ModalDriver inner;
        bool settingsOnCddbPage = false;
        outer.onNextModal([&](QWidget* modal) {
            auto* lookup = qobject_cast<CddbDialog*>(modal);
            if (!lookup)
                return;
            inner.onNextModal(
                [&settingsOnCddbPage](QWidget* settingsModal) {
                    auto* settings = qobject_cast<SettingsDialog*>(settingsModal);
                    if (!settings || !settings->cddbPage())
                        return;
                    settingsOnCddbPage = settings->pages()->currentWidget() == settings->cddbPage();
                    settings->cddbPage()->hostEdit()->setText(QStringLiteral("proxy.example"));
                    settings->cddbPage()->userEdit()->setText(QStringLiteral("ann"));
                    settings->cddbPage()->passwordEdit()->setText(QStringLiteral("abc"));
                    settings->accept();
                },
                lookup);
            lookup->settingsButton()->click();
            lookup->reject();
        });
        window().runCommand(CommandId::Cddb);
        QVERIFY(outer.allRan());
        QVERIFY(inner.allRan());
        QVERIFY(settingsOnCddbPage);
        const CddbSettings stored = CddbSettings::Load(*store_);
        QCOMPARE(stored.Host, std::string("proxy.example"));
        QCOMPARE(stored.Password, std::string("abc"));
        // Scrambled in the file, not written in clear.
        QVERIFY(store_->getText(kCddbSubKey, "Password") != "abc");
    }

    // The settings dialog without a bad address stores; with one it stays on the CDDB page.
    void settingsRefuseABadAddressOnTheCddbPage() {
        SettingsDialog dialog(window().settings(), WindowSettings(), prompter_, nullptr, store_.get(),
                              (*temp_ / "ReadDiskDlg.tkp").string());
        QVERIFY(dialog.audioCdPage() && dialog.cddbPage());
        QCOMPARE(dialog.pages()->count(), 6);
        dialog.cddbPage()->emailEdit()->setText(QStringLiteral("ann@host"));
        QVERIFY(!dialog.apply());
        QCOMPARE(dialog.pages()->currentWidget(), static_cast<QWidget*>(dialog.cddbPage()));
        QCOMPARE(prompter_.shownTexts().back(), std::string("Please fill out this field correctly."));
        dialog.cddbPage()->emailEdit()->setText(QStringLiteral("ann@host.org"));
        QVERIFY(dialog.apply());
        QCOMPARE(CddbSettings::Load(*store_).Email, std::string("ann@host.org"));
        // Without the settings store the CD pages are left out rather than storing nowhere.
        SettingsDialog bare(window().settings(), WindowSettings(), prompter_);
        QCOMPARE(bare.pages()->count(), 4);
        QVERIFY(bare.apply());
    }

    // Check version against a server that refuses: the failure is reported, the command is
    // disabled while the check runs and usable again after.
    void checkVersionReportsAFailure() {
        store_->setText(kSettingsSubKey, "UpdateUrl", "http://127.0.0.1:9/version.txt");
        const size_t before = prompter_.shownTexts().size();
        window().runCommand(CommandId::CheckVersion);
        QTRY_VERIFY_WITH_TIMEOUT(prompter_.shownTexts().size() > before, 60000);
        QTRY_VERIFY(window().action(CommandId::CheckVersion)->isEnabled());
    }
};

QTEST_MAIN(WindowWiringTest)
#include "WindowWiringTest.moc"
