// The import of other programs' catalogs and the export for ncdu as a user runs them: an ncdu
// export from the shared corpora imported into a chosen folder as one undo step, a broken file
// reported with its line and column while nothing of it is added, and a disk exported and read
// back by Debian's ncdu.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "catalog/CatalogTree.h"
#include "exchange/NcduFormat.h"
#include "exchange/ui/ForeignImportDialog.h"
#include "exchange/ui/NcduExportDialog.h"
#include "catalog/ui/FolderTreeWidget.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/ui/DialogTexts.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/exchange/ImportFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
using shelfmark::testing::At;
using shelfmark::testing::FileSizes;
using shelfmark::testing::ModalDriver;

namespace {

// Types `name` into a file dialog showing `folder` and presses its OK.
void ChooseInFileDialog(QWidget* window, const QString& folder, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(window);
    QVERIFY(dialog != nullptr);
    dialog->setDirectory(folder);
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit != nullptr);
    edit->setText(name);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept is protected
}

// A small ncdu export written out by hand: /data with a.txt (5 bytes) and sub/b.bin (70000).
constexpr std::string_view kSmallExport =
    "[1,2,{\"progname\":\"ncdu\",\"progver\":\"1.18\",\"timestamp\":1700000000},\n"
    "[{\"name\":\"/srv/data\",\"asize\":4096},\n"
    "{\"name\":\"a.txt\",\"asize\":5,\"mtime\":1600000000},\n"
    "[{\"name\":\"sub\",\"asize\":4096},\n"
    "{\"name\":\"b.bin\",\"asize\":70000,\"mtime\":1600000100}]]]\n";

}  // namespace

class ExchangeDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<shelfmark::testing::TempDir> dir;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<CatalogDocument> document;

    CatalogItem* at(const char* path) { return At(document->tree(), path); }
    std::string written(const std::string& name, std::string_view bytes) {
        shelfmark::testing::WriteFile(*dir / name, bytes);
        return (*dir / name).string();
    }

  private slots:
    void init() {
        dir = std::make_unique<shelfmark::testing::TempDir>();
        prompter = std::make_unique<ScriptedPrompter>();
        document = std::make_unique<CatalogDocument>(*prompter);
        document->tree().resetToNewCatalog();
        shelfmark::testing::BuildEditCatalog(document->tree());
    }
    void cleanup() {
        document.reset();
        LanguageTexts::Instance().unloadLanguage();
    }

    void importsAnNcduExportIntoTheChosenFolder() {
        if (shelfmark::testing::CorpusDir().empty())
            QSKIP("shared corpora folder not found");
        const QString corpus =
            ToQString((shelfmark::testing::CorpusDir() / "imports" / "ncdu").string());
        const size_t steps = document->undoStepCount();
        ModalDriver driver;
        driver.onNextModal([&](QWidget* files) {
            ChooseInFileDialog(files, corpus, QStringLiteral("odd-basic.json"));
            driver.onNextModal(
                [&](QWidget* window) {
                    auto* dialog = qobject_cast<ForeignImportDialog*>(window);
                    QVERIFY(dialog != nullptr);
                    QCOMPARE(dialog->windowTitle(), QStringLiteral("Import Other Catalogs"));
                    QCOMPARE(dialog->format(), ForeignFormat::Auto);
                    QCOMPARE(dialog->formatBox()->count(), 7);
                    dialog->setFormat(ForeignFormat::Ncdu);
                    QVERIFY(dialog->folderTree()->select(at("Backup")));
                    dialog->accept();
                },
                files);
        });
        QCOMPARE(ForeignImportDialog::Run(*document, nullptr, nullptr), EditStatus::Done);
        QVERIFY(driver.allRan());
        QVERIFY(prompter->shown().empty() || prompter->shown()[0].message.icon != PromptIcon::Error);

        // The figures the export itself holds.
        const CatalogItem* disk = at("Backup\\root");
        QVERIFY(disk != nullptr);
        QCOMPARE(disk->mediaType(), MediaType::HardDisk);
        QCOMPARE(at("Backup\\root\\sub\\sparse.img")->size(), uint64_t(1048576));
        QCOMPARE(at("Backup\\root\\sub\\deeper\\x.dat")->size(), uint64_t(3000));
        QCOMPARE(at("Backup\\root\\dir with spaces\\symlink.bin")->size(), uint64_t(21));
        QVERIFY(shelfmark::testing::WrongFolderSizes(document->tree()).empty());

        QCOMPARE(document->undoStepCount(), steps + 1);
        QCOMPARE(document->undo(false), CatalogDocument::UndoResult::Done);
        QCOMPARE(at("Backup\\root"), nullptr);
    }

    void aBrokenFileIsNamedWithItsLineAndAddsNothing() {
        const std::string broken =
            written("broken.json", "[1,2,{\"progname\":\"ncdu\"},\n[{\"name\":\"/x\"},\n{\"asize\":7}]]");
        const std::string good = written("good.json", kSmallExport);
        const size_t steps = document->undoStepCount();

        // Only the broken file: an error naming it and where, nothing added, the dialog open.
        ForeignImportDialog alone(*document, {broken}, at("Music"));
        alone.setFormat(ForeignFormat::Ncdu);
        alone.accept();
        QCOMPARE(alone.status(), EditStatus::Unchanged);
        QCOMPARE(alone.result(), int(QDialog::Rejected));
        QCOMPARE(prompter->shown().size(), size_t(1));
        const std::string& message = prompter->shown()[0].message.text;
        QVERIFY2(message.find(broken + ": line 3, column 1") != std::string::npos, message.c_str());
        QCOMPARE(document->undoStepCount(), steps);

        // With a good file after it: the good one is imported, the broken one still reported.
        prompter->clear();
        ForeignImportDialog both(*document, {broken, good}, at("Music"));
        both.accept();
        QCOMPARE(both.status(), EditStatus::Done);
        QCOMPARE(both.result(), int(QDialog::Accepted));
        QCOMPARE(both.report().failed.size(), size_t(1));
        QCOMPARE(prompter->shown().size(), size_t(1));
        QCOMPARE(document->undoStepCount(), steps + 1);
        const CatalogItem* data = at("Music\\data");
        QVERIFY(data != nullptr);
        QCOMPARE(at("Music\\data\\sub\\b.bin")->size(), uint64_t(70000));
        QCOMPARE(data->size(), uint64_t(70005));
    }

    void importDialogNeedsFilesAndSpeaksTheLanguage() {
        ForeignImportDialog empty(*document, {}, nullptr);
        QCOMPARE(empty.folderTree()->chosen(), document->tree().root());
        empty.accept();
        QCOMPARE(empty.result(), int(QDialog::Rejected));
        QCOMPARE(prompter->shownTexts(),
                 std::vector<std::string>{"Please fill out this field correctly."});

        QVERIFY(LanguageTexts::Instance().loadLanguage(
            (shelfmark::testing::SourceDir() / "foundation/lang/Deutsch.lng").string()));
        ForeignImportDialog german(*document, {}, nullptr);
        QCOMPARE(german.windowTitle(), QStringLiteral("Andere Kataloge importieren"));
        QCOMPARE(german.formatBox()->itemText(0), QStringLiteral("Am Inhalt erkennen"));
    }

    void exportedDiskIsReadBackByNcdu() {
        const CatalogItem* disk = at("Backup\\B1");
        ModalDriver driver;
        driver.onNextModal([&](QWidget* window) {
            QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                     QStringLiteral("B1.json"));
            ChooseInFileDialog(window, ToQString(dir->path().string()), QStringLiteral("b1"));
        });
        QVERIFY(NcduExportDialog::Run(document->tree(), *disk, *prompter, nullptr));
        QVERIFY(driver.allRan());
        const std::string out = (*dir / "b1.json").string();
        QVERIFY(std::filesystem::exists(out));
        if (!shelfmark::testing::HaveProgram("ncdu"))
            QSKIP("ncdu is not installed");

        const std::string again = (*dir / "again.json").string();
        QCOMPARE(shelfmark::testing::RunCommand("ncdu -f " + shelfmark::testing::ShellQuote(out) + " -o " +
                                     shelfmark::testing::ShellQuote(again) + " 2>&1")
                     .exitCode,
                 0);
        CatalogTree reread;
        reread.resetToNewCatalog();
        ForeignTreeBuilder builder(reread, reread.root());
        ForeignReadError error;
        QVERIFY2(ReadNcduExport(shelfmark::testing::ReadFile(again), builder, error),
                 error.describe().c_str());
        builder.finish();
        QCOMPARE(builder.disks().size(), size_t(1));
        // Archives go out as files: their entries are not in the export.
        std::map<std::string, uint64_t> expected = FileSizes(disk);
        std::erase_if(expected, [](const auto& entry) {
            return entry.first.find(".zip/") != std::string::npos;
        });
        QVERIFY(expected.contains("old.zip") && expected.contains("Docs/letter.doc"));
        QCOMPARE(FileSizes(builder.disks()[0]), expected);
        QCOMPARE(builder.disks()[0]->name(), disk->name());
    }

    void exportRefusesWhatCannotBeWritten() {
        const CatalogItem* file = at("Backup\\B1\\Docs\\letter.doc");
        QVERIFY(!NcduExportDialog::Run(document->tree(), *file, *prompter, nullptr));
        QCOMPARE(prompter->shownTexts(),
                 std::vector<std::string>{"This command cannot be used with an item of this kind."});

        prompter->clear();
        written("plain", "x");
        const std::string inside = (*dir / "plain" / "out.json").string();  // below a file
        QVERIFY(!NcduExportDialog::Write(*at("Backup"), inside, *prompter));
        QCOMPARE(prompter->shown().size(), size_t(1));
        QVERIFY(prompter->shown()[0].message.text.starts_with(
            "Unable to write to " + inside + ", it is read-only or opened by someone else.\n"));
    }
};

QTEST_MAIN(ExchangeDialogsTest)
#include "ExchangeDialogsTest.moc"
