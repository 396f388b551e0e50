// The main window driven as a user drives it (offscreen): a new catalog, a directory read on
// the worker thread, a folder created, the disk moved into it, renamed, deleted after the
// question, each step undone, the catalog saved and opened again; clipboard copy and paste,
// the views and the status bar; the settings dialog's checks; a second start handing its
// requests to the first.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTableView>
#include <QLocalSocket>
#include <QTabWidget>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/FolderTreeModel.h"
#include "app/InstanceChannel.h"
#include "app/ItemListModel.h"
#include "app/MainWindow.h"
#include "app/settings/SettingsDialog.h"
#include "catalog/CatalogPath.h"
#include "catalog/ui/PasswordDialogs.h"
#include "catalog/ui/PropertiesDialog.h"
#include <QPlainTextEdit>
#include "foundation/LanguageTexts.h"
#include "foundation/ProfileFile.h"
#include "foundation/ScriptedPrompter.h"
#include "platform/settings/SettingsStore.h"
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

QStringList ListNames(const ItemListModel& model) {
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.data(model.index(row, 0)).toString();
    return names;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<shelfmark::testing::ScopedConfigHome> config_;
    std::unique_ptr<shelfmark::testing::TempDir> temp_;
    std::unique_ptr<SettingsStore> store_;
    ScriptedPrompter prompter_;
    std::unique_ptr<MainWindow> window_;

    MainWindow& window() { return *window_; }
    CatalogItem* find(const char* path) { return ResolveCatalogPath(window().document().tree(), path); }

    // Reads `directory` through the read dialog (OK as it opens with the folder filled in).
    CatalogItem* read(const fs::path& directory) {
        ModalDriver driver;
        driver.onNextModal([](QWidget* dialog) { ModalDriver::ClickButton(dialog, "OK"); });
        CatalogItem* disk = window().readDisk(directory.string());
        if (!driver.allRan())
            qWarning("the read dialog did not open");
        return disk;
    }

    // Create Folder through its dialog.
    void createFolder(const QString& name) {
        ModalDriver driver;
        driver.onNextModal([name](QWidget* dialog) {
            dialog->findChild<QLineEdit*>()->setText(name);
            ModalDriver::ClickButton(dialog, "OK");
        });
        window().runCommand(CommandId::CreateFolder);
        QVERIFY(driver.allRan());
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
        window_->setAskOnDrop(false);
        window_->show();
        window_->newCatalog();
    }
    void cleanup() {
        window_->document().setModified(false);
        window_.reset();
        store_.reset();
        temp_.reset();
        config_.reset();
    }

    void readMoveRenameDeleteUndoSaveReopen() {
        const fs::path source = *temp_ / "Holiday";
        Write(source / "notes.txt", "hello");
        Write(source / "photos" / "beach.jpg", std::string(2048, 'x'));
        Write(source / "photos" / "sea.jpg", std::string(100, 'y'));

        bool announced = false;
        connect(&window(), &MainWindow::readFinished, this, [&announced] { announced = true; });
        CatalogItem* disk = read(source);
        QVERIFY(disk);
        QVERIFY(announced);
        QCOMPARE(std::string(disk->name()), std::string("Holiday"));
        QVERIFY(window().document().isModified());
        QVERIFY(window().windowTitle().startsWith(QStringLiteral("Halvenmoor Shelfmark - ")));
        CatalogItem* root = window().document().tree().root();
        window().showContainer(root);
        QCOMPARE(ListNames(*window().listModel()), QStringList{"Holiday"});
        QCOMPARE(window().itemPaneText(), QStringLiteral("1 item(s)"));

        // Create Folder asks for the name.
        createFolder(QStringLiteral("Shelf"));
        CatalogItem* shelf = find("Shelf");
        QVERIFY(shelf);
        QCOMPARE(ListNames(*window().listModel()), (QStringList{"Shelf", "Holiday"}));

        // Drag the disk onto the folder: a move.
        window().dropItems({disk}, shelf, Qt::MoveAction);
        QCOMPARE(disk->parent(), shelf);
        QCOMPARE(ListNames(*window().listModel()), QStringList{"Shelf"});
        QCOMPARE(window().treeModel()->rowCount(window().treeModel()->indexOf(shelf)), 1);

        // Rename from the list's selection.
        window().showContainer(shelf);
        window().selectInList({disk});
        QCOMPARE(window().itemPaneText().left(8), QStringLiteral("Holiday,"));
        // Rename edits the name in place.
        window().runCommand(CommandId::Rename);
        auto* editor = window().listView()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("Holiday"));
        editor->setText(QStringLiteral("Summer 2026"));
        QTest::keyClick(editor, Qt::Key_Return);  // the view commits queued
        QTRY_COMPARE(std::string(disk->name()), std::string("Summer 2026"));
        QCOMPARE(window().listModel()->data(window().listModel()->index(0, 0)).toString(),
                 QStringLiteral("Summer 2026"));

        // Delete asks first; No keeps the disk, Yes deletes it.
        window().selectInList({disk});
        prompter_.queueAnswer(PromptAnswer::No);
        window().runCommand(CommandId::Delete);
        QVERIFY(find("Shelf\\Summer 2026"));
        prompter_.clear();
        prompter_.queueAnswer(PromptAnswer::Yes);
        window().runCommand(CommandId::Delete);
        QVERIFY(!find("Shelf\\Summer 2026"));
        QVERIFY(prompter_.shownTexts().front().find("Summer 2026") != std::string::npos);
        QCOMPARE(window().listModel()->rowCount(), 0);

        // Undo each step, newest first.
        window().runCommand(CommandId::Undo);
        QCOMPARE(find("Shelf\\Summer 2026"), disk);
        window().runCommand(CommandId::Undo);
        QCOMPARE(find("Shelf\\Holiday"), disk);
        window().runCommand(CommandId::Undo);
        QCOMPARE(find("Holiday"), disk);
        prompter_.queueAnswer(PromptAnswer::Yes);  // undoing an insert deletes: asked first
        window().runCommand(CommandId::Undo);
        QVERIFY(!find("Shelf"));
        QVERIFY(find("Holiday\\photos\\beach.jpg"));
        QVERIFY(window().action(CommandId::Undo)->isEnabled());

        // Save, start afresh, open again.
        const std::string file = (*temp_ / "holiday.tkd").string();
        QVERIFY(window().saveCatalogAs(file));
        QVERIFY(!window().document().isModified());
        QVERIFY(window().windowTitle().contains(QStringLiteral("holiday.tkd")));
        QVERIFY(window().newCatalog());
        QVERIFY(!find("Holiday"));
        QVERIFY(window().openCatalog(file));
        CatalogItem* reopened = find("Holiday\\photos");
        QVERIFY(reopened);
        window().showContainer(reopened);
        QCOMPARE(ListNames(*window().listModel()), (QStringList{"beach.jpg", "sea.jpg"}));
        QCOMPARE(window().recentFiles().front(), file);
    }

    void setPasswordThenEnterItOnOpening() {
        createFolder(QStringLiteral("Safe"));
        CatalogItem* safe = find("Safe");
        QVERIFY(safe);
        window().showContainer(safe);
        createFolder(QStringLiteral("Inner"));
        window().showContainer(window().document().tree().root());
        window().selectInList({safe});
        ModalDriver driver;
        driver.onNextModal([](QWidget* dialog) {
            auto* set = qobject_cast<SetPasswordDialog*>(dialog);
            QVERIFY(set);
            set->passwordEdit()->setText(QStringLiteral("s3cret"));
            set->confirmationEdit()->setText(QStringLiteral("s3cret"));
            ModalDriver::ClickButton(dialog, "OK");
        });
        window().runCommand(CommandId::SetPassword);
        QVERIFY(driver.allRan());
        QVERIFY(safe->isProtected());

        const std::string file = (*temp_ / "safe.tkd").string();
        QVERIFY(window().saveCatalogAs(file));
        // Opening asks for the password: a wrong one leaves the folder locked and empty.
        driver.onNextModal([](QWidget* dialog) {
            auto* enter = qobject_cast<EnterPasswordDialog*>(dialog);
            QVERIFY(enter);
            enter->passwordEdit()->setText(QStringLiteral("s3cret"));
            ModalDriver::ClickButton(dialog, "OK");
        });
        QVERIFY(window().openCatalog(file));
        QVERIFY(driver.allRan());
        CatalogItem* reopened = find("Safe");
        QVERIFY(reopened && reopened->isProtected() && !reopened->isLocked());
        QVERIFY(find("Safe\\Inner"));
        QCOMPARE(window().treeModel()->rowCount(window().treeModel()->indexOf(reopened)), 1);

        driver.onNextModal([](QWidget* dialog) { ModalDriver::ClickButton(dialog, "Cancel"); });
        QVERIFY(window().openCatalog(file));
        QVERIFY(driver.allRan());
        QVERIFY(find("Safe")->isLocked());
        QVERIFY(!find("Safe\\Inner"));
        QCOMPARE(window().treeModel()->rowCount(window().treeModel()->indexOf(find("Safe"))), 0);
    }

    void copyAndPasteThroughTheClipboard() {
        CatalogItem* root = window().document().tree().root();
        createFolder(QStringLiteral("Target"));
        createFolder(QStringLiteral("Source"));
        window().showContainer(root);
        window().selectInList({find("Source")});
        window().runCommand(CommandId::Copy);
        QVERIFY(window().action(CommandId::Paste)->isEnabled());
        window().showContainer(find("Target"));
        window().runCommand(CommandId::Paste);
        QVERIFY(find("Target\\Source"));
        QVERIFY(find("Source"));
        // Cut and paste moves.
        window().showContainer(root);
        window().selectInList({find("Source")});
        window().runCommand(CommandId::Cut);
        window().showContainer(find("Target"));
        window().runCommand(CommandId::Paste);
        QVERIFY(!find("Source"));
        QCOMPARE(window().listModel()->totalRows(), size_t(2));
    }

    void editingWaitsWhileTheReadDialogIsOpen() {
        const fs::path source = *temp_ / "Big";
        for (int i = 0; i < 300; ++i)
            Write(source / ("d" + std::to_string(i % 20)) / ("f" + std::to_string(i)), "x");
        bool deleteEnabled = true;
        bool readEnabled = true;
        ModalDriver driver;
        driver.onNextModal([&](QWidget* dialog) {
            deleteEnabled = window().action(CommandId::Delete)->isEnabled();
            readEnabled = window().action(CommandId::ReadDisk)->isEnabled();
            QVERIFY(window().readRunning());
            ModalDriver::ClickButton(dialog, "OK");
        });
        QVERIFY(window().readDisk(source.string()));
        QVERIFY(driver.allRan());
        QVERIFY(!deleteEnabled);
        QVERIFY(!readEnabled);
        QVERIFY(!window().readRunning());
        QVERIFY(window().action(CommandId::ReadDisk)->isEnabled());
        QVERIFY(find("Big\\d7\\f7"));
    }

    void viewsAndInformationPage() {
        createFolder(QStringLiteral("Alpha"));
        window().showContainer(window().document().tree().root());
        window().action(CommandId::ItemInformation)->trigger();
        QCOMPARE(window().infoView()->toPlainText(),
                 QStringLiteral("Select an item to view its description."));
        window().selectInList({find("Alpha")});
        QVERIFY(window().infoView()->toPlainText().startsWith(QStringLiteral("Alpha\nFolder")));
        window().action(CommandId::LargeIcons)->trigger();
        QCOMPARE(window().listStyle(), ListStyle::LargeIcons);
        window().action(CommandId::Details)->trigger();
        QCOMPARE(window().listStyle(), ListStyle::Details);
        // One level upward from a folder shows its parent with the folder selected.
        window().showContainer(find("Alpha"));
        window().runCommand(CommandId::OneLevelUpward);
        QCOMPARE(window().shownContainer(), window().document().tree().root());
        QVERIFY(window().itemPaneText().startsWith(QStringLiteral("Alpha, Folder, ")));
        // Properties: a description typed there shows in the list and goes with Undo.
        window().selectInList({find("Alpha")});
        QVERIFY(window().action(CommandId::Properties)->isEnabled());
        ModalDriver driver;
        driver.onNextModal([](QWidget* dialog) {
            auto* properties = qobject_cast<PropertiesDialog*>(dialog);
            QVERIFY(properties);
            properties->generalPage()->descriptionEdit()->setPlainText(QStringLiteral("Old letters"));
            ModalDriver::ClickButton(dialog, "OK");
        });
        window().runCommand(CommandId::Properties);
        QVERIFY(driver.allRan());
        QCOMPARE(find("Alpha")->textAttribute(attr::Description).value_or(""), std::string_view("Old letters"));
        QCOMPARE(window().listModel()->data(window().listModel()->index(0, 4)).toString(),
                 QStringLiteral("Old letters"));
        window().runCommand(CommandId::Undo);
        QVERIFY(!find("Alpha")->hasAttribute(attr::Description));
        QVERIFY(window().action(CommandId::OpenWith)->isEnabled());
        QVERIFY(window().action(CommandId::Columns)->isEnabled());
        QCOMPARE(window().action(CommandId::ReadDisk)->statusTip(),
                 QStringLiteral("Adds the directory structure of a disk to the active database."));
        QCOMPARE(window().action(CommandId::ReadDisk)->toolTip(), QStringLiteral("Read Disk (Ctrl+H)"));
        QCOMPARE(window().action(CommandId::ReadDisk)->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    }

    void recentFilesKeepMRUCountAndSurviveARestart() {
        std::vector<std::string> files;
        for (int i = 0; i < 6; ++i) {
            files.push_back((*temp_ / ("c" + std::to_string(i) + ".tkd")).string());
            QVERIFY(window().saveCatalogAs(files.back()));
        }
        QCOMPARE(window().recentFiles().size(), size_t(4));  // MRUCount 4
        QCOMPARE(window().recentFiles().front(), files[5]);
        QVERIFY(window().openCatalog(files[3]));
        QCOMPARE(window().recentFiles().front(), files[3]);
        QCOMPARE(window().recentFiles().size(), size_t(4));
        window().saveWindowState();
        QCOMPARE(store_->getText(kSettingsSubKey, "LastFile"), files[3]);
        WindowContext context;
        context.store = store_.get();
        context.settings = AppSettings::Load(*store_);
        context.watchVolumes = false;
        MainWindow second(context);
        QCOMPARE(second.recentFiles(), window().recentFiles());
    }

    void shortcutsAndGoToTarget() {
        createFolder(QStringLiteral("Links"));
        createFolder(QStringLiteral("Data"));
        CatalogItem* data = find("Data");
        window().dropItems({data}, find("Links"), Qt::LinkAction);
        CatalogItem* link = find("Links\\Shortcut to Data");
        QVERIFY(link && link->isShortcut());
        window().showContainer(find("Links"));
        window().selectInList({link});
        QVERIFY(window().action(CommandId::GoToTarget)->isEnabled());
        window().runCommand(CommandId::GoToTarget);
        QCOMPARE(window().shownContainer(), window().document().tree().root());
        QCOMPARE(window().selectedItems(), std::vector<CatalogItem*>{data});
        // Copy path puts the display path on the clipboard.
        window().runCommand(CommandId::CopyPath);
        QVERIFY(QApplication::clipboard()->text().endsWith(QStringLiteral("Data")));
    }

    void aDropOfAFolderIntoItselfChangesNothing() {
        createFolder(QStringLiteral("Outer"));
        window().showContainer(find("Outer"));
        createFolder(QStringLiteral("Inner"));
        CatalogItem* outer = find("Outer");
        const size_t steps = window().document().undoStepCount();
        window().dropItems({outer}, find("Outer\\Inner"), Qt::MoveAction);
        QCOMPARE(find("Outer"), outer);
        QCOMPARE(window().document().undoStepCount(), steps);
    }

    void windowStateIsWrittenBack() {
        window().setListStyle(ListStyle::List);
        AppSettings remember = window().settings();
        remember.bSaveFolderStates = true;
        window().applySettings(remember, WindowSettings());
        createFolder(QStringLiteral("Open"));
        window().showContainer(find("Open"));
        createFolder(QStringLiteral("Deeper"));
        window().showContainer(find("Open\\Deeper"));
        window().saveWindowState();
        SettingsStore reread((config_->configDir() / "settings.ini").string());
        QCOMPARE(reread.getInt(kWindowSettingsSubKey, "ListViewStyle", -1), int(ListStyle::List));
        WindowRect rect;
        QVERIFY(ParseWindowPos(reread.getText(kWindowSettingsSubKey, "WindowPos"), rect));
        QVERIFY(rect.right > rect.left);
        QVERIFY(reread.hasValue(kWindowSettingsSubKey, "MainColumnsSettings"));
        // The expanded containers by catalog path: the root (empty) and "Open".
        QCOMPARE(reread.getText(kWindowSettingsSubKey, "FolderStates"), std::string("\nOpen"));
    }

    // The chooser offers the directory's columns, the list shows what was ticked in the order
    // left, the widths of kept columns stay, and the choice is written to the window settings.
    void columnsChosenShowInTheListAndAreSaved() {
        const fs::path dir = temp_->path() / "disk";
        fs::create_directories(dir);
        Write(dir / "a.txt", "abc");
        CatalogItem* disk = read(dir);
        QVERIFY(disk);
        window().showContainer(disk);
        ItemListModel* model = window().listModel();
        const std::vector<uint8_t> before = model->columns();
        QStringList offered;
        ModalDriver driver;
        driver.onNextModal([&offered](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("columns"));
            QVERIFY(list);
            for (int i = 0; i < list->count(); ++i)
                offered << list->item(i)->text();
            // The name row cannot be unticked.
            QVERIFY(!(list->item(0)->flags() & Qt::ItemIsUserCheckable));
            ModalDriver::ClickButton(dialog, "Cancel");
        });
        window().runCommand(CommandId::Columns);
        QVERIFY(driver.allRan());
        QCOMPARE(model->columns(), before);
        QCOMPARE(offered.value(0), QStringLiteral("Name"));
        QVERIFY(offered.contains(QStringLiteral("CRC32")));
        QVERIFY(offered.contains(QStringLiteral("#")));
        QVERIFY(!offered.contains(QStringLiteral("Lent to")));  // a folder's column
        QVERIFY(!offered.contains(QStringLiteral("Thumbnail")));

        const int nameWidth = 333;
        QTableView* details = nullptr;
        for (QTableView* view : window().findChildren<QTableView*>())
            if (view->model() == model)
                details = view;
        QVERIFY(details);
        details->setColumnWidth(0, nameWidth);
        driver.onNextModal([](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("columns"));
            const auto row = [list](const char* text) {
                return list->findItems(QString::fromUtf8(text), Qt::MatchExactly).value(0);
            };
            row("Size")->setCheckState(Qt::Unchecked);
            row("CRC32")->setCheckState(Qt::Checked);
            list->setCurrentItem(row("CRC32"));
            for (int i = 0; i < 30; ++i)  // up to the top, but never above the name
                ModalDriver::ClickButton(dialog, "Move Up");
            ModalDriver::ClickButton(dialog, "OK");
        });
        window().runCommand(CommandId::Columns);
        QVERIFY(driver.allRan());
        const std::vector<uint8_t> expected{0x00, attr::Crc32, 0x03, 0x02, attr::Description};
        QCOMPARE(model->columns(), expected);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("CRC32"));
        const QModelIndex file = model->index(0, 1);
        QCOMPARE(model->data(file).toString(), QString());  // no checksum read for a plain read
        QCOMPARE(details->columnWidth(0), nameWidth);

        window().saveWindowState();
        SettingsStore reread((config_->configDir() / "settings.ini").string());
        const QString saved = QString::fromStdString(
            reread.getText(kWindowSettingsSubKey, "MainColumnsSettings"));
        QVERIFY2(saved.startsWith(QStringLiteral("00:")) && saved.contains(QStringLiteral(",40:")),
                 qPrintable(saved));
        QVERIFY(!saved.contains(QStringLiteral(",01:")));
    }

    // Auto arrange: the icon views flow into a new width only while it is on; the list style
    // always does. The choice is kept in the window settings.
    void autoArrangeLaysOutIconViewsOnResize() {
        window().setListStyle(ListStyle::LargeIcons);
        auto* icons = qobject_cast<QListView*>(window().listView());
        QVERIFY(icons);
        window().action(CommandId::AutoArrange)->setChecked(true);
        window().runCommand(CommandId::AutoArrange);
        QCOMPARE(icons->resizeMode(), QListView::Adjust);
        QCOMPARE(icons->movement(), QListView::Static);
        window().action(CommandId::AutoArrange)->trigger();  // the menu toggles it off
        QVERIFY(!window().action(CommandId::AutoArrange)->isChecked());
        QCOMPARE(icons->resizeMode(), QListView::Fixed);
        window().setListStyle(ListStyle::List);
        QCOMPARE(icons->resizeMode(), QListView::Adjust);
        window().setListStyle(ListStyle::SmallIcons);
        QCOMPARE(icons->resizeMode(), QListView::Fixed);
        window().saveWindowState();
        SettingsStore reread((config_->configDir() / "settings.ini").string());
        QCOMPARE(reread.getBool(kWindowSettingsSubKey, "bAutoArrange", true), false);
    }

    // Open with: the applications of the file's type from the XDG folders, the chosen one
    // started on the file's real path with its Exec line (no shell in between).
    void openWithOffersTheTypesApplicationsAndStartsTheChosenOne() {
        const fs::path xdg = temp_->path() / "xdg";
        const fs::path record = temp_->path() / "record";
        const fs::path script = temp_->path() / "recorder.sh";
        Write(script, "#!/bin/sh\necho \"$PWD|$1|$2\" > \"" + record.string() + ".tmp\"\nmv \"" +
                          record.string() + ".tmp\" \"" + record.string() + "\"\n");
        fs::permissions(script, fs::perms::owner_all);
        fs::create_directories(xdg / "home" / "applications");
        fs::create_directories(xdg / "none");
        Write(xdg / "home" / "applications" / "recorder.desktop",
              "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + script.string() +
                  "\" --file %f\nMimeType=text/plain;\n");
        Write(xdg / "home" / "applications" / "pictures.desktop",
              "[Desktop Entry]\nType=Application\nName=Pictures\nExec=true %f\n"
              "MimeType=image/png;\n");
        const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
        const QByteArray savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((xdg / "home").string()));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString((xdg / "none").string()));
        const fs::path dir = temp_->path() / "medium";
        fs::create_directories(dir);
        Write(dir / "note.txt", "hello");
        CatalogItem* disk = read(dir);
        QVERIFY(disk);
        window().showContainer(disk);
        window().selectInList({disk->firstChild()});
        QStringList offered;
        ModalDriver driver;
        driver.onNextModal([&offered](QWidget* dialog) {
            auto* choice = dialog->findChild<QComboBox*>();
            QVERIFY(choice);
            for (int i = 0; i < choice->count(); ++i)
                offered << choice->itemText(i);
            ModalDriver::ClickButton(dialog, "OK");
        });
        window().runCommand(CommandId::OpenWith);
        qputenv("XDG_DATA_HOME", savedHome);
        qputenv("XDG_DATA_DIRS", savedDirs);
        QVERIFY(driver.allRan());
        QCOMPARE(offered, QStringList{QStringLiteral("Recorder")});
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(record), 5000);
        std::ifstream in(record);
        std::string line;
        std::getline(in, line);
        // Run in the file's folder, with the file as its own argument.
        const QStringList parts = QString::fromStdString(line).split(QLatin1Char('|'));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[1], QStringLiteral("--file"));
        QCOMPARE(parts[2], parts[0] + QStringLiteral("/note.txt"));
        QVERIFY(fs::equivalent(parts[2].toStdString(), dir / "note.txt"));
    }

    void settingsDialogChecksAndStores() {
        AppSettings settings;
        WindowSettings windowSettings;
        const std::string profile = (*temp_ / "ReadDiskDlg.tkp").string();
        SettingsDialog dialog(settings, windowSettings, prompter_, nullptr, store_.get(), profile);
        QCOMPARE(dialog.pages()->count(), 6);
        QCOMPARE(dialog.pages()->tabText(0), QStringLiteral("General"));
        QVERIFY(!SettingsDialog::EmailAcceptable(QStringLiteral("user@host")));
        QVERIFY(!SettingsDialog::EmailAcceptable(QStringLiteral("first.last@host")));
        QVERIFY(SettingsDialog::EmailAcceptable(QStringLiteral("user@host.org")));
        QVERIFY(SettingsDialog::EmailAcceptable(QString()));
        auto* email = dialog.findChild<QLineEdit*>(QStringLiteral("email"));
        QVERIFY(email);
        email->setText(QStringLiteral("user@host"));
        QVERIFY(!dialog.apply());
        QCOMPARE(prompter_.shownTexts().back(), std::string("Please fill out this field correctly."));
        email->setText(QStringLiteral("user@host.org"));
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
            if (box->text() == QStringLiteral("Show Dis&k ID in tree-view") ||
                box->text() == QStringLiteral("&Enable CD Text support"))
                box->setChecked(true);
        }
        QVERIFY(dialog.apply());
        QVERIFY(dialog.settings().bShowTreeDiskID);
        QCOMPARE(store_->getText(kCddbSubKey, "Email"), std::string("user@host.org"));
        QCOMPARE(store_->getInt(kCddbSubKey, "Port", 0), 8080);
        QCOMPARE(ProfileFile(profile).getInt("Default", "bEnableCDText", 0), 1);
        window().applySettings(dialog.settings(), dialog.windowSettings());
        QVERIFY(window().settings().bShowTreeDiskID);
    }

    void languageChosenInSettingsRelabelsTheWindow() {
        fs::copy_file(shelfmark::testing::SourceDir() / "foundation/lang/Deutsch.lng",
                      config_->configDir() / "Deutsch.lng");
        SettingsDialog dialog(window().settings(), WindowSettings(), prompter_, nullptr, store_.get(),
                              (*temp_ / "ReadDiskDlg.tkp").string());
        auto* language = dialog.findChild<QComboBox*>(QStringLiteral("language"));
        QVERIFY(language);
        QCOMPARE(language->itemText(0), QStringLiteral("English (internal)"));
        const int german = language->findText(QStringLiteral("Deutsch"));
        QVERIFY(german > 0);
        language->setCurrentIndex(german);
        QVERIFY(dialog.apply());
        QCOMPARE(dialog.settings().LanguageFile, std::string("Deutsch.lng"));
        window().applySettings(dialog.settings(), dialog.windowSettings());
        QCOMPARE(window().action(CommandId::ReadDisk)->text(), QStringLiteral("Disk &einlesen..."));
        QCOMPARE(window().action(CommandId::ReadDisk)->statusTip(),
                 QString::fromStdString(LanguageTexts::Instance().promptText(PromptId::ReadDisk))
                     .section(QLatin1Char('\n'), 0, 0));
        // Back to the built-in texts.
        SettingsDialog back(window().settings(), WindowSettings(), prompter_, nullptr, store_.get(),
                            (*temp_ / "ReadDiskDlg.tkp").string());
        back.findChild<QComboBox*>(QStringLiteral("language"))->setCurrentIndex(0);
        QVERIFY(back.apply());
        window().applySettings(back.settings(), back.windowSettings());
        QCOMPARE(window().action(CommandId::ReadDisk)->text(), QStringLiteral("&Read Disk..."));
    }

    void secondStartHandsItsRequestsToTheFirst() {
        const QString name = InstanceChannel::DefaultServerName(
            QStringLiteral("-test-") + QString::number(QCoreApplication::applicationPid()));
        InstanceChannel first(name);
        QVERIFY(first.listen());
        InstanceChannel again(name);
        QVERIFY(!again.listen());  // a live instance keeps its name
        connect(&first, &InstanceChannel::activateRequested, &window(), &MainWindow::activate);
        connect(&first, &InstanceChannel::searchRequested, &window(), &MainWindow::searchRequested);
        QSignalSpy searches(&window(), &MainWindow::searchRequested);
        QSignalSpy activations(&first, &InstanceChannel::activateRequested);
        QSignalSpy reads(&first, &InstanceChannel::readDirectoryRequested);

        InstanceChannel second(name);
        QVERIFY(second.sendToRunning({{InstanceRequest::Activate, {}},
                                      {InstanceRequest::Search, QStringLiteral("Song.mp3")},
                                      {InstanceRequest::ReadDirectory, QStringLiteral("/media/cd")}}));
        QTRY_COMPARE(searches.count(), 1);
        QCOMPARE(searches.at(0).at(0).toString(), QStringLiteral("Song.mp3"));
        QCOMPARE(activations.count(), 1);
        QCOMPARE(reads.count(), 1);
        QCOMPARE(reads.at(0).at(0).toString(), QStringLiteral("/media/cd"));
    }

    void aSocketLeftByADeadInstanceIsTakenOver() {
        const QString name = InstanceChannel::DefaultServerName(QStringLiteral("-stale-test"));
        const QString path = QDir::temp().filePath(name);
        QFile::remove(path);
        {
            QFile stale(path);  // a plain file where the socket was
            QVERIFY(stale.open(QIODevice::WriteOnly));
        }
        InstanceChannel channel(name);
        QVERIFY(!InstanceChannel(name).sendToRunning({{InstanceRequest::Activate, {}}}, 200));
        QVERIFY(channel.listen());
    }

    void garbledRequestsAreIgnored() {
        const QString name = InstanceChannel::DefaultServerName(QStringLiteral("-garbled-test"));
        InstanceChannel first(name);
        QVERIFY(first.listen());
        QSignalSpy searches(&first, &InstanceChannel::searchRequested);
        QLocalSocket socket;
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(2000));
        socket.write(QByteArray("\x00\x00\x01\x03\xff\xff", 6));  // a search with a cut text
        socket.waitForBytesWritten(2000);
        socket.disconnectFromServer();
        QTest::qWait(200);
        QCOMPARE(searches.count(), 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
