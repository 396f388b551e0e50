// The catalog's dialogs driven as a user drives them: each runs its operation, keeps itself open
// while the operation's rule turns the input down (with the rule's message), and its change can
// be undone. Messages go to a ScriptedPrompter; nested modal dialogs are driven by a ModalDriver.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <thread>

#include "catalog/CatalogTree.h"
#include "catalog/Definitions.h"
#include "catalog/PasswordOperations.h"
#include "catalog/ui/CatalogBrowseDialog.h"
#include "catalog/ui/CatalogFileDialogs.h"
#include "catalog/ui/CategoryDialogs.h"
#include "catalog/ui/ExtraInfoPage.h"
#include "catalog/ui/InsertDiskWindow.h"
#include "catalog/ui/LendDialog.h"
#include "catalog/ui/NameDialogs.h"
#include "catalog/ui/PasswordDialogs.h"
#include "catalog/ui/PropertiesDialog.h"
#include "catalog/ui/SendToDialog.h"
#include "catalog/ui/UserExtraInfoDialog.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/ui/QtPrompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/catalog/FileBytes.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
using shelfmark::testing::At;
using shelfmark::testing::ModalDriver;
using shelfmark::testing::SavedBytes;

namespace {

std::vector<std::string> Names(const CatalogItem* parent) {
    std::vector<std::string> names;
    for (const CatalogItem* child = parent->firstChild(); child != nullptr; child = child->next())
        names.emplace_back(child->name());
    return names;
}

Volume MakeDrive(const std::string& mountPoint, DriveType type, uint32_t serial) {
    Volume volume;
    volume.mountPoint = mountPoint;
    volume.device = "/dev/" + mountPoint.substr(mountPoint.rfind('/') + 1);
    volume.type = type;
    volume.serial = serial;
    return volume;
}

}  // namespace

class CatalogDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<CatalogDocument> document;
    std::string pristine;

    CatalogItem* at(const char* path) { return At(document->tree(), path); }
    CatalogTree& tree() { return document->tree(); }

  private slots:
    void init() {
        prompter = std::make_unique<ScriptedPrompter>();
        document = std::make_unique<CatalogDocument>(*prompter);
        testing::BuildEditCatalog(document->tree());
        pristine = SavedBytes(document->tree());
    }
    void cleanup() {
        document.reset();
        LanguageTexts::Instance().unloadLanguage();
    }

    void makeFolderStaysOpenUntilTheNameIsAccepted() {
        CatalogItem* music = at("Music");
        MakeFolderDialog dialog(*document, music, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Create Folder"));

        dialog.nameEdit()->setText(QStringLiteral("a/b"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));  // still open: nothing decided yet
        QCOMPARE(dialog.status(), EditStatus::Unchanged);
        dialog.nameEdit()->setText(QStringLiteral("rock"));  // Music already holds "Rock"
        dialog.accept();
        QCOMPARE(dialog.status(), EditStatus::Unchanged);
        QCOMPARE(prompter->shown().size(), size_t(2));
        QVERIFY(prompter->shown()[1].message.text.find("already exists") != std::string::npos);
        QCOMPARE(SavedBytes(tree()), pristine);

        dialog.nameEdit()->setText(QStringLiteral("Blues"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.status(), EditStatus::Done);
        QVERIFY(dialog.created() != nullptr);
        QCOMPARE(Names(music), (std::vector<std::string>{"Blues", "Jazz", "Rock"}));
        QCOMPARE(document->undo(false), CatalogDocument::UndoResult::Done);
        QCOMPARE(SavedBytes(tree()), pristine);
    }

    void diskNameAddsADiskOfTheChosenType() {
        DiskNameDialog dialog(*document, at("Backup"), nullptr);
        QCOMPARE(dialog.typeBox()->count(), 6);
        dialog.nameEdit()->setText(QStringLiteral("Stick 2026"));
        dialog.typeBox()->setCurrentIndex(
            dialog.typeBox()->findText(QStringLiteral("Removable Disk")));
        dialog.accept();
        QCOMPARE(dialog.status(), EditStatus::Done);
        const CatalogItem* disk = dialog.created();
        QVERIFY(disk != nullptr);
        QCOMPARE(disk->mediaType(), MediaType::Removable);
        QCOMPARE(std::string(disk->textAttribute(attr::Volume).value_or("")),
                 std::string("Stick 2026"));
        QCOMPARE(disk->parent(), at("Backup"));

        DiskNameDialog empty(*document, at("Backup"), nullptr);
        empty.accept();
        QCOMPARE(empty.status(), EditStatus::Unchanged);
        QCOMPARE(empty.result(), int(QDialog::Rejected));
        QVERIFY(!prompter->shown().empty());
    }

    void lendShowsTheDiskAndItsBorrower() {
        ModalDriver driver;
        QString caption;
        QString borrower;
        driver.onNextModal([&](QWidget* window) {
            auto* dialog = qobject_cast<LendDialog*>(window);
            caption = dialog->windowTitle();
            borrower = dialog->borrowerEdit()->text();
            dialog->borrowerEdit()->setText(QStringLiteral("Carl"));
            dialog->dateEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(1000000000));
            dialog->accept();
        });
        CatalogItem* rock = at("Music\\Rock\\Rock One");
        CatalogItem* one[] = {rock};
        QCOMPARE(LendDialog::Run(*document, one, nullptr), EditStatus::Done);
        QVERIFY(driver.allRan());
        QCOMPARE(caption, QStringLiteral("Lend Rock One"));
        QCOMPARE(borrower, QStringLiteral("Ann"));
        QCOMPARE(std::string(rock->textAttribute(attr::LentTo).value_or("")), std::string("Carl"));
        QCOMPARE(rock->numberAttribute(attr::LentDate).value_or(0), 1000000000u);

        // Two disks and a folder: the folder is reported, the caption says there are more, the
        // borrower starts empty, and an empty borrower returns both.
        driver.onNextModal([&](QWidget* window) {
            auto* dialog = qobject_cast<LendDialog*>(window);
            caption = dialog->windowTitle();
            borrower = dialog->borrowerEdit()->text();
            dialog->accept();
        });
        CatalogItem* three[] = {rock, at("Music"), at("Backup\\B1")};
        QCOMPARE(LendDialog::Run(*document, three, nullptr), EditStatus::Done);
        QVERIFY(driver.allRan());
        QCOMPARE(caption, QStringLiteral("Lend Rock One, ..."));
        QVERIFY(borrower.isEmpty());
        QCOMPARE(prompter->shown().size(), size_t(1));
        QVERIFY(!rock->isLent());
        QVERIFY(!at("Backup\\B1")->isLent());

        driver.clickOnNextModal(QStringLiteral("Cancel"));
        QCOMPARE(LendDialog::Run(*document, one, nullptr), EditStatus::Unchanged);
        QVERIFY(driver.allRan());
    }

    void setPasswordNeedsTheSameTextTwice() {
        SetPasswordDialog dialog(*prompter);
        dialog.passwordEdit()->setText(QStringLiteral("Geheim"));
        dialog.confirmationEdit()->setText(QStringLiteral("geheim"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{"Passwords do not match!"});
        QVERIFY(dialog.confirmationEdit()->text().isEmpty());
        QCOMPARE(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
        dialog.confirmationEdit()->setText(QStringLiteral("Geheim"));
        dialog.encryptBox()->setChecked(true);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.request().password, std::string("Geheim"));
        QVERIFY(dialog.request().encryptNames);
        QVERIFY(!dialog.request().remember);
    }

    void passwordsProtectAndUnlockThroughTheDialogs() {
        CatalogItem* backup = at("Backup");
        CatalogItem* file = at("Backup\\B1\\Docs\\letter.doc");
        CatalogItem* items[] = {file, backup};
        ModalDriver driver;
        bool wrongKindShownFirst = false;
        driver.onNextModal([&](QWidget* window) {
            // The file was reported before the dialog opened.
            wrongKindShownFirst = prompter->shown().size() == 1;
            auto* dialog = qobject_cast<SetPasswordDialog*>(window);
            dialog->passwordEdit()->setText(QStringLiteral("pw"));
            dialog->confirmationEdit()->setText(QStringLiteral("pw"));
            dialog->accept();
        });
        QCOMPARE(SetPasswordDialog::Run(*document, items, nullptr, nullptr), EditStatus::Done);
        QVERIFY(driver.allRan());
        QVERIFY(wrongKindShownFirst);
        QVERIFY(backup->isProtected());

        // A wrong password brings the dialog back, empty and saying so; the right one with the
        // remove box takes the protection away.
        InstallPasswordUndo(*document);
        QString path;
        bool secondSaysWrong = false;
        driver.onNextModal([&](QWidget* window) {
            auto* dialog = qobject_cast<EnterPasswordDialog*>(window);
            path = dialog->pathLabel()->text();
            QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("wrongPassword")) == nullptr);
            dialog->passwordEdit()->setText(QStringLiteral("PW"));
            dialog->accept();
        });
        driver.onNextModal([&](QWidget* window) {
            auto* dialog = qobject_cast<EnterPasswordDialog*>(window);
            secondSaysWrong =
                dialog->findChild<QLabel*>(QStringLiteral("wrongPassword")) != nullptr &&
                dialog->passwordEdit()->text().isEmpty();
            dialog->passwordEdit()->setText(QStringLiteral("pw"));
            dialog->removeBox()->setChecked(true);
            dialog->accept();
        });
        CatalogItem* protectedOne[] = {backup};
        QCOMPARE(EnterPasswordDialog::Run(*document, protectedOne, nullptr, nullptr),
                 EditStatus::Done);
        QVERIFY(driver.allRan());
        QVERIFY(path.contains(QStringLiteral("Backup")));
        QVERIFY(secondSaysWrong);
        QVERIFY(!backup->isProtected());
    }

    void itemCategoriesTickAtMostFour() {
        CategoryEditor editor(*document);
        std::vector<uint8_t> ids;
        for (const char* name : {"Audio", "Video", "Photo", "Text", "Misc"})
            ids.push_back(*editor.addCategory(name));
        const uint8_t live = *editor.addSubCategory(ids[0], "Live");
        QCOMPARE(editor.commit(*document), EditStatus::Done);

        CatalogItem* rock = at("Music\\Rock\\Rock One");
        ItemCategoriesDialog dialog(*document, rock, *prompter);
        QCOMPARE(dialog.tree()->topLevelItemCount(), 5);
        QCOMPARE(dialog.tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("Live"));
        for (const uint8_t id : ids)
            dialog.setTicked(id, true);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(
            prompter->shownTexts(),
            std::vector<std::string>{"Not more than four categories can be assigned to an item."});
        dialog.setTicked(ids[1], false);
        dialog.setTicked(ids[2], false);
        dialog.setTicked(live, true);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        CatalogItem* items[] = {rock};
        QCOMPARE(SetItemCategories(*document, items, dialog.chosen()), EditStatus::Done);
        const CategoryIds stored = CategoryIdsOf(*rock);
        QCOMPARE(int(stored[0]), int(ids[0]));
        QCOMPARE(int(stored[1]), int(live));
        QCOMPARE(int(stored[2]), int(ids[3]));
        QCOMPARE(int(stored[3]), int(ids[4]));

        // The dialog opened again ticks what the item carries.
        ItemCategoriesDialog again(*document, rock, *prompter);
        int ticked = 0;
        for (QTreeWidgetItemIterator it(again.tree()); *it != nullptr; ++it)
            ticked += (*it)->checkState(0) == Qt::Checked;
        QCOMPARE(ticked, 4);
    }

    void categoryEditorAsksBeforeDeletingAssignedCategories() {
        {
            CategoriesDialog dialog(*document);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Categories"));
            dialog.newCategory();
            dialog.tree()->currentItem()->setText(0, QStringLiteral("Jazz"));
            dialog.newSubCategory();
            dialog.tree()->currentItem()->setText(0, QStringLiteral("Bebop"));
            dialog.newCategory();
            dialog.tree()->currentItem()->setText(0, QStringLiteral("Spare"));
            dialog.accept();
            QCOMPARE(dialog.status(), EditStatus::Done);
        }
        const CategoryDefinitions stored = CategoryDefinitionsOf(*tree().root());
        QCOMPARE(stored.entries.size(), size_t(3));
        QCOMPARE(stored.entries[1].name, std::string("Bebop"));
        QCOMPARE(int(stored.entries[1].level), 2);

        CatalogItem* blue = at("Music\\Jazz\\Blue");
        CatalogItem* items[] = {blue};
        QCOMPARE(SetItemCategories(*document, items, CategoryIds{stored.entries[0].id, 0, 0, 0}),
                 EditStatus::Done);

        // Deleting the assigned category asks about its assignments: Cancel keeps it, Yes
        // deletes it and takes it off the disk on OK.
        CategoriesDialog dialog(*document);
        dialog.tree()->setCurrentItem(dialog.tree()->topLevelItem(0));
        prompter->clear();
        prompter->queueAnswer(PromptAnswer::Cancel);
        dialog.deleteSelected();
        QCOMPARE(dialog.tree()->topLevelItemCount(), 2);
        prompter->queueAnswer(PromptAnswer::Yes);
        dialog.deleteSelected();
        QCOMPARE(dialog.tree()->topLevelItemCount(), 1);
        QCOMPARE(prompter->shown().size(), size_t(2));
        QVERIFY(prompter->shown()[0].message.text.find("assigned to some items") !=
                std::string::npos);
        QCOMPARE(prompter->shown()[0].message.buttons, PromptButtons::YesNoCancel);
        dialog.accept();
        QVERIFY(!blue->hasAttribute(attr::Categories));
        QCOMPARE(document->undo(false), CatalogDocument::UndoResult::Done);
        QVERIFY(blue->hasAttribute(attr::Categories));
    }

    void userExtraInfoTakesTheLowestFreeKeys() {
        {
            UserExtraInfoDialog dialog(*document);
            dialog.newText();
            dialog.list()->currentItem()->setText(0, QStringLiteral("Shelf"));
            dialog.newNumber();
            dialog.list()->currentItem()->setText(0, QStringLiteral("Copies"));
            QCOMPARE(dialog.list()->topLevelItem(1)->text(1), QStringLiteral("Number"));
            dialog.accept();
            QCOMPARE(dialog.status(), EditStatus::Done);
        }
        const std::vector<ExtraDefinition> stored = ExtraDefinitionsOf(*tree().root());
        QCOMPARE(stored.size(), size_t(2));
        QCOMPARE(int(stored[0].key), 0xB0);
        QCOMPARE(stored[0].name, std::string("Shelf"));
        QCOMPARE(int(stored[1].key), 0x70);
        QCOMPARE(stored[1].name, std::string("Copies"));

        // Cancel commits nothing.
        UserExtraInfoDialog cancelled(*document);
        cancelled.newText();
        cancelled.reject();
        QCOMPARE(ExtraDefinitionsOf(*tree().root()).size(), size_t(2));
    }

    void propertiesEditNameDescriptionAndExtraInformation() {
        CatalogItem* disk = at("Backup\\B1");
        CatalogItem* items[] = {disk};
        {
            PropertiesDialog dialog(*document, items);
            QCOMPARE(dialog.tabs()->tabText(0), QStringLiteral("General"));
            QCOMPARE(dialog.tabs()->tabText(1), QStringLiteral("Extra Information"));
            QCOMPARE(dialog.generalPage()->nameEdit()->text(), QStringLiteral("B1"));
            QCOMPARE(dialog.generalPage()->fact(3), QStringLiteral("Hard Disk"));
            QCOMPARE(dialog.generalPage()->fact(10), QStringLiteral("Bob"));
            ExtraInfoPage* page = dialog.extraInfoPage();
            const std::vector<uint8_t> addable = page->addableKeys();
            QVERIFY(std::find(addable.begin(), addable.end(), attr::Thumbnail) == addable.end());
            QTreeWidgetItem* row = page->addRow(0x4B, QStringLiteral("abc"));  // Width
            QCOMPARE(row->text(0), QStringLiteral("Width"));
            dialog.generalPage()->nameEdit()->setText(QStringLiteral("Backup One"));
            dialog.generalPage()->descriptionEdit()->setPlainText(QStringLiteral("Tax papers"));
            // The number does not parse: reported, and the dialog stays on the page.
            dialog.accept();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(dialog.tabs()->currentWidget(), static_cast<QWidget*>(page));
            row->setText(1, QStringLiteral("0x1A"));
            dialog.accept();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(std::string(disk->name()), std::string("Backup One"));
        QCOMPARE(std::string(disk->textAttribute(attr::Description).value_or("")),
                 std::string("Tax papers"));
        QCOMPARE(disk->numberAttribute(0x4B).value_or(0), 26u);

        // The page lists what the item carries; deleting a row asks first.
        PropertiesDialog again(*document, items);
        ExtraInfoPage* page = again.extraInfoPage();
        QCOMPARE(page->list()->topLevelItemCount(), 1);
        QCOMPARE(page->list()->topLevelItem(0)->text(1), QStringLiteral("26"));
        page->list()->topLevelItem(0)->setSelected(true);
        prompter->clear();
        prompter->queueAnswer(PromptAnswer::No);
        QVERIFY(!page->deleteSelected());
        QCOMPARE(prompter->shownTexts(),
                 std::vector<std::string>{"Do you really want to delete 'Width'?"});
        prompter->queueAnswer(PromptAnswer::Yes);
        QVERIFY(page->deleteSelected());
        again.accept();
        QVERIFY(!disk->hasAttribute(0x4B));

        // Undo walks back through the three steps.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(document->undo(false), CatalogDocument::UndoResult::Done);
        QCOMPARE(SavedBytes(tree()), pristine);
    }

    void browseListsFoldersOnly() {
        CatalogBrowseDialog dialog(tree(), "Select the folder", at("Music\\Jazz"));
        QCOMPARE(dialog.chosen(), at("Music\\Jazz"));
        int rows = 0;
        for (QTreeWidgetItemIterator it(dialog.tree()); *it != nullptr; ++it)
            ++rows;
        QCOMPARE(rows, 5);  // the root, Music, Rock, Jazz, Backup
        QVERIFY(!dialog.select(at("Loose")));
        QVERIFY(dialog.select(at("Backup")));
        QCOMPARE(dialog.chosen(), at("Backup"));

        ModalDriver driver;
        driver.onNextModal([](QWidget* window) {
            auto* browse = qobject_cast<CatalogBrowseDialog*>(window);
            browse->select(browse->chosen()->firstChild());  // the root's first folder
            browse->accept();
        });
        CatalogItem* items[] = {at("Loose")};
        QCOMPARE(
            MoveToFolder(*document, items, nullptr, CatalogBrowseDialog::Chooser(tree(), nullptr)),
            EditStatus::Done);
        QVERIFY(driver.allRan());
        QCOMPARE(at("Loose"), nullptr);
    }

    void insertDiskClosesWhenTheWantedMediumArrives() {
        const std::vector<Volume> drives = {
            MakeDrive("/media/cd0", DriveType::CdRom, 0xAAAA0001),
            MakeDrive("/media/stick", DriveType::Removable, 0x12345678),
            MakeDrive("/media/cd1", DriveType::CdRom, 0xBBBB0002)};
        std::map<std::string, uint32_t> media = {{"/media/cd0", 0xAAAA0001},
                                                 {"/media/cd1", 0xBBBB0002}};
        InsertDiskRequest request;
        request.diskName = "Holiday";
        request.wantedSerial = 0x12345678;
        request.wantedType = DriveType::CdRom;
        InsertDiskPrompt prompt(
            request, drives, *prompter, [&](const Volume& volume) -> std::optional<uint32_t> {
                const auto found = media.find(volume.mountPoint);
                return found == media.end() ? std::nullopt : std::optional<uint32_t>(found->second);
            });
        InsertDiskWindow window(nullptr, nullptr);
        QStringList listed;
        QString serial;
        QString option;
        ModalDriver driver;
        driver.onNextModal([&](QWidget*) {
            for (int i = 0; i < window.driveBox()->count(); ++i)
                listed << window.driveBox()->itemText(i);
            serial = window.serialField()->text();
            option = window.updateBox()->text();
            // The right disc goes into the drive that is not selected.
            media["/media/cd1"] = 0x12345678;
            window.volumeChanged({VolumeChange::Kind::Arrived,
                                  MakeDrive("/media/cd1", DriveType::CdRom, 0x12345678)});
        });
        QVERIFY(window.run(prompt));
        QVERIFY(driver.allRan());
        QCOMPARE(listed, (QStringList{"/media/cd0", "/media/cd1"}));
        QCOMPARE(serial, QStringLiteral("AAAA-0001"));
        QCOMPARE(option, QStringLiteral("&Update serial number of 'Holiday'."));
        QVERIFY(window.explanation()->text().contains(QStringLiteral("(serial number 1234-5678)")));
        QCOMPARE(prompt.chosenVolume()->mountPoint, std::string("/media/cd1"));
    }

    // Volumes keep arriving from the watcher's thread while the window closes: none of them may
    // reach the window afterwards, and the changes still queued must not end the next prompt the
    // same window shows (here the wanted medium "arrives" late for the first one).
    void insertDiskWindowClosedWhileVolumesArrive() {
        InsertDiskRequest request;
        request.diskName = "Holiday";
        request.wantedSerial = 0x12345678;
        request.wantedType = DriveType::CdRom;
        const auto reader = [](const Volume& volume) -> std::optional<uint32_t> {
            return volume.mountPoint == "/media/cd1" ? 0x12345678u : 0xAAAA0001u;
        };
        const std::vector<Volume> drives = {MakeDrive("/media/cd0", DriveType::CdRom, 0xAAAA0001)};
        VolumeWatcher::Listener listener;
        InsertDiskWindow window(nullptr, [&](VolumeWatcher::Listener given) {
            listener = std::move(given);
            return std::unique_ptr<VolumeWatcher>();
        });

        InsertDiskPrompt first(request, drives, *prompter, reader);
        ModalDriver driver;
        driver.onNextModal([&](QWidget*) {
            // All of it is queued before the window closes: nothing runs the event loop between.
            std::thread watcher([&] {
                for (int i = 0; i < 200; ++i)
                    listener(
                        {i % 2 == 0 ? VolumeChange::Kind::Arrived : VolumeChange::Kind::Removed,
                         MakeDrive("/media/cd2", DriveType::CdRom, 0xAAAA0001)});
                listener({VolumeChange::Kind::Arrived,
                          MakeDrive("/media/cd1", DriveType::CdRom, 0x12345678)});
            });
            watcher.join();
            window.reject();
        });
        QVERIFY(!window.run(first));
        QVERIFY(driver.allRan());
        QCOMPARE(first.state(), InsertDiskPrompt::State::Cancelled);

        InsertDiskPrompt second(request, drives, *prompter, reader);
        InsertDiskPrompt::State seen = InsertDiskPrompt::State::Ok;
        int listed = 0;
        driver.onNextModal([&](QWidget*) {
            seen = second.state();
            listed = window.driveBox()->count();
            window.reject();
        });
        QVERIFY(!window.run(second));
        QVERIFY(driver.allRan());
        QCOMPARE(seen, InsertDiskPrompt::State::Open);
        QCOMPARE(listed, 1);
        QTest::qWait(20);
        QCOMPARE(second.state(), InsertDiskPrompt::State::Cancelled);
    }

    void insertDiskOkOnAnotherMediumNeedsTheUpdateOption() {
        const std::vector<Volume> drives = {MakeDrive("/media/cd0", DriveType::CdRom, 0xAAAA0001)};
        InsertDiskRequest request;
        request.diskName = "Holiday";
        request.wantedSerial = 0x12345678;
        InsertDiskPrompt prompt(
            request, drives, *prompter,
            [](const Volume&) -> std::optional<uint32_t> { return 0xAAAA0001u; });
        InsertDiskWindow window(nullptr, nullptr);
        ModalDriver driver;
        bool stayedOpen = false;
        driver.onNextModal([&](QWidget*) {
            window.accept();
            stayedOpen = window.isVisible();
            window.updateBox()->setChecked(true);
            window.accept();
        });
        QVERIFY(window.run(prompt));
        QVERIFY(driver.allRan());
        QVERIFY(stayedOpen);
        QCOMPARE(prompt.chosenSerial(), 0xAAAA0001u);
    }

    void dialogsSpeakTheChosenLanguage() {
        QVERIFY(LanguageTexts::Instance().loadLanguage(
            (testing::SourceDir() / "foundation/lang/Deutsch.lng").string()));
        MakeFolderDialog folder(*document, at("Music"));
        QCOMPARE(folder.windowTitle(), QStringLiteral("Ordner erstellen"));
        SetPasswordDialog password(*prompter);
        password.passwordEdit()->setText(QStringLiteral("a"));
        password.accept();
        QCOMPARE(prompter->shownTexts(),
                 std::vector<std::string>{"Die Passwörter stimmen nicht überein!"});
        CatalogItem* items[] = {at("Backup\\B1")};
        PropertiesDialog properties(*document, items);
        QCOMPARE(properties.tabs()->tabText(1), QStringLiteral("Zusatzinformationen"));
    }

    void sendToCopiesFromTheMediumIntoTheChosenFolder() {
        testing::TempDir dir;
        std::filesystem::create_directories(dir.path() / "cd");
        std::filesystem::create_directories(dir.path() / "out");
        std::ofstream(dir.path() / "cd/cover.jpg") << "JPEG";
        CatalogItem* items[] = {at("Music\\Rock\\Rock One\\cover.jpg"), at("Music")};
        SendToDialog dialog(*document, items, nullptr);
        dialog.setDrives({MakeDrive((dir.path() / "cd").string(), DriveType::CdRom, 0x1234ABCD)});
        QCOMPARE(dialog.list()->topLevelItemCount(), 2);
        dialog.remove(at("Music"));
        QCOMPARE(dialog.list()->topLevelItemCount(), 1);
        dialog.accept();  // no target yet
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompter->shownTexts(),
                 std::vector<std::string>{"Please fill out this field correctly."});
        dialog.targetEdit()->setText(QString::fromStdString((dir.path() / "out").string()));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.sendResult().sent, size_t(1));
        QVERIFY(std::filesystem::exists(dir.path() / "out/cover.jpg"));
    }

    // The old-format hint is the Qt prompter's box with a check box; ticking it keeps the hint
    // from showing again, and "Save changes to %1?" offers Yes, No and Cancel.
    void convertHintAndSaveQuestionAreMessageBoxes() {
        testing::TempDir dir;
        testing::FileBytes old;
        old.oldHeader(0x25).u8(0).u32(1).u16(0);
        old.text("f").u16(0x0040 | 0x6000).u32(3).u8(0).u32(0).text("");
        const std::string path = (dir.path() / "old.tkd").string();
        std::ofstream(path, std::ios::binary) << old.str();

        QtPrompter boxes;
        CatalogDocument opened(boxes);
        ModalDriver driver;
        QString hint;
        driver.onNextModal([&](QWidget* box) {
            hint = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            box->findChild<QCheckBox*>()->setChecked(true);
            ModalDriver::ClickButton(box, QStringLiteral("OK"));
        });
        QVERIFY(opened.openCatalogFile(path));
        QVERIFY(driver.allRan());
        QVERIFY(hint.startsWith(QStringLiteral("This is a file in format v2.5.")));
        QCOMPARE(opened.showConvertHint(), 48);

        opened.setModified();
        QStringList buttons;
        driver.onNextModal([&](QWidget* box) {
            for (QAbstractButton* button : box->findChildren<QAbstractButton*>())
                buttons << button->text();
            ModalDriver::ClickButton(box, QStringLiteral("Cancel"));
        });
        QVERIFY(!opened.saveModified());
        QVERIFY(driver.allRan());
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"&No", "&Yes", "Cancel"}));
    }

    void savePathGetsTheCatalogExtension() {
        QCOMPARE(WithCatalogExtension("/tmp/Catalog"), std::string("/tmp/Catalog.tkd"));
        QCOMPARE(WithCatalogExtension("/tmp/Catalog.tkd"), std::string("/tmp/Catalog.tkd"));
        QCOMPARE(WithCatalogExtension("/tmp/My.Catalog"), std::string("/tmp/My.Catalog"));
        InstallCatalogFileDialogs(*document, nullptr);
        QVERIFY(static_cast<bool>(document->hooks().askSavePath));
    }
};

QTEST_MAIN(CatalogDialogsTest)
#include "CatalogDialogsTest.moc"
