// The item list window driven end to end on a generated catalog: the shipped MP3 profile builds
// its rows on the worker, the rows sort by column and go out through the export dialog in their
// shown order; the profile dialog turns down what cannot be saved with its messages; Start
// refuses what cannot be listed; Cancel stops a build and keeps the rows made.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <map>
#include <set>

#include "catalog/CatalogDocument.h"
#include "foundation/LanguageTexts.h"
#include "foundation/NumberFormat.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ProfileFile.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/StringFormat.h"
#include "lists/ui/ExportListDialog.h"
#include "lists/ui/ItemListWindow.h"
#include "lists/ui/ListTableModel.h"
#include "lists/ui/ProfileDialogs.h"
#include "platform/settings/SettingsStore.h"
#include "tests/search/SearchTestCatalog.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
using shelfmark::testing::Add;
using shelfmark::testing::ModalDriver;
using shelfmark::testing::ReadFile;

namespace {

// A music folder with `disks` CDs, each with `dirs` directories of `files` MP3 files named
// "Artist D-K - Title N.mp3" (sizes 1000 + N) and one cover.jpg each.
void Generate(CatalogTree& tree, int disks, int dirs, int files) {
    CatalogItem* root = tree.resetToNewCatalog();
    tree.setName(root, "Generated.tkd");
    CatalogItem* music = Add(tree, root, "Music", itemflag::Folder);
    int n = 0;
    for (int d = 0; d < disks; ++d) {
        CatalogItem* disk = Add(tree, music, StringPrintf("CD %d", d).c_str(), DiskFlags(MediaType::CdRom));
        for (int k = 0; k < dirs; ++k) {
            CatalogItem* dir = Add(tree, disk, StringPrintf("Dir %d", k).c_str(), itemflag::Directory);
            for (int f = 0; f < files; ++f, ++n)
                Add(tree, dir, StringPrintf("Artist %d-%d - Title %d.mp3", d, k, n).c_str(), 0,
                    1000 + static_cast<uint64_t>(n));
            Add(tree, dir, "cover.jpg", 0, 5000);
        }
    }
}

int Column(const ListTableModel& model, const char* title) {
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == QLatin1String(title))
            return c;
    return -1;
}

QString Cell(const ListTableModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

}  // namespace

class ItemListWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ScopedConfigHome> config;
    std::unique_ptr<testing::TempDir> dir;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<CatalogDocument> document;

  private slots:
    void init() {
        config = std::make_unique<testing::ScopedConfigHome>();
        SettingsStore::Instance().reload();
        // The profiles the program ships, as a new user gets them.
        std::filesystem::copy_file(testing::SourceDir() / "lists/ItemList.tkp", config->configDir() / "ItemList.tkp");
        dir = std::make_unique<testing::TempDir>();
        prompter = std::make_unique<ScriptedPrompter>();
        document = std::make_unique<CatalogDocument>(*prompter);
        Generate(document->tree(), 2, 3, 40);
    }
    void cleanup() {
        document.reset();
        dir.reset();
        config.reset();
    }

    void mp3ProfileListsSortsAndExportsInShownOrder() {
        ItemListWindow window(*document, nullptr, {}, *prompter);
        QVERIFY(window.selectProfile("mp3 FILES"));
        QVERIFY(window.start());
        window.waitForList();
        QVERIFY(!window.building());
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{});
        ListTableModel& model = *window.model();
        QCOMPARE(model.rowCount(), 2 * 3 * 40);  // every MP3 file, no cover, no directory
        QCOMPARE(window.statusText(), QStringLiteral("240 item(s)"));
        QCOMPARE(SettingsStore::Instance().getText(kItemListDlgSubKey, "LastProfile"), std::string("MP3 files"));

        // The format "%1 - %2" cuts each name into artist and title.
        const int artist = Column(model, "Artist");
        const int title = Column(model, "Title");
        const int size = Column(model, "Size");
        QVERIFY(artist >= 0 && title >= 0 && size >= 0);
        std::set<std::pair<QString, QString>> seen;
        for (int row = 0; row < model.rowCount(); ++row)
            seen.emplace(Cell(model, row, artist), Cell(model, row, title));
        QCOMPARE(seen.size(), size_t(240));
        QVERIFY(seen.count({QStringLiteral("Artist 1-2 - Title 239").section(" - ", 0, 0),
                            QStringLiteral("Title 239")}) == 1);

        // Sorting by size puts the largest file first (by value, not by text).
        window.view()->sortByColumn(size, Qt::DescendingOrder);
        QCOMPARE(Cell(model, 0, title), QStringLiteral("Title 239"));
        QCOMPARE(Cell(model, 239, title), QStringLiteral("Title 0"));

        // Print/ Export writes the rows as shown.
        ModalDriver driver;
        const std::string csv = (*dir / "mp3.csv").string();
        driver.onNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ExportListDialog*>(modal);
            QVERIFY(dialog != nullptr);
            dialog->setTargetPath(csv);
            dialog->accept();
        });
        window.exportList();
        QVERIFY(driver.allRan());
        const std::string written = ReadFile(csv);
        QVERIFY(written.rfind("\"Artist\",\"Title\",\"Size\",\"Album\",\"In Directory\"\r\n\"Artist 1-2\",\"Title 239\",", 0) == 0);
        QCOMPARE(std::count(written.begin(), written.end(), '\n'), 241L);
        // The list's own name keeps its export choices.
        ProfileFile stored((config->configDir() / "ExportList.tkp").string());
        QCOMPARE(stored.getString("MP3 files:csv", "Title"), std::string("1"));
    }

    void diskListOnTheRootStartsAtOnce() {
        ItemListWindow window(*document, document->tree().root(), "Disk List", *prompter);
        window.show();
        QTRY_VERIFY(window.model()->rowCount() > 0);
        window.waitForList();
        QCOMPARE(window.model()->rowCount(), 2);
        QCOMPARE(window.model()->data(window.model()->index(0, 0)).toString(), QStringLiteral("CD 0"));
    }

    void startRefusesWhatCannotBeListed() {
        ItemListWindow window(*document, nullptr, {}, *prompter);
        // A new profile without columns is saved, but a list of it does not start.
        ModalDriver driver;
        driver.onNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<ProfileSettingsDialog*>(modal);
            QVERIFY(dialog != nullptr);
            dialog->nameEdit()->setText(QStringLiteral("Nothing shown"));
            dialog->accept();
        });
        window.newProfile();
        QVERIFY(driver.allRan());
        QCOMPARE(window.profileBox()->currentText(), QStringLiteral("Nothing shown"));
        QVERIFY(!window.start());
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{Str(178)});

        // Delete asks first; Yes removes the profile from the list and the file.
        prompter->clear();
        prompter->queueAnswer(PromptAnswer::Yes);
        window.deleteProfile();
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{"Do you really want to delete 'Nothing shown'?"});
        QCOMPARE(window.profileBox()->findText(QStringLiteral("Nothing shown")), -1);
        const ProfileFile file(UserItemListProfilePath());
        QVERIFY(file.find("Nothing shown", "ColumnsCount") == nullptr);
    }

    void profileDialogChecks() {
        ItemListProfile profile;
        profile.name = "Tracks";
        profile.columns = {{"Name", 0x00, ColumnAlignment::Left, 150}, {"Artist", '1', ColumnAlignment::Left, 100}};
        ProfileSettingsDialog dialog(profile, *prompter);
        QCOMPARE(dialog.columnList()->topLevelItem(0)->text(1), QStringLiteral("NAME"));
        QCOMPARE(dialog.columnList()->topLevelItem(1)->text(1), QStringLiteral("%1"));

        dialog.nameEdit()->clear();
        dialog.accept();
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{Str(19)});

        prompter->clear();
        dialog.nameEdit()->setText(QStringLiteral("Tracks"));
        dialog.formatEdit()->setText(QStringLiteral("%1 - %x"));
        dialog.accept();
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{"Filename format contains invalid variable."});
        QCOMPARE(dialog.formatEdit()->selectedText(), QStringLiteral("%1 - %x"));

        // A "%" at the very end is literal.
        prompter->clear();
        dialog.formatEdit()->setText(QStringLiteral("%1 100%"));
        dialog.extensionsEdit()->setText(QStringLiteral(".mp3 ogg, flac"));
        dialog.depthSpin()->setValue(99);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(prompter->shown().empty());
        const ItemListProfile edited = dialog.profile();
        QCOMPARE(edited.extensions, (std::vector<std::string>{"mp3", "ogg", "flac"}));
        QCOMPARE(edited.maxListingDepth, 40);
        QCOMPARE(edited.columns.size(), size_t(2));

        // The column dialog offers every column kind and the ten variables, widths to 999.
        ColumnSettingsDialog column(profile.columns[1]);
        QCOMPARE(column.valueBox()->currentText(), QStringLiteral("%1"));
        QCOMPARE(column.valueBox()->itemText(column.valueBox()->count() - 1), QStringLiteral("%9"));
        QCOMPARE(column.widthSpin()->maximum(), 999);
        column.valueBox()->setCurrentIndex(column.valueBox()->findText(QStringLiteral("SIZE")));
        column.alignmentBox()->setCurrentIndex(1);
        QCOMPARE(column.column().value, uint8_t(0x01));
        QCOMPARE(column.column().alignment, ColumnAlignment::Right);
    }

    void cancelStopsTheBuildAndKeepsItsRows() {
        Generate(document->tree(), 4, 50, 1000);  // 200,000 files
        ItemListWindow window(*document, nullptr, "All files", *prompter);
        prompter->queueAnswer(PromptAnswer::Yes);
        QVERIFY(window.start());
        window.reject();  // Cancel while building: the question, then the walk stops
        window.waitForList();
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{Str(173)});
        QVERIFY(window.model()->rowCount() < 200'000 + 204);
        // The window stays open, idle, with the rows made before the stop.
        QVERIFY(window.startButton()->isEnabled());
        const std::string rows = NumberFormat::User().format(static_cast<uint64_t>(window.model()->rowCount()));
        QCOMPARE(window.statusText(), ToQString(rows + " item(s)"));
    }
};

QTEST_MAIN(ItemListWindowTest)
#include "ItemListWindowTest.moc"
