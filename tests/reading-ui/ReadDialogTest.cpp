// The read dialog reads a generated directory into a document on its worker, as the user runs
// it: pages to request, the session's checks, the profile box, the cancel question and the
// update of a disk read before. The CRC-32 of a file is checked against zlib's.
#include <zlib.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogTree.h"
#include "catalog/ui/ExtraInfoPage.h"
#include "foundation/ScriptedPrompter.h"
#include "reading/profiles/Mp3Options.h"
#include "reading/profiles/ReadProfiles.h"
#include "reading/ui/AddDiskDialog.h"
#include "reading/ui/Mp3FormatDialog.h"
#include "reading/ui/ReadPages.h"
#include "reading/ui/ReadRunner.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

const CatalogItem* Child(const CatalogItem* parent, std::string_view name) {
    for (const CatalogItem* child = parent->firstChild(); child != nullptr; child = child->next())
        if (child->name() == name)
            return child;
    return nullptr;
}

}  // namespace

class ReadDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ScopedConfigHome> config;
    std::unique_ptr<testing::TempDir> volume;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<CatalogDocument> document;

    // Runs the dialog's OK and waits for the worker's end.
    static bool ReadThrough(AddDiskDialog& dialog) {
        dialog.accept();
        const bool ended = QTest::qWaitFor([&] { return !dialog.reading(); }, 60000);
        return ended && dialog.result() == QDialog::Accepted;
    }

  private slots:
    void init() {
        config = std::make_unique<testing::ScopedConfigHome>();
        volume = std::make_unique<testing::TempDir>();
        WriteFile(volume->path() / "readme.txt", "Shelfmark reads this.\n");
        WriteFile(volume->path() / "photos/2026/beach.jpg", std::string(5000, 'j'));
        WriteFile(volume->path() / "photos/2026/dune.jpg", std::string(7000, 'd'));
        WriteFile(volume->path() / "music/song.mp3", std::string(300, 'm'));
        std::filesystem::create_directories(volume->path() / "empty");
        prompter = std::make_unique<ScriptedPrompter>();
        document = std::make_unique<CatalogDocument>(*prompter);
        document->newCatalog();
    }
    void cleanup() {
        document.reset();
        volume.reset();
        config.reset();
    }

    void readsAGeneratedDirectoryIntoTheDocument() {
        AddDiskDialog dialog(*document, *prompter, {nullptr, nullptr, volume->path().string()});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Read Disk"));
        QCOMPARE(dialog.tabs()->count(), 5);
        QCOMPARE(dialog.tabs()->tabText(3), QStringLiteral("More Options"));
        dialog.generalPage()->nameEdit()->setText(QStringLiteral("Holiday Stick"));
        dialog.generalPage()->descriptionEdit()->setText(QStringLiteral("Summer 2026"));
        dialog.generalPage()->diskIdEdit()->setText(QStringLiteral("42"));
        dialog.moreOptionsPage()->box(&ReadOptions::bCalcCRC32)->setChecked(true);
        dialog.optionsPage()->box(&ReadOptions::bNoEmptyDirs)->setChecked(true);
        dialog.extraInfoPage()->addRow(0x88, QStringLiteral("Drawer 3"));  // Location

        QVERIFY(ReadThrough(dialog));
        QVERIFY(prompter->shown().empty());
        const ReadResult& result = dialog.readResult();
        QCOMPARE(result.outcome, ReadOutcome::Completed);
        const CatalogItem* disk = result.disk;
        QVERIFY(disk != nullptr);
        QCOMPARE(disk->parent(), document->tree().root());
        QCOMPARE(std::string(disk->name()), std::string("Holiday Stick"));
        QCOMPARE(std::string(disk->textAttribute(attr::Description).value_or("")),
                 std::string("Summer 2026"));
        QCOMPARE(disk->numberAttribute(attr::DiskId).value_or(0), 42u);
        QCOMPARE(std::string(disk->textAttribute(0x88).value_or("")), std::string("Drawer 3"));
        QCOMPARE(disk->size(), uint64_t(22 + 5000 + 7000 + 300));
        const CatalogItem* readme = Child(disk, "readme.txt");
        QVERIFY(readme != nullptr);
        const std::string text = "Shelfmark reads this.\n";
        const uLong crc =
            crc32(0L, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
        QCOMPARE(readme->numberAttribute(attr::Crc32).value_or(0), static_cast<uint32_t>(crc));
        QVERIFY(Child(disk, "empty") == nullptr);  // empty directories left out
        const CatalogItem* photos = Child(disk, "photos");
        QVERIFY(photos != nullptr && Child(Child(photos, "2026"), "dune.jpg") != nullptr);
        QVERIFY(document->isModified());

        // OK stored the choices as the profile last used with this catalog.
        const LoadedReadProfile last = ReadProfileStore().load("", ProfileDatabaseName(*document));
        QVERIFY(last.options.bCalcCRC32);
        QVERIFY(last.options.bNoEmptyDirs);

        // Reading is one undo step, the extra information included.
        QCOMPARE(document->undoStepCount(), size_t(1));
        QCOMPARE(document->undo(false), CatalogDocument::UndoResult::Done);
        QVERIFY(document->tree().root()->firstChild() == nullptr);
        QCOMPARE(document->undoStepCount(), size_t(0));
    }

    void aNumberThatDoesNotParseKeepsTheDialogOpenAndChangesNothing() {
        AddDiskDialog dialog(*document, *prompter, {nullptr, nullptr, volume->path().string()});
        QTreeWidgetItem* width = dialog.extraInfoPage()->addRow(0x4B, QStringLiteral("wide"));
        dialog.accept();
        QVERIFY(!dialog.reading());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{"'wide' is not a number."});
        QVERIFY(document->tree().root()->firstChild() == nullptr);
        QCOMPARE(document->undoStepCount(), size_t(0));
        QVERIFY(!document->isModified());

        // Mended on the page, the same dialog reads.
        width->setText(1, QStringLiteral("0x280"));
        QVERIFY(ReadThrough(dialog));
        QCOMPARE(dialog.readResult().disk->numberAttribute(0x4B).value_or(0), 640u);
        QCOMPARE(document->undoStepCount(), size_t(1));
    }

    void aCancelledReadLeavesNoDiskAndNoStep() {
        // A large sparse file whose checksum keeps the worker busy until the answer is in.
        { std::ofstream(volume->path() / "big.bin"); }
        std::filesystem::resize_file(volume->path() / "big.bin", uint64_t(1) << 31);
        AddDiskDialog dialog(*document, *prompter, {nullptr, nullptr, volume->path().string()});
        dialog.moreOptionsPage()->box(&ReadOptions::bCalcCRC32)->setChecked(true);
        dialog.extraInfoPage()->addRow(0x88, QStringLiteral("Drawer 3"));
        dialog.accept();
        QVERIFY(dialog.reading());
        prompter->queueAnswer(PromptAnswer::Yes);
        dialog.reject();  // the cancel question, answered Yes
        QVERIFY(QTest::qWaitFor([&] { return !dialog.reading(); }, 60000));
        QCOMPARE(dialog.readResult().outcome, ReadOutcome::Cancelled);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(document->tree().root()->firstChild() == nullptr);
        QCOMPARE(document->undoStepCount(), size_t(0));
        QVERIFY(!document->isModified());
    }

    void driveListNamesTheMediaInTheCatalogsWords() {
        AddDiskDialog dialog(*document, *prompter, {});
        QTreeWidget* drives = dialog.generalPage()->driveList();
        const QStringList kinds{"CD/ DVD", "Removable Disk", "Hard Disk", "Network Drive"};
        for (int i = 0; i < drives->topLevelItemCount(); ++i) {
            QVERIFY2(kinds.contains(drives->topLevelItem(i)->text(1)),
                     qPrintable(drives->topLevelItem(i)->text(1)));
            // Choosing a volume makes it the folder to read.
            drives->setCurrentItem(drives->topLevelItem(i));
            QCOMPARE(dialog.generalPage()->rootEdit()->text(), drives->topLevelItem(i)->text(0));
        }
    }

    void anUnreadableRootKeepsTheDialogOpen() {
        AddDiskDialog dialog(*document, *prompter,
                             {nullptr, nullptr, (volume->path() / "missing").string()});
        dialog.accept();
        QVERIFY(!dialog.reading());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompter->shown().size(), size_t(1));
        QVERIFY(document->tree().root()->firstChild() == nullptr);
    }

    void updatesADiskReadBefore() {
        CatalogItem* disk = nullptr;
        {
            AddDiskDialog first(*document, *prompter, {nullptr, nullptr, volume->path().string()});
            first.extraInfoPage()->addRow(0x88, QStringLiteral("Drawer 3"));  // Location
            QVERIFY(ReadThrough(first));
            disk = first.readResult().disk;
        }
        WriteFile(volume->path() / "later.txt", "added after the first read");
        const size_t steps = document->undoStepCount();
        AddDiskDialog update(*document, *prompter, {nullptr, disk, {}});
        QCOMPARE(update.windowTitle(), QStringLiteral("Update Disk"));
        QCOMPARE(update.generalPage()->nameEdit()->text(),
                 QString::fromStdString(std::string(disk->name())));
        update.generalPage()->rootEdit()->setText(QString::fromStdString(volume->path().string()));
        // The page shows the disk's own row; the user edits it in place.
        QTreeWidget* rows = update.extraInfoPage()->list();
        QCOMPARE(rows->topLevelItemCount(), 1);
        QCOMPARE(rows->topLevelItem(0)->text(1), QStringLiteral("Drawer 3"));
        rows->topLevelItem(0)->setText(1, QStringLiteral("Shelf 9"));
        QVERIFY(ReadThrough(update));
        QVERIFY(update.readResult().update);
        QCOMPARE(update.readResult().disk, disk);
        QVERIFY(Child(disk, "later.txt") != nullptr);
        QCOMPARE(std::string(disk->textAttribute(0x88).value_or("")), std::string("Shelf 9"));
        // Contents and extra information come back with one undo.
        QCOMPARE(document->undoStepCount(), steps + 1);
        QCOMPARE(document->undo(false), CatalogDocument::UndoResult::Done);
        QVERIFY(Child(disk, "later.txt") == nullptr);
        QCOMPARE(std::string(disk->textAttribute(0x88).value_or("")), std::string("Drawer 3"));
    }

    void profileBoxSavesRenamesAndDeletes() {
        AddDiskDialog dialog(*document, *prompter, {});
        dialog.optionsPage()->box(&ReadOptions::bReadZIPs)->setChecked(true);
        prompter->queueText(std::string("Archives"));
        QVERIFY(dialog.saveProfileAs());
        QCOMPARE(dialog.profileBox()->currentText(), QStringLiteral("Archives"));
        QVERIFY(ReadProfileStore().load("Archives", "x").options.bReadZIPs);

        // Choosing the default profile loads it into the pages at once.
        dialog.loadProfile("Default");
        QVERIFY(!dialog.optionsPage()->box(&ReadOptions::bReadZIPs)->isChecked());
        dialog.loadProfile("Archives");
        QVERIFY(dialog.optionsPage()->box(&ReadOptions::bReadZIPs)->isChecked());

        prompter->queueText(std::string("Zips"));
        QVERIFY(dialog.renameProfile());
        QCOMPARE(dialog.profileBox()->currentText(), QStringLiteral("Zips"));
        const std::vector<std::string> renamed = ReadProfileStore().list();
        QVERIFY(std::find(renamed.begin(), renamed.end(), "Zips") != renamed.end());
        QVERIFY(std::find(renamed.begin(), renamed.end(), "Archives") == renamed.end());

        prompter->queueAnswer(PromptAnswer::No);
        QVERIFY(!dialog.deleteProfile());
        prompter->queueAnswer(PromptAnswer::Yes);
        QVERIFY(dialog.deleteProfile());
        const std::vector<std::string> left = ReadProfileStore().list();
        QVERIFY(std::find(left.begin(), left.end(), "Zips") == left.end());
        QVERIFY(prompter->shownTexts().back().find("'Zips'") != std::string::npos);
    }

    void runnerAsksBeforeCancelling() {
        ReadSession session(*document, *prompter);
        ReadRequest request;
        request.root = volume->path().string();
        QCOMPARE(session.prepare(request), PrepareResult::Ready);
        ReadRunner runner;
        int finished = 0;
        int progressed = 0;
        connect(&runner, &ReadRunner::finished, this, [&] { ++finished; });
        connect(&runner, &ReadRunner::progress, this, [&] { ++progressed; });
        runner.start(session);
        prompter->queueAnswer(PromptAnswer::No);
        QVERIFY(!runner.askCancel(*prompter));
        QVERIFY(!session.cancelFlag().isSet());
        prompter->queueAnswer(PromptAnswer::Yes);
        QVERIFY(runner.askCancel(*prompter) || finished == 1);
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 60000);
        QVERIFY(!runner.running());
        QCOMPARE(prompter->shownTexts().front(),
                 std::string("Do you really want to cancel the process?"));
        session.commit();
    }

    // A read cancelled and started again at once: the first read's end must not be heard as the
    // second's (the window would commit the second session while its worker still writes it),
    // and its progress is dropped. Then a runner destroyed mid-read with notices in flight.
    void aReadRestartedAtOnceHearsOnlyItsOwnEnd() {
        for (int i = 0; i < 30; ++i)
            WriteFile(volume->path() / "many" / ("f" + std::to_string(i) + ".txt"),
                      std::string(100, 'x'));
        ReadRequest request;
        request.root = volume->path().string();
        ReadSession first(*document, *prompter);
        QCOMPARE(first.prepare(request), PrepareResult::Ready);
        ReadSession second(*document, *prompter);
        QCOMPARE(second.prepare(request), PrepareResult::Ready);
        ReadRunner runner;
        int finished = 0;
        bool secondDoneAtEnd = false;
        connect(&runner, &ReadRunner::finished, this, [&] {
            ++finished;
            secondDoneAtEnd = !runner.running();
        });
        runner.start(first);
        runner.cancel();
        runner.start(second);  // waits for the first worker; its end is already queued or soon
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 60000);
        QVERIFY(secondDoneAtEnd);
        // Let any stray notice of either read arrive: there must be no second end.
        QTest::qWait(100);
        QCOMPARE(finished, 1);
        QVERIFY(second.commit().disk != nullptr);

        ReadSession third(*document, *prompter);
        QCOMPARE(third.prepare(request), PrepareResult::Ready);
        {
            ReadRunner dying;
            connect(&dying, &ReadRunner::finished, this, [&] { ++finished; });
            connect(&dying, &ReadRunner::progress, this, [&] { ++finished; });
            dying.start(third);
        }  // cancels, waits; the queued notices die with the runner
        QTest::qWait(50);
        QCOMPARE(finished, 1);
    }

    void descriptionsPageListsTheProviders() {
        AddDiskDialog dialog(*document, *prompter, {});
        QTreeWidget* list = dialog.descriptionsPage()->providerList();
        QVERIFY(list->topLevelItemCount() >= 5);  // the built-in cda, dll, exe, zip, mp3
        QStringList extensions;
        for (int i = 0; i < 5; ++i)
            extensions << list->topLevelItem(i)->text(0);
        QCOMPARE(extensions, (QStringList{"cda", "dll", "exe", "zip", "mp3"}));
        // A new profile ticks the built-in provider's first extension only.
        QCOMPARE(list->topLevelItem(0)->checkState(0), Qt::Checked);
        QCOMPARE(list->topLevelItem(4)->checkState(0), Qt::Unchecked);
        list->topLevelItem(4)->setCheckState(0, Qt::Checked);
        const ReadOptions options = dialog.currentOptions();
        QCOMPARE(options.findProvider(kBuiltinProviderModule)->indexes, std::string("0,4"));
    }

    void mp3OptionsRoundTripThroughTheProfileFile() {
        const std::string path = (config->configDir() / "ReadDiskDlg.tkp").string();
        Mp3Options options;
        options.bUserMP3ID3Format = true;
        options.UserMP3ID3Format = "%5. %1";
        options.bMP3EIComment = false;
        Mp3FormatDialog dialog(options);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("MP3 ID3 Settings"));
        QVERIFY(dialog.formatEdit()->isEnabled());
        dialog.describeBox()->setChecked(false);
        QVERIFY(!dialog.formatEdit()->isEnabled());
        dialog.describeBox()->setChecked(true);
        const Mp3Options shown = dialog.options();
        QCOMPARE(shown.UserMP3ID3Format, std::string("%5. %1"));
        QVERIFY(!shown.bMP3EIComment);
        QVERIFY(shown.bMP3EITitle);
        QVERIFY(SaveMp3Options(shown, path));
        QCOMPARE(LoadMp3Options(path).UserMP3ID3Format, std::string("%5. %1"));
    }
};

QTEST_MAIN(ReadDialogTest)
#include "ReadDialogTest.moc"
