// The database import and the XML export as a user runs them: the file dialogs are filled in
// as a user fills them (ModalDriver), the import asks the password of a protected source's root
// and is one undo step, and the XML outline is read back by xmllint.
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <algorithm>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogTree.h"
#include "catalog/PasswordProtection.h"
#include "catalog/UnlockOnOpen.h"
#include "catalog/XmlOutline.h"
#include "catalog/ui/DatabaseImportDialog.h"
#include "catalog/ui/XmlExportDialog.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FileDialogs.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
using shelfmark::testing::At;
using shelfmark::testing::ModalDriver;

namespace {

std::vector<std::string> Names(const CatalogItem* parent) {
    std::vector<std::string> names;
    for (const CatalogItem* child = parent->firstChild(); child != nullptr; child = child->next())
        names.emplace_back(child->name());
    return names;
}

// Types `name` (one file, or several quoted) into a file dialog and presses its OK.
void ChooseInFileDialog(QWidget* window, const QString& folder, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(window);
    QVERIFY(dialog != nullptr);
    dialog->setDirectory(folder);
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit != nullptr);
    edit->setText(name);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept is protected
}

std::string Xpath(const std::string& file, const std::string& expression) {
    std::string out = testing::RunCommand("xmllint --xpath " + testing::ShellQuote(expression) +
                                          " " + testing::ShellQuote(file))
                          .out;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

}  // namespace

class ImportExportDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempDir> dir;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<CatalogDocument> document;

    CatalogItem* at(const char* path) { return At(document->tree(), path); }
    QString folder() const { return ToQString(dir->path().string()); }

    // The edit test catalog saved as `name`, changed first by `change`.
    std::string source(const std::string& name,
                       const std::function<void(CatalogTree&)>& change = {}) {
        CatalogTree tree;
        tree.resetToNewCatalog();
        testing::BuildEditCatalog(tree);
        if (change)
            change(tree);
        const std::string path = (*dir / name).string();
        std::string error;
        if (!SaveCatalogTo(path, tree, &error))
            qWarning("%s", error.c_str());
        return path;
    }

  private slots:
    void init() {
        dir = std::make_unique<testing::TempDir>();
        prompter = std::make_unique<ScriptedPrompter>();
        document = std::make_unique<CatalogDocument>(*prompter);
        document->tree().resetToNewCatalog();
        testing::BuildEditCatalog(document->tree());
    }
    void cleanup() {
        document.reset();
        LanguageTexts::Instance().unloadLanguage();
    }

    void filtersTakeTheAllFilesTextOfTheLanguage() {
        QCOMPARE(QtFileFilters("|All Files (*.*)|*.*|"), QStringLiteral("All Files (*)"));
        QCOMPARE(QtFileFilters("|Texts (*.txt)|*.txt;*.TXT|Bad||"),
                 QStringLiteral("Texts (*.txt *.TXT)"));
        QCOMPARE(FileFilterWithAllFiles(QStringLiteral("XML"), "xml"),
                 QStringLiteral("XML (*.xml);;All Files (*)"));
    }

    void importsTwoCatalogsOneWithAProtectedRoot() {
        InstallUnlockOnOpen(*document, nullptr);
        source("plain.tkd");
        source("locked.tkd", [](CatalogTree& tree) {
            QVERIFY(Protect(tree, tree.root(), "Sesam", true));
        });
        prompter->queueText(std::string("Sesam"));
        const size_t steps = document->undoStepCount();

        ModalDriver driver;
        std::vector<std::string> listed;
        driver.onNextModal([&](QWidget* files) {
            QCOMPARE(files->windowTitle(), QStringLiteral("Import .TKD file(s)"));
            ChooseInFileDialog(files, folder(), QStringLiteral("\"plain.tkd\" \"locked.tkd\""));
            driver.onNextModal(
                [&](QWidget* window) {
                    auto* dialog = qobject_cast<DatabaseImportDialog*>(window);
                    QVERIFY(dialog != nullptr);
                    QCOMPARE(dialog->windowTitle(), QStringLiteral("Import Databases"));
                    QCOMPARE(dialog->folderTree()->chosen(), at("Music"));  // the current one
                    listed = dialog->files();
                    QVERIFY(dialog->folderTree()->select(at("Backup")));
                    dialog->accept();
                },
                files);
        });
        QCOMPARE(DatabaseImportDialog::Run(*document, at("Music"), nullptr), EditStatus::Done);
        QVERIFY(driver.allRan());
        QCOMPARE(listed.size(), size_t(2));
        QVERIFY(listed[0].ends_with("plain.tkd") && listed[1].ends_with("locked.tkd"));

        // The protected root's password was asked once, naming its file.
        QCOMPARE(prompter->textRequests().size(), size_t(1));
        QVERIFY(prompter->textRequests()[0].label.find("locked.tkd") != std::string::npos);
        // Both files' top-level items sit beside what Backup held.
        std::vector<std::string> names = Names(at("Backup"));
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (std::vector<std::string>{"B1", "Backup", "Backup", "Loose", "Loose",
                                                  "Music", "Music"}));
        QVERIFY(!document->tree().root()->isProtected());
        QVERIFY(testing::WrongFolderSizes(document->tree()).empty());

        QCOMPARE(document->undoStepCount(), steps + 1);
        QCOMPARE(document->undo(false), CatalogDocument::UndoResult::Done);
        QCOMPARE(Names(at("Backup")), std::vector<std::string>{"B1"});
    }

    void importDialogNeedsFilesAndStartsAtTheRoot() {
        DatabaseImportDialog dialog(*document, {}, nullptr);
        QCOMPARE(dialog.folderTree()->chosen(), document->tree().root());
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));  // still open
        QCOMPARE(prompter->shownTexts(),
                 std::vector<std::string>{"Please fill out this field correctly."});

        // A file that is no catalog: the reader says so, nothing is added, the dialog closes.
        testing::WriteFile(*dir / "junk.tkd", "not a catalog at all");
        dialog.addFiles({(*dir / "junk.tkd").string(), (*dir / "missing.tkd").string()});
        QCOMPARE(dialog.fileList()->count(), 2);
        const size_t steps = document->undoStepCount();
        dialog.accept();
        QCOMPARE(dialog.status(), EditStatus::Unchanged);
        QCOMPARE(dialog.report().rejected.size(), size_t(1));
        QCOMPARE(dialog.report().unreadable.size(), size_t(1));
        QCOMPARE(document->undoStepCount(), steps);
        QVERIFY(prompter->shown().size() >= 2);  // the reader said why it refused the file

        // Cancel at the file dialog: nothing happens.
        ModalDriver driver;
        driver.onNextModal([](QWidget* files) { qobject_cast<QDialog*>(files)->reject(); });
        QCOMPARE(DatabaseImportDialog::Run(*document, nullptr, nullptr), EditStatus::Unchanged);
        QVERIFY(driver.allRan());
    }

    void importDialogSpeaksTheLanguage() {
        QVERIFY(LanguageTexts::Instance().loadLanguage(
            (testing::SourceDir() / "foundation/lang/Deutsch.lng").string()));
        DatabaseImportDialog dialog(*document, {}, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Datenbanken importieren"));
    }

    void xmlExportIsReadByAParser() {
        if (!testing::HaveProgram("xmllint"))
            QSKIP("xmllint is not installed");
        document->tree().createItem("A & B <\"x\">", at("Music"), Sorted, itemflag::Folder);
        const CatalogItem* items[] = {at("Music")};
        ModalDriver driver;
        QString suggested;
        driver.onNextModal([&](QWidget* window) {
            suggested = window->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            ChooseInFileDialog(window, folder(), QStringLiteral("outline"));  // ".xml" is added
        });
        QVERIFY(XmlExportDialog::Run(document->tree(), items, *prompter, nullptr));
        QVERIFY(driver.allRan());
        QCOMPARE(suggested, QStringLiteral("Music.xml"));
        const std::string file = (*dir / "outline.xml").string();
        QVERIFY(testing::ReadFile(file).starts_with(kXmlOutlineHead));

        QCOMPARE(testing::RunCommand("xmllint --noout " + testing::ShellQuote(file) + " 2>&1")
                     .out,
                 std::string());
        QCOMPARE(Xpath(file, "string(/Folder/@Name)"), std::string("Music"));
        QCOMPARE(Xpath(file, "string(/Folder/Folder[1]/@Name)"), std::string("A & B <\"x\">"));
        QCOMPARE(Xpath(file, "string(/Folder/Folder[1]/@Size)"), std::string("0"));
        QCOMPARE(Xpath(file, "string(/Folder/@Size)"), std::to_string(at("Music")->size()));
        QCOMPARE(Xpath(file, "count(/Folder/Folder[@Name='Rock']/CD_DVD[@Name='Rock One'])"),
                 std::string("1"));

        // Again to the same file: the overwrite question; No leaves the dialog open, and
        // Cancel there leaves the file as it was.
        const std::string before = testing::ReadFile(file);
        driver.onNextModal([&](QWidget* window) {
            // The question opens inside the file dialog's OK: its answer is scheduled first.
            driver.onNextModal(
                [&](QWidget* question) {
                    QVERIFY(ModalDriver::ClickButton(question, QStringLiteral("No")));
                    driver.onNextModal(
                        [](QWidget* files) { qobject_cast<QDialog*>(files)->reject(); }, question);
                },
                window);
            ChooseInFileDialog(window, folder(), QStringLiteral("outline.xml"));
        });
        QVERIFY(!XmlExportDialog::Run(document->tree(), items, *prompter, nullptr));
        QVERIFY(driver.allRan());
        QCOMPARE(testing::ReadFile(file), before);
    }
};

QTEST_MAIN(ImportExportDialogsTest)
#include "ImportExportDialogsTest.moc"
