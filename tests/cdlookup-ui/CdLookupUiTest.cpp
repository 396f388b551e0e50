// The CD lookup's windows as a user drives them: the CDDB dialog against the bundled CDDB test
// server (a lookup with several matches settled in the chooser, a new record typed into the disc
// editor and submitted), the import from cdplayer.ini, the two settings pages, and the version
// check on its worker thread. With SHELFMARK_SCREENSHOT_DIR set, the lookup dialog and the disc
// editor are also saved as pictures.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

#include "catalog/CatalogTree.h"
#include "cdlookup/CddbSettings.h"
#include "cdlookup/ui/AudioCdSettingsPage.h"
#include "cdlookup/ui/CddbDialog.h"
#include "cdlookup/ui/CddbSettingsPage.h"
#include "cdlookup/ui/DiscEditorDialog.h"
#include "cdlookup/ui/ImportCdsDialog.h"
#include "cdlookup/ui/MatchDialog.h"
#include "cdlookup/ui/UpdateCheckRunner.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ProfileFile.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/StringFormat.h"
#include "foundation/ui/QtPrompter.h"
#include "platform/settings/SettingsStore.h"
#include "tests/cdlookup/CdLookupFixture.h"
#include "tests/discora/CddbServers.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
namespace st = shelfmark::testing;
using shelfmark::testing::AddAudioDisk;
using shelfmark::testing::CddbTestServer;
using shelfmark::testing::ModalDriver;
using shelfmark::testing::DiscRecordFields;
using shelfmark::testing::TestSite;
using shelfmark::testing::WriteRecord;

namespace {

const std::vector<uint32_t> kThreeTracks{150, 15000, 30000, 45000};
const std::vector<uint32_t> kUnknownDisc{150, 20000, 41000};

std::vector<uint32_t> Longer(uint32_t frames) {
    std::vector<uint32_t> offsets = kThreeTracks;
    offsets.back() += frames;
    return offsets;
}

std::string DescriptionOf(const CatalogItem* item) {
    return std::string(item->textAttribute(attr::Description).value_or("<none>"));
}

QStringList RowTexts(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

void SaveShot(QWidget* window, const char* name) {
    const QByteArray dir = qgetenv("SHELFMARK_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(window->grab().save(QString::fromUtf8(dir) + "/" + name));
}

// One test's world: a configuration folder, a catalog, a settings store and the server.
struct World {
    explicit World(Prompter& prompter) : document(prompter) {
        document.newCatalog();
        std::filesystem::create_directories(records());
    }
    std::filesystem::path records() const { return work / "records"; }
    std::string log() const {
        return std::filesystem::exists(work / "server.log") ? st::ReadFile(work / "server.log")
                                                            : "";
    }
    CddbTestServer& server() {
        if (!server_)
            server_ = std::make_unique<CddbTestServer>(records(), work / "server.log");
        return *server_;
    }
    CddbDialog::Options options() {
        CddbDialog::Options options;
        options.siteLine = TestSite(server().httpPort());
        options.toc.cdDrives = [] { return std::vector<CdDrive>{}; };
        return options;
    }
    CatalogTree& tree() { return document.tree(); }
    CatalogItem* root() { return document.tree().root(); }

    st::ScopedConfigHome config;
    st::TempDir work;
    CatalogDocument document;
    SettingsStore store{(work / "settings.ini").string()};
    std::unique_ptr<CddbTestServer> server_;
};

}  // namespace

class CdLookupUiTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { LanguageTexts::Instance().unloadLanguage(); }

    // Start over a disk with two matches: the chooser lists both, the second is taken, the disk
    // and its tracks are named from it and the row is done.
    void severalMatchesAreSettledInTheChooser() {
        ScriptedPrompter prompter;
        World world(prompter);
        WriteRecord(world.records(), "rock",
                    {Longer(300), "Rock Artist", "Rock Title", {"r1", "r2", "r3"}});
        WriteRecord(world.records(), "jazz",
                    {Longer(600), "Jazz Artist", "Jazz Title", {"j1", "j2", "j3"}});
        CatalogItem* disk = AddAudioDisk(world.tree(), world.root(), "Chosen", kThreeTracks, 3);
        // Disks left unchecked are not looked up.
        AddAudioDisk(world.tree(), world.root(), "Live at Home", kUnknownDisc, 2);
        AddAudioDisk(world.tree(), world.root(), "Mixed Tape", {}, 5);
        const std::vector<CatalogItem*> preChecked{disk};
        CddbDialog dialog(world.document, world.store, preChecked, false, world.options());
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("CDDB"));
        QCOMPARE(RowTexts(dialog.list(), 0), (QStringList{"Chosen", "Live at Home", "Mixed Tape"}));
        QCOMPARE(dialog.list()->topLevelItem(0)->checkState(0), Qt::Checked);
        QVERIFY(dialog.discInfoButton()->isEnabled());

        ModalDriver driver;
        QStringList genres;
        QString prompt;
        QString caption;
        driver.onNextModal([&](QWidget* window) {
            auto* chooser = qobject_cast<MatchDialog*>(window);
            QVERIFY(chooser != nullptr);
            caption = chooser->windowTitle();
            prompt = chooser->findChildren<QLabel*>().value(0)->text();
            genres = RowTexts(chooser->list(), 0);
            chooser->list()->setCurrentItem(chooser->list()->topLevelItem(1));
            ModalDriver::ClickButton(chooser, "OK");
        });
        dialog.startButton()->click();
        QVERIFY(driver.allRan());
        QCOMPARE(caption, QStringLiteral("CDDB Fuzzy Match"));
        QCOMPARE(prompt, QStringLiteral("&Please select the correct disc title for 'Chosen':"));
        QCOMPARE(genres, (QStringList{"jazz", "rock"}));
        QCOMPARE(std::string(disk->name()), std::string("Rock Artist - Rock Title"));
        QCOMPARE(DescriptionOf(disk->firstChild()), std::string("r1"));
        QCOMPARE(dialog.list()->topLevelItem(0)->text(0),
                 QStringLiteral("Rock Artist - Rock Title"));
        QCOMPARE(dialog.list()->topLevelItem(0)->text(1),
                 QStringLiteral("Rock Artist - Rock Title"));
        QCOMPARE(dialog.list()->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QVERIFY(dialog.progressWindow() != nullptr && !dialog.progressWindow()->isVisible());
        QCOMPARE(dialog.list()->topLevelItem(1)->text(1), QString());
        QVERIFY(world.document.isModified());
        SaveShot(&dialog, "cddb-lookup-dialog.png");
    }

    // Submit New on a disk the server does not know: the disc editor asks for a category, the
    // rows are filled with Previous/Next, OK checks every title, the question is answered Yes and
    // the record reaches the server; the disk carries the new names.
    void anEditedRecordIsSubmittedThroughTheDiscEditor() {
        QtPrompter prompter;
        World world(prompter);
        CddbSettings settings;
        settings.Email = "me@example.org";
        settings.save(world.store);
        CatalogItem* disk = AddAudioDisk(world.tree(), world.root(), "Mine", kUnknownDisc, 2);
        CddbDialog dialog(world.document, world.store, {}, false, world.options());
        dialog.show();
        prompter.setParent(&dialog);

        ModalDriver driver;
        QString caption;
        QString modifiedCaption;
        bool categoryOpen = false;
        bool previousAtStart = true;
        bool markerOnSecondRow = false;
        int rowAfterRefusal = -1;
        bool titleFocused = false;
        QString refusal;
        driver.onNextModal([&](QWidget* window) {
            auto* editor = qobject_cast<DiscEditorDialog*>(window);
            QVERIFY(editor != nullptr);
            caption = editor->windowTitle();
            categoryOpen =
                editor->categoryBox()->isEnabled() && editor->categoryBox()->currentIndex() == -1;
            previousAtStart = editor->previousButton()->isEnabled();
            const int misc = editor->categoryBox()->findText("misc");
            QVERIFY(misc >= 0);
            editor->categoryBox()->setCurrentIndex(misc);
            emit editor->categoryBox()->activated(misc);
            QTest::keyClicks(editor->artistEdit(), "New Artist");
            QTest::keyClicks(editor->titleEdit(), "New Title");
            editor->extendedEdit()->setPlainText("line one\nline two");
            QTest::keyClicks(editor->yearEdit(), "2004");
            editor->nextButton()->click();
            markerOnSecondRow = editor->marker()->isVisible() && editor->currentRow() == 1;
            QTest::keyClicks(editor->titleEdit(), "Part 1");
            editor->nextButton()->click();
            modifiedCaption = editor->windowTitle();
            SaveShot(editor, "cddb-disc-editor.png");
            // Track 2 has no title yet: OK refuses, selects it and waits in its title.
            driver.onNextModal(
                [&](QWidget* box) {
                    refusal = box->findChildren<QLabel*>().value(1)->text();
                    ModalDriver::ClickButton(box, "OK");
                },
                editor);
            editor->okButton()->click();
            rowAfterRefusal = editor->currentRow();
            titleFocused = editor->focusWidget() == editor->titleEdit();
            QTest::keyClicks(editor->titleEdit(), "Part 2");
            driver.clickOnNextModal("Yes", editor);  // submit changes?
            editor->okButton()->click();
        });
        dialog.submitNewButton()->click();
        QVERIFY(driver.allRan());
        QCOMPARE(caption, QStringLiteral("CDDB Disc Information"));
        QCOMPARE(modifiedCaption, QStringLiteral("CDDB Disc Information *"));
        QVERIFY(categoryOpen);
        QVERIFY(!previousAtStart);
        QVERIFY(markerOnSecondRow);
        QCOMPARE(refusal, QStringLiteral("Please fill out this field correctly."));
        QCOMPARE(rowAfterRefusal, 2);
        QVERIFY(titleFocused);

        QCOMPARE(std::string(disk->name()), std::string("New Artist - New Title"));
        QCOMPARE(DescriptionOf(disk->firstChild()->next()), std::string("Part 2"));
        const std::string id =
            StringPrintf("%08x", CDiscora::ComputeDiscID(2, kUnknownDisc.data()));
        const std::string record = st::ReadFile(world.records() / "misc" / id);
        QVERIFY(record.find("DTITLE=New Artist / New Title\r\n") != std::string::npos);
        QVERIFY(record.find("DYEAR=2004\r\n") != std::string::npos);
        QVERIFY(record.find("TTITLE0=Part 1\r\n") != std::string::npos);
        QVERIFY(record.find("EXTD=line one\\nline two\r\n") != std::string::npos);
        QVERIFY(world.log().find("User-Email: me@example.org") != std::string::npos);
    }

    // Opened after a disk read: the dialog looks the pre-checked disk up at once and closes.
    void autoStartLooksUpAndCloses() {
        ScriptedPrompter prompter;
        World world(prompter);
        WriteRecord(world.records(), "rock", {kThreeTracks, "Artist", "Title", {"a", "b", "c"}});
        CatalogItem* disk = AddAudioDisk(world.tree(), world.root(), "Just Read", kThreeTracks, 3);
        const std::vector<CatalogItem*> preChecked{disk};
        CddbDialog dialog(world.document, world.store, preChecked, true, world.options());
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(std::string(disk->name()), std::string("Artist - Title"));
        QCOMPARE(DescriptionOf(disk->firstChild()->next()->next()), std::string("c"));
        QVERIFY(prompter.shown().empty());
    }

    // A server that cannot be reached: the row says so, stays checked, and the retry question
    // is asked; No leaves the catalog as it was.
    void aServerFailureIsMarkedAndOfferedForRetry() {
        ScriptedPrompter prompter;
        World world(prompter);
        CatalogItem* disk = AddAudioDisk(world.tree(), world.root(), "Offline", kThreeTracks, 3);
        st::ScriptedServer refusing(
            [](st::ScriptedServer&, int fd) { st::ScriptedServer::Reset(fd); });
        CddbDialog::Options options = world.options();
        options.siteLine = TestSite(refusing.port());
        const std::vector<CatalogItem*> preChecked{disk};
        CddbDialog dialog(world.document, world.store, preChecked, false, options);
        prompter.queueAnswer(PromptAnswer::No);
        dialog.startButton()->click();
        QCOMPARE(dialog.list()->topLevelItem(0)->text(1),
                 QStringLiteral("Error accessing CDDB server."));
        QCOMPARE(dialog.list()->topLevelItem(0)->checkState(0), Qt::Checked);
        QCOMPARE(prompter.shownTexts().back(),
                 std::string("CDDB access failed for one or more discs.\nDo you want to retry?"));
        QCOMPARE(std::string(disk->name()), std::string("Offline"));
        QVERIFY(!world.document.isModified());
    }

    // Disc Info on a server record: its category is fixed, a new disc artist shows on every
    // track row without an artist of its own, the default button walks to OK on the last row,
    // and Cancel changes nothing and asks nothing.
    void discInfoShowsAServerRecordInTheEditor() {
        ScriptedPrompter prompter;
        World world(prompter);
        WriteRecord(world.records(), "rock",
                    {kThreeTracks, "Artist", "Title", {"a", "Guest / b", "c"}});
        CatalogItem* disk = AddAudioDisk(world.tree(), world.root(), "Known", kThreeTracks, 3);
        CddbDialog dialog(world.document, world.store, {}, false, world.options());
        ModalDriver driver;
        QString category;
        bool categoryFixed = false;
        QStringList titles;
        bool okDefaultAtEnd = false;
        bool nextDefaultAtStart = false;
        driver.onNextModal([&](QWidget* window) {
            auto* editor = qobject_cast<DiscEditorDialog*>(window);
            QVERIFY(editor != nullptr);
            category = editor->categoryBox()->currentText();
            categoryFixed = !editor->categoryBox()->isEnabled();
            nextDefaultAtStart = editor->nextButton()->isDefault();
            editor->artistEdit()->setText("Renamed");
            editor->nextButton()->click();
            titles = RowTexts(editor->rows(), 1);
            editor->rows()->setCurrentItem(editor->rows()->topLevelItem(3));
            okDefaultAtEnd = editor->okButton()->isDefault() && !editor->nextButton()->isEnabled();
            editor->reject();
        });
        dialog.discInfoButton()->click();
        QVERIFY(driver.allRan());
        QCOMPARE(category, QStringLiteral("rock"));
        QVERIFY(categoryFixed);
        QVERIFY(nextDefaultAtStart);
        QCOMPARE(titles,
                 (QStringList{"Renamed / Title", "Renamed / a", "Guest / b", "Renamed / c"}));
        QVERIFY(okDefaultAtEnd);
        QCOMPARE(std::string(disk->name()), std::string("Known"));
        QVERIFY(prompter.shown().empty());
    }

    // A box is checked only when the disk has a table of contents: without one and with no drive
    // holding it, the user is asked to insert it, and Cancel leaves the box clear. "Select new"
    // checks the disks read since the catalog was opened.
    void checkingNeedsATableOfContents() {
        ScriptedPrompter prompter;
        World world(prompter);
        AddAudioDisk(world.tree(), world.root(), "A Imported", {}, 3);
        CatalogItem* fresh = AddAudioDisk(world.tree(), world.root(), "B Fresh", kThreeTracks, 3);
        AddAudioDisk(world.tree(), world.root(), "C Old", kThreeTracks, 3);
        world.tree().setNumberAttribute(fresh, attr::ReadThisSession, 1u);
        std::string opened;
        CddbDialog::Options options = world.options();
        options.openBrowser = [&opened](const std::string& page) { opened = page; };
        CddbDialog dialog(world.document, world.store, {}, false, options);

        prompter.queueAnswer(PromptAnswer::Cancel);
        dialog.list()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        QCOMPARE(dialog.list()->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QVERIFY(prompter.shownTexts().back().starts_with(
            "Table Of Contents information for 'A Imported' not available."));

        QList<QAction*> select = dialog.selectButton()->menu()->actions();
        QCOMPARE(select.size(), 4);
        QCOMPARE(select[2]->text(), QStringLiteral("Select &new"));
        select[2]->trigger();
        QCOMPARE(dialog.list()->topLevelItem(1)->checkState(0), Qt::Checked);
        QCOMPARE(dialog.list()->topLevelItem(2)->checkState(0), Qt::Unchecked);
        select[3]->trigger();  // invert: the old disk only, the imported one still refused
        prompter.queueAnswer(PromptAnswer::Cancel);
        QCOMPARE(dialog.list()->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QCOMPARE(dialog.list()->topLevelItem(1)->checkState(0), Qt::Unchecked);
        QCOMPARE(dialog.list()->topLevelItem(2)->checkState(0), Qt::Checked);

        dialog.browserButton()->click();
        QCOMPARE(opened, std::string(kCddbSearchPage));
        // No current row: the row commands are off.
        dialog.list()->setCurrentItem(nullptr);
        QVERIFY(!dialog.submitNewButton()->isEnabled());
    }

    // The discs of cdplayer.ini become disks in a new subfolder of the chosen folder, named by
    // the disc format, with one track per title; one undo step takes them back.
    void cdplayerIniIsImported() {
        ScriptedPrompter prompter;
        World world(prompter);
        const std::filesystem::path ini = world.config.configDir() / "cdplayer.ini";
        st::WriteFile(ini,
                      "[A1B2]\r\nartist=Ann\r\ntitle=First\r\nnumtracks=3\r\n0=One\r\n"
                      "1=Two\r\n2=Three\r\norder=0 1 2\r\n"
                      "[beef]\r\nartist=Bob\r\ntitle=Second\r\nnumtracks=1\r\n0=Solo\r\n"
                      "[Odd Name]\r\nartist=Cy\r\ntitle=Third\r\nnumtracks=2\r\n");
        CddbSettings settings;
        settings.bUseDiscFormat = true;
        settings.DiscFormat = "%2 (%1)";
        settings.bUseTrackFormat = true;
        settings.TrackFormat = "%3. %2";
        settings.save(world.store);
        CatalogItem* music =
            world.tree().createItem("Music", world.root(), Sorted, itemflag::Folder);
        world.tree().createItem("Inner", music, Sorted, itemflag::Folder);

        ImportCdsDialog::Options options;
        options.iniPath = ini.string();
        ImportCdsDialog dialog(world.document, world.store, music, options);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Import CDs"));
        QCOMPARE(RowTexts(dialog.list(), 0),
                 (QStringList{"First (Ann)", "Second (Bob)", "Third (Cy)"}));
        QCOMPARE(dialog.folderBox()->count(), 3);
        QCOMPARE(dialog.folderBox()->currentText(), QStringLiteral("    Music"));
        QCOMPARE(dialog.folderBox()->itemText(2), QStringLiteral("        Inner"));

        QList<QAction*> select = dialog.selectionButton()->menu()->actions();
        select[0]->trigger();
        select[2]->trigger();  // invert: none
        QCOMPARE(dialog.list()->topLevelItem(0)->checkState(0), Qt::Unchecked);
        dialog.list()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        dialog.list()->topLevelItem(1)->setCheckState(0, Qt::Checked);

        dialog.newFolderBox()->setChecked(true);
        QVERIFY(!dialog.okButton()->isEnabled());
        QVERIFY(dialog.newFolderEdit()->isEnabled());
        QTest::keyClicks(dialog.newFolderEdit(), "Imported");
        QVERIFY(dialog.okButton()->isEnabled());
        dialog.okButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        QCOMPARE(dialog.created().size(), size_t(2));
        CatalogItem* folder = dialog.created()[0]->parent();
        QCOMPARE(std::string(folder->name()), std::string("Imported"));
        QCOMPARE(folder->parent(), music);
        const CatalogItem* first = dialog.created()[0];
        QCOMPARE(std::string(first->name()), std::string("First (Ann)"));
        QCOMPARE(first->mediaType(), MediaType::AudioCd);
        QCOMPARE(first->numberAttribute(attr::VolumeSerial).value_or(0), 0xA1B2u);
        QCOMPARE(std::string(first->firstChild()->name()), std::string("Track01.cda"));
        QCOMPARE(DescriptionOf(first->firstChild()->next()->next()), std::string("03. Three"));
        // The lower-case section is found again by its number.
        QCOMPARE(DescriptionOf(dialog.created()[1]->firstChild()), std::string("01. Solo"));
        QCOMPARE(world.document.undoStepCount(), size_t(1));
        QCOMPARE(world.document.undo(false), CatalogDocument::UndoResult::Done);
        QVERIFY(music->firstChild() != nullptr && music->firstChild()->next() == nullptr);
    }

    // The CDDB page: port 8080 proposed, the proxy fields enabled in turn, a bad address refused
    // with the field message, a good one stored with the password scrambled.
    void cddbPageChecksAndStores() {
        ScriptedPrompter prompter;
        st::TempDir work;
        SettingsStore store{(work / "settings.ini").string()};
        CddbSettingsPage page(store, prompter);
        QCOMPARE(page.portEdit()->value(), 8080);
        QVERIFY(!page.portEdit()->isEnabled() && !page.userEdit()->isEnabled());
        QVERIFY(page.saveDiscInfoBox()->isChecked());
        page.hostEdit()->setText("proxy.example");
        QVERIFY(page.portEdit()->isEnabled() && !page.passwordEdit()->isEnabled());
        page.userEdit()->setText("user");
        QVERIFY(page.passwordEdit()->isEnabled());
        page.passwordEdit()->setText("abc");
        page.portEdit()->setValue(3128);

        for (const char* bad : {"me@example", "me.x@example", "plain"}) {
            page.emailEdit()->setText(bad);
            QVERIFY2(!page.apply(), bad);
            QCOMPARE(prompter.shownTexts().back(),
                     std::string("Please fill out this field correctly."));
            QCOMPARE(page.focusWidget(), static_cast<QWidget*>(page.emailEdit()));
        }
        QVERIFY(!store.hasValue(kCddbSubKey, "Host"));
        page.emailEdit()->setText("me@mail.example");
        QVERIFY(page.apply());

        SettingsStore reread{store.path()};
        QCOMPARE(reread.getText(kCddbSubKey, "Host"), std::string("proxy.example"));
        QCOMPARE(reread.getUInt(kCddbSubKey, "Port", 0), 3128u);
        QCOMPARE(reread.getText(kCddbSubKey, "Email"), std::string("me@mail.example"));
        // 'a' ^ 0x3C, 'b' ^ 'a', 'c' ^ 'b'
        QCOMPARE(reread.getBinary(kCddbSubKey, "Password").value_or(std::vector<uint8_t>{}),
                 (std::vector<uint8_t>{0x5D, 0x03, 0x01}));
        CddbSettingsPage again(reread, prompter);
        QCOMPARE(again.passwordEdit()->text(), QStringLiteral("abc"));
        QCOMPARE(again.portEdit()->value(), 3128);
    }

    // The Audio CD page: the edits follow their boxes; both formats are stored whatever the
    // boxes say; the CD-Text switch goes to the read-disk profile file.
    void audioCdPageStoresFormatsAndCdText() {
        st::ScopedConfigHome config;
        st::TempDir work;
        SettingsStore store{(work / "settings.ini").string()};
        AudioCdSettingsPage page(store);
        QCOMPARE(page.windowTitle(), QStringLiteral("Audio CD"));
        QVERIFY(!page.discFormatEdit()->isEnabled());
        page.trackFormatBox()->setChecked(true);
        QVERIFY(page.trackFormatEdit()->isEnabled());
        page.discFormatEdit()->setText("%2 (%1)");
        page.trackFormatEdit()->setText("%3. %2");
        page.cdTextBox()->setChecked(true);
        QVERIFY(page.apply());

        const CddbSettings stored = CddbSettings::Load(SettingsStore(store.path()));
        QCOMPARE(stored.DiscFormat, std::string("%2 (%1)"));
        QVERIFY(!stored.bUseDiscFormat);
        QCOMPARE(stored.trackFormat(), std::string("%3. %2"));
        const std::string profile = st::ReadFile(config.configDir() / "ReadDiskDlg.tkp");
        QVERIFY(profile.find("[Default]") != std::string::npos);
        QVERIFY(profile.find("bEnableCDText=1") != std::string::npos);
    }

    // The version check runs off the user-interface thread and reports through the prompter;
    // Yes on the question opens the home page.
    void versionCheckReportsANewerVersion() {
        st::ScriptedServer server([](st::ScriptedServer& self, int fd) {
            self.readUntil(fd, "\r\n\r\n");
            const std::string body = "HVSMVersion 3.31";
            st::ScriptedServer::Send(
                fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body);
        });
        ScriptedPrompter prompter;
        prompter.queueAnswer(PromptAnswer::Yes);
        UpdateCheckRunner runner(prompter);
        QSignalSpy finished(&runner, &UpdateCheckRunner::finished);
        bool homePage = false;
        const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/v.txt";
        QVERIFY(runner.start(url, [&homePage] { homePage = true; }));
        QVERIFY(!runner.start(url, {}));  // one at a time
        QVERIFY(finished.wait(15000));
        QVERIFY(!runner.running());
        QCOMPARE(prompter.shownTexts().back(),
                 std::string("A newer version (3.31) of Halvenmoor Shelfmark is available. Show "
                             "more information?"));
        QVERIFY(homePage);
    }

    // The German language file relabels the windows.
    void windowsSpeakTheActiveLanguage() {
        QVERIFY(LanguageTexts::Instance().loadLanguage(
            (st::SourceDir() / "foundation/lang/Deutsch.lng").string()));
        ScriptedPrompter prompter;
        World world(prompter);
        CddbDialog dialog(world.document, world.store, {}, false, world.options());
        QCOMPARE(dialog.discInfoButton()->text(), QStringLiteral("Disc-&Info"));
        QCOMPARE(dialog.startButton()->text(), QStringLiteral("&Start"));
        AudioCdSettingsPage page(world.store);
        QCOMPARE(page.windowTitle(), QStringLiteral("Audio-CD"));
    }
};

QTEST_MAIN(CdLookupUiTest)
#include "CdLookupUiTest.moc"
