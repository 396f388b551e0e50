// The search and duplicate windows driven as a user drives them on a small generated catalog:
// a search with each page's criteria, hits arriving as rows without a model reset, rows of
// deleted items dropped, the 33rd window refused, New Search, the recent searches, the column
// menu and its saved layout, and the duplicate groups with their shades.
#include <QBuffer>
#include <QCheckBox>
#include <QImage>
#include <QPixmap>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTableView>
#include <QTreeWidget>
#include <algorithm>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogTree.h"
#include "catalog/DeleteOperations.h"
#include "catalog/Definitions.h"
#include "foundation/ScriptedPrompter.h"
#include "platform/settings/SettingsStore.h"
#include "foundation/ProfileFile.h"
#include "lists/ui/ExportListDialog.h"
#include "search/DuplicateSearch.h"
#include "search/PreparedSearch.h"
#include "search/SearchSnapshot.h"
#include "search/ui/SearchJob.h"
#include "search/ui/DuplicatesWindow.h"
#include "search/ui/ResultModel.h"
#include "search/ui/SearchPages.h"
#include "search/ui/SearchWindow.h"
#include "tests/search/SearchTestCatalog.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
using namespace shelfmark::search;
using shelfmark::testing::Add;

namespace {

constexpr uint16_t kDisk = itemflag::Directory | 8;  // a CD-ROM
constexpr uint16_t kDir = itemflag::Directory;
constexpr int32_t kDay = 86400;

}  // namespace

class SearchWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ScopedConfigHome> config;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<CatalogDocument> document;
    std::unique_ptr<CatalogDefinitions> definitions;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<SearchWindowSlots> windowSlots;
    std::unique_ptr<SearchWindowContext> context;
    int32_t now = 0;

    CatalogItem* item(const char* name) const {
        CatalogItem* found = nullptr;
        std::function<void(CatalogItem*)> visit = [&](CatalogItem* at) {
            for (CatalogItem* child = at->firstChild(); child != nullptr; child = child->next()) {
                if (child->name() == name)
                    found = child;
                visit(child);
            }
        };
        visit(document->tree().root());
        return found;
    }

    // Runs Start and waits for the end; the names of the rows, sorted.
    static QStringList Run(SearchWindow& window) {
        QSignalSpy finished(&window, &SearchWindow::searchFinished);
        window.start();
        if (!finished.wait(20000))
            return {QStringLiteral("<did not finish>")};
        QStringList names;
        for (int row = 0; row < int(window.results()->size()); ++row)
            names << QString::fromUtf8(window.results()->item(row)->name().data(),
                                       qsizetype(window.results()->item(row)->name().size()));
        names.sort();
        return names;
    }

    // A disk of `dirs` directories with `files` files each, all named "file<N>".
    void AddBigDisk(int dirs, int files) {
        CatalogTree& tree = document->tree();
        CatalogItem* big = Add(tree, tree.root(), "Big", kDisk);
        for (int d = 0; d < dirs; ++d) {
            CatalogItem* dir = Add(tree, big, ("d" + std::to_string(d)).c_str(), kDir);
            for (int f = 0; f < files; ++f)
                Add(tree, dir, ("file" + std::to_string(f)).c_str(), 0, uint64_t(f));
        }
    }

    SearchWindow* Open(const char* text) {
        SearchWindow* window = SearchWindow::Open(*context, nullptr, nullptr, text);
        if (window != nullptr)
            window->generalPage()->textBox()->setEditText(QString::fromUtf8(text));
        return window;
    }

  private slots:
    void init() {
        config = std::make_unique<testing::ScopedConfigHome>();
        prompter = std::make_unique<ScriptedPrompter>();
        document = std::make_unique<CatalogDocument>(*prompter);
        CatalogTree& tree = document->tree();
        if (tree.root() == nullptr)
            tree.resetToNewCatalog();
        CatalogItem* root = tree.root();
        now = int32_t(QDateTime::currentSecsSinceEpoch());
        CategoryDefinitions categories;
        categories.entries = {{1, 1, "Cars"}, {1, 2, "Sea"}};
        categories.nextId = 3;
        tree.setBlockAttribute(root, attr::CategoryDefinitions, EncodeCategoryBlock(categories));
        //   Photos [CD]  holiday\  red car.jpg (2048, 10 days old, Cars, Artist Ann)
        //                          blue car.jpg (512, 100 days old)
        //                          Red Sea.png (4096, 400 days old, "a red car at sea", Sea)
        //                docs\     letter.doc (100, yesterday)
        //   Backup [CD]  red car.jpg (2048, 10 days old)   RED CAR.JPG (2048, 10 days old)
        CatalogItem* photos = Add(tree, root, "Photos", kDisk);
        CatalogItem* holiday = Add(tree, photos, "holiday", kDir);
        CatalogItem* red = Add(tree, holiday, "red car.jpg", 0, 2048, now - 10 * kDay);
        tree.setNumberAttribute(red, attr::Categories, 1);
        tree.setTextAttribute(red, attr::Artist, "Ann");
        Add(tree, holiday, "blue car.jpg", 0, 512, now - 100 * kDay);
        CatalogItem* sea = Add(tree, holiday, "Red Sea.png", 0, 4096, now - 400 * kDay);
        tree.setTextAttribute(sea, attr::Description, "a red car at sea");
        tree.setNumberAttribute(sea, attr::Categories, 2);
        CatalogItem* docs = Add(tree, photos, "docs", kDir);
        Add(tree, docs, "letter.doc", 0, 100, now - kDay);
        CatalogItem* backup = Add(tree, root, "Backup", kDisk);
        Add(tree, backup, "red car.jpg", 0, 2048, now - 10 * kDay);
        Add(tree, backup, "RED CAR.JPG", 0, 2048, now - 10 * kDay);

        definitions = std::make_unique<CatalogDefinitions>();
        definitions->reload(*root);
        settings = std::make_unique<SettingsStore>((config->configDir() / "settings.ini").string());
        windowSlots = std::make_unique<SearchWindowSlots>();
        context = std::make_unique<SearchWindowContext>(SearchWindowContext{
            *document, *definitions, *settings, *windowSlots, *prompter, {}, {}, {}, {}, {}});
    }

    void cleanup() {
        // Deleting a window deletes its popups too, so the list is taken first.
        QList<QPointer<SearchWindow>> windows;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<SearchWindow*>(widget))
                windows.push_back(window);
        for (const QPointer<SearchWindow>& window : windows)
            delete window.data();
        context.reset();
        windowSlots.reset();
        settings.reset();
        definitions.reset();
        document.reset();
        prompter.reset();
        config.reset();
    }

    void generalPageWordsAndWholeString() {
        SearchWindow* window = Open("car");
        QVERIFY(window != nullptr);
        QCOMPARE(Run(*window), QStringList({"RED CAR.JPG", "Red Sea.png", "blue car.jpg", "red car.jpg",
                                            "red car.jpg"}));  // the sea picture by its description
        window->generalPage()->wholeString()->setChecked(true);
        window->generalPage()->textBox()->setEditText("red car.jpg");
        QCOMPARE(Run(*window), QStringList({"RED CAR.JPG", "red car.jpg", "red car.jpg"}));
        // All words and whole string exclude each other.
        window->generalPage()->wordMode(WordMode::AllWords)->setChecked(true);
        QVERIFY(!window->generalPage()->wholeString()->isChecked());
        window->generalPage()->textBox()->setEditText("sea red");
        QCOMPARE(Run(*window), QStringList({"Red Sea.png"}));
        // The status bar counts the rows.
        QCOMPARE(window->statusText(), QStringLiteral("1 item(s) found."));
        // Start waits for a text.
        window->generalPage()->textBox()->setEditText(QString());
        QVERIFY(!window->startButton()->isEnabled());
    }

    void extendedPageDatesAndSizes() {
        SearchWindow* window = Open("*");
        ExtendedPage* page = window->extendedPage();
        page->dateMode(DateMode::WithinDays)->setChecked(true);
        QVERIFY(page->days()->isEnabled() && !page->months()->isEnabled() && !page->date1()->isEnabled());
        page->days()->setValue(30);
        QCOMPARE(Run(*window), QStringList({"RED CAR.JPG", "letter.doc", "red car.jpg", "red car.jpg"}));
        page->dateMode(DateMode::Between)->setChecked(true);
        QVERIFY(page->date1()->isEnabled() && !page->days()->isEnabled());
        // Bounds given in either order.
        page->date1()->setDate(QDate::currentDate().addDays(-150));
        page->date2()->setDate(QDate::currentDate().addDays(-50));
        QCOMPARE(Run(*window), QStringList({"blue car.jpg"}));
        page->dateMode(DateMode::AllFiles)->setChecked(true);
        page->sizeOperator()->setCurrentIndex(int(SizeOperator::AtLeast));
        page->sizeText()->setText("2");
        page->sizeUnit()->setCurrentIndex(1);  // KB: at least 2048 bytes; containers never pass
        QCOMPARE(Run(*window), QStringList({"RED CAR.JPG", "Red Sea.png", "red car.jpg", "red car.jpg"}));
    }

    void categoriesPageListsOrLeavesOut() {
        SearchWindow* window = Open("*");
        CategoriesPage* page = window->categoriesPage();
        QCOMPARE(page->list()->count(), 2);
        page->list()->item(0)->setCheckState(Qt::Checked);  // Cars
        QCOMPARE(Run(*window), QStringList({"red car.jpg"}));
        page->invertSelection();  // Sea
        page->exclude()->setChecked(true);
        const QStringList withoutSea = Run(*window);
        QVERIFY(!withoutSea.contains("Red Sea.png"));
        QVERIFY(withoutSea.contains("letter.doc"));
    }

    void extraInfoPageConditionDialog() {
        SearchWindow* window = Open("*");
        ExtraInfoPage* page = window->extraInfoPage();
        testing::ModalDriver driver;
        bool refusedEmpty = false;
        driver.onNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ConditionDialog*>(modal);
            dialog->attribute()->setCurrentIndex(dialog->attribute()->findText("Artist"));
            // A text attribute offers the two text operators.
            QCOMPARE(dialog->op()->count(), 2);
            dialog->value1()->clear();
            dialog->accept();  // an empty value: the message, and the dialog stays open
            refusedEmpty = dialog->isVisible() && !prompter->shownTexts().empty();
            dialog->value1()->setText("an");
            dialog->accept();
        });
        page->addCondition();
        QVERIFY(driver.allRan());
        QVERIFY(refusedEmpty);
        QCOMPARE(page->list()->topLevelItemCount(), 1);
        QCOMPARE(Run(*window), QStringList({"red car.jpg"}));
        // Deleting asks first; No keeps the condition.
        page->list()->setCurrentItem(page->list()->topLevelItem(0));
        page->list()->topLevelItem(0)->setSelected(true);
        prompter->queueAnswer(PromptAnswer::No);
        page->deleteConditions(true);
        QCOMPARE(page->list()->topLevelItemCount(), 1);
        QVERIFY(prompter->shownTexts().back().find("Artist") != std::string::npos);
        page->deleteConditions(false);
        QCOMPARE(page->list()->topLevelItemCount(), 0);
    }

    void numericConditionRefusesText() {
        std::vector<NamedKey> fields = {{"Width", attr::ImageWidth}};
        ExtraInfoCondition condition;
        condition.key = attr::ImageWidth;
        condition.op = ConditionOperator::Between;
        ConditionDialog dialog(fields, condition, *prompter);
        QCOMPARE(dialog.op()->count(), 4);
        QVERIFY(dialog.value2()->isEnabled());
        dialog.value1()->setText("10");
        dialog.value2()->setText("-3");
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompter->shownTexts().back(), std::string("Please enter a positive integer."));
        dialog.value2()->setText("20");
        dialog.accept();
        QCOMPARE(dialog.condition().value2, 20u);
        dialog.op()->setCurrentIndex(0);
        QVERIFY(!dialog.value2()->isEnabled());
    }

    void rowsArriveWithoutResetAndLeaveOnDelete() {
        SearchWindow* window = Open("car");
        QSignalSpy resets(window->results(), &QAbstractItemModel::modelReset);
        QSignalSpy inserted(window->results(), &QAbstractItemModel::rowsInserted);
        QCOMPARE(Run(*window).size(), 5);
        QCOMPARE(resets.count(), 0);
        QVERIFY(inserted.count() >= 1);
        // Deleting the holiday directory in the main window takes its three rows away.
        prompter->queueAnswer(PromptAnswer::Yes);
        CatalogItem* holiday = item("holiday");
        QCOMPARE(DeleteItems(*document, std::span(&holiday, 1)), EditStatus::Done);
        QCOMPARE(window->results()->size(), size_t(2));
        QCOMPARE(window->statusText(), QStringLiteral("2 item(s) found."));
        // Undoing brings the items back, but not their rows.
        for (int row = 0; row < 2; ++row)
            QCOMPARE(window->results()->item(row)->parent()->name(), std::string_view("Backup"));
    }

    void thirtyThirdWindowIsRefused() {
        std::vector<SearchWindow*> windows;
        for (int i = 0; i < 32; ++i) {
            windows.push_back(SearchWindow::Open(*context, nullptr));
            QVERIFY(windows.back() != nullptr);
        }
        QVERIFY(SearchWindow::Open(*context, nullptr) == nullptr);
        QCOMPARE(prompter->shownTexts().back(), std::string("More Search dialogs should be opened than allowed."));
        windows[5]->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(SearchWindow::Open(*context, nullptr) != nullptr);
    }

    void newSearchAndRecentSearches() {
        SearchWindow* window = Open("car");
        Run(*window);
        window->generalPage()->textBox()->setEditText("letter");
        Run(*window);
        // Most recent first.
        QComboBox* box = window->generalPage()->textBox();
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QStringLiteral("letter"));
        QCOMPARE(box->itemText(1), QStringLiteral("car"));
        QCOMPARE(RecentSearches::Load(*settings).mruList, std::string("ba"));
        // Searching for a listed text again moves it to the front without a new letter.
        box->setCurrentIndex(1);
        Run(*window);
        QCOMPARE(RecentSearches::Load(*settings).mruList, std::string("ab"));

        window->extendedPage()->dateMode(DateMode::WithinDays)->setChecked(true);
        prompter->queueAnswer(PromptAnswer::Cancel);
        window->newSearch();
        QVERIFY(window->results()->size() > 0);
        prompter->queueAnswer(PromptAnswer::Ok);
        window->newSearch();
        QCOMPARE(window->results()->size(), size_t(0));
        QVERIFY(box->currentText().isEmpty());
        QVERIFY(window->extendedPage()->dateMode(DateMode::AllFiles)->isChecked());
        QVERIFY(!window->startButton()->isEnabled());
    }

    void columnsMenuAndSavedLayout() {
        SearchWindow* window = Open("car");
        Run(*window);
        const int crc = definitions->columns().indexOfKey(attr::Crc32);
        QVERIFY(crc >= 0);
        window->toggleColumn(uint8_t(crc));
        QCOMPARE(window->results()->columnCount(), 7);
        QCOMPARE(window->results()->headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("CRC32"));
        window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto bytes = settings->getBinary("Settings\\WindowSettings", "SearchColumnsSettings");
        QVERIFY(bytes.has_value());
        const std::vector<ResultColumn> saved = DecodeResultColumns(std::string(bytes->begin(), bytes->end()));
        QCOMPARE(saved.size(), size_t(7));
        QCOMPARE(int(saved.back().descriptor), crc);
        // A new window opens with the saved columns.
        SearchWindow* again = Open("car");
        QCOMPARE(again->results()->columnCount(), 7);
    }

    void cancelQuestionStopsALargeSearch() {
        AddBigDisk(300, 1000);
        SearchWindow* window = Open("file");
        QSignalSpy finished(window, &SearchWindow::searchFinished);
        window->start();
        QVERIFY(window->running());
        QVERIFY(!window->pages()->isEnabled());
        QCOMPARE(window->startButton()->text(), QStringLiteral("Cancel"));
        prompter->queueAnswer(PromptAnswer::Yes);
        window->start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(prompter->shownTexts().back(), std::string("Do you really want to cancel the process?"));
        QVERIFY(window->results()->size() <= size_t(300000));
        QVERIFY(window->pages()->isEnabled());
        QCOMPARE(window->startButton()->text(), QStringLiteral("&Start"));
    }

    // The walk runs on its own thread while the window shows rows; closing or deleting the
    // window, or starting again the moment a search ends, must stop and join the walk before
    // anything it reads goes. (Run under the thread sanitizer too.)
    void closingWhileASearchRunsAsksFirst() {
        AddBigDisk(100, 1000);
        std::vector<bool> busy;
        context->setMainWindowBusy = [&](bool running) { busy.push_back(running); };
        QPointer<SearchWindow> window = Open("file");
        QSignalSpy finished(window.data(), &SearchWindow::searchFinished);
        // No: the window stays and its search goes on to the end. (No events are handled between
        // Start and the close, so the window is still running whatever the walk has done.)
        window->start();
        prompter->queueAnswer(PromptAnswer::No);
        QVERIFY(!window->close());
        QVERIFY(window->running());
        QVERIFY(finished.wait(60000));
        QCOMPARE(window->results()->size(), size_t(100000));
        // Yes: the walk stops, the window goes and the main window is usable again.
        window->start();
        prompter->queueAnswer(PromptAnswer::Yes);
        QVERIFY(window->close());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());
        QCOMPARE(prompter->shownTexts(), (std::vector<std::string>(2, "Do you really want to cancel the process?")));
        QCOMPARE(busy, (std::vector<bool>{true, false, true, false}));
        QCOMPARE(windowSlots->openCount(), size_t(0));
    }

    void deletingAWindowStopsItsSearch() {
        AddBigDisk(100, 1000);
        bool busy = false;
        context->setMainWindowBusy = [&](bool running) { busy = running; };
        for (int i = 0; i < 3; ++i) {
            SearchWindow* window = Open("file");
            window->start();
            QTest::qWait(i * 5);  // before, while and after the first rows arrive
            QVERIFY(busy || !window->running());
            delete window;
            QVERIFY(!busy);
        }
        QVERIFY(prompter->shown().empty());
    }

    void startingAgainAsASearchEnds() {
        AddBigDisk(20, 500);
        SearchWindow* window = Open("file1");
        std::vector<size_t> rows;
        // Each end starts the next search from inside the end's own signal.
        connect(window, &SearchWindow::searchFinished, this, [&] {
            rows.push_back(window->results()->size());
            if (rows.size() < 5)
                window->start();
        });
        window->start();
        QTRY_COMPARE_WITH_TIMEOUT(rows.size(), size_t(5), 60000);
        // file1, file10-19, file100-199: 111 a directory.
        QCOMPARE(rows, std::vector<size_t>(5, size_t(20 * 111)));
        QVERIFY(!window->running());
    }

    void duplicatesWindowStopsItsWorkerWhenCancelledOrGone() {
        AddBigDisk(100, 1000);
        {
            DuplicatesWindow window(*context, nullptr);
            QSignalSpy finished(&window, &DuplicatesWindow::searchFinished);
            window.start();
            QVERIFY(window.running());
            // Cancel asks; No lets it go on, Yes stops it and the window stays open.
            prompter->queueAnswer(PromptAnswer::No);
            window.reject();
            QVERIFY(window.running());
            prompter->queueAnswer(PromptAnswer::Yes);
            window.reject();
            QVERIFY(finished.wait(60000));
            QVERIFY(!window.running());
            QVERIFY(window.startButton()->isEnabled());
            // Started again and closed at once: the worker ends before the window's members go.
            window.start();
            QVERIFY(window.running());
        }
        QCOMPARE(prompter->shownTexts(), (std::vector<std::string>(2, "Do you really want to cancel the process?")));
    }

    void printExportHandsOverTheRows() {
        // The main window's hook gets the rows in their shown order under the list's name.
        std::string listName;
        size_t rows = 0;
        context->printExport = [&](const ListTable& table, const std::string& name, QWidget*) {
            listName = name;
            rows = table.rowCount();
        };
        SearchWindow* window = Open("car");
        QVERIFY(!window->printButton()->isEnabled());
        Run(*window);
        QVERIFY(window->printButton()->isEnabled());
        window->printButton()->click();
        QCOMPARE(listName, std::string("SearchResult"));
        QCOMPARE(rows, size_t(5));
    }

    void duplicatesExportToCsvThroughTheSharedDialog() {
        DuplicatesWindow window(*context, nullptr);
        QSignalSpy finished(&window, &DuplicatesWindow::searchFinished);
        window.start();
        QVERIFY(finished.wait(20000));
        const std::string file = (config->configDir() / "duplicates.csv").string();
        testing::ModalDriver driver;
        driver.onNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ExportListDialog*>(modal);
            QVERIFY(dialog != nullptr);
            dialog->setTargetPath(file);
            dialog->accept();
        });
        window.printExport();
        QVERIFY(driver.allRan());
        QVERIFY(QTest::qWaitFor([&] { return std::filesystem::exists(file); }, 10000));
        std::ifstream in(file, std::ios::binary);
        std::stringstream read;
        read << in.rdbuf();
        const std::string text = read.str();
        // A title line and the three cars.
        QCOMPARE(int(std::count(text.begin(), text.end(), '\n')), 4);
        QVERIFY(text.find("RED CAR.JPG") != std::string::npos);
        // The dialog keeps its choices under the duplicate list's name.
        const ProfileFile stored((config->configDir() / "ExportList.tkp").string());
        QVERIFY(stored.sectionNames().find("SearchDuplicatesResult:csv") != std::string::npos);
    }

    void workerFindsWhatTheSnapshotFinds() {
        // A random catalog; the window's worker (the tree walk, hits taken in batches while it
        // runs) must give exactly the hits, in order, of the snapshot scan, a separate
        // implementation over a compact copy of the tree.
        CatalogTree& tree = document->tree();
        std::mt19937 random(11);
        const char* const words[] = {"red", "Car", "sea", "blue", "RED", "boat", "x"};
        std::vector<CatalogItem*> containers = {Add(tree, tree.root(), "Random", kDisk)};
        for (int i = 0; i < 20000; ++i) {
            CatalogItem* parent = containers[random() % containers.size()];
            std::string name = std::string(words[random() % 7]) + " " + words[random() % 7] + std::to_string(i % 13);
            const bool container = random() % 8 == 0;
            CatalogItem* added = Add(tree, parent, name.c_str(), container ? kDir : 0, random() % 5000,
                                     now - int32_t(random() % 400) * kDay);
            if (random() % 5 == 0)
                tree.setTextAttribute(added, attr::Description, words[random() % 7]);
            if (container)
                containers.push_back(added);
        }
        SearchSnapshot snapshot(*document);
        for (const char* text : {"red", "r?d c", "car sea", "*a*"}) {
            SearchCriteria criteria = InitialCriteria(now);
            criteria.text = text;
            criteria.wordMode = std::string_view(text) == "car sea" ? WordMode::AllWords : WordMode::Normal;
            criteria.dateMode = DateMode::WithinDays;
            criteria.days = "200";
            const PreparedSearch prepared = PrepareSearch(criteria, now);
            SearchJob job(prepared, *containers.front());
            std::vector<const CatalogItem*> hits;
            while (!job.finished()) {
                const auto batch = job.takeHits();
                hits.insert(hits.end(), batch.begin(), batch.end());
            }
            const auto rest = job.takeHits();
            hits.insert(hits.end(), rest.begin(), rest.end());
            const std::vector<const CatalogItem*> expected = snapshot.search(prepared, *containers.front());
            QVERIFY2(hits == expected, text);
            QVERIFY(!hits.empty());
            QCOMPARE(job.hitCount(), hits.size());
        }
    }

    void sortsByValueAndKeepsTheSelection() {
        SearchWindow* window = Open("*.*");
        QCOMPARE(Run(*window).size(), 6);
        ResultModel* rows = window->results();
        QTableView* view = window->resultView();
        const int size = 2;  // Name, In Directory, Size, ...
        view->setCurrentIndex(rows->index(0, 0));
        const CatalogItem* selected = rows->item(0);
        view->horizontalHeader()->sectionClicked(size);
        // Sizes by their value: 100 bytes shows as "1 KB" but sorts before 512.
        std::vector<uint64_t> sizes;
        for (int row = 0; row < int(rows->size()); ++row)
            sizes.push_back(rows->item(row)->size());
        QVERIFY(std::is_sorted(sizes.begin(), sizes.end()));
        QCOMPARE(rows->item(view->currentIndex().row()), selected);
        view->horizontalHeader()->sectionClicked(size);  // again: descending
        QCOMPARE(rows->item(0)->size(), uint64_t(4096));
        view->horizontalHeader()->sectionClicked(0);  // names, ignoring case
        for (int row = 1; row < int(rows->size()); ++row)
            QVERIFY(rows->text(row - 1, 0).compare(rows->text(row, 0), Qt::CaseInsensitive) <= 0);
        // A new search keeps the chosen order.
        Run(*window);
        for (int row = 1; row < int(rows->size()); ++row)
            QVERIFY(rows->text(row - 1, 0).compare(rows->text(row, 0), Qt::CaseInsensitive) <= 0);
    }

    void thumbnailsAsRowIcons() {
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(picture.save(&buffer, "JPEG"));
        document->tree().setBlockAttribute(
            item("blue car.jpg"), attr::Thumbnail,
            std::span(reinterpret_cast<const uint8_t*>(jpeg.constData()), size_t(jpeg.size())));
        SearchWindow* window = Open("blue");
        Run(*window);
        ResultModel* rows = window->results();
        QVERIFY(!rows->data(rows->index(0, 0), Qt::DecorationRole).isValid());
        rows->setShowThumbnails(true);
        const QPixmap icon = rows->data(rows->index(0, 0), Qt::DecorationRole).value<QPixmap>();
        QCOMPARE(icon.size(), QSize(16, 8));  // the 40 x 20 picture, kept in proportion
        QVERIFY(!rows->data(rows->index(0, 1), Qt::DecorationRole).isValid());
    }

    void deletedStartFallsBackToItsParent() {
        SearchWindow* window = SearchWindow::Open(*context, item("holiday"));
        QCOMPARE(window->criteria().startItem, static_cast<const CatalogItem*>(item("holiday")));
        CatalogItem* holiday = item("holiday");
        prompter->queueAnswer(PromptAnswer::Yes);
        QCOMPARE(DeleteItems(*document, std::span(&holiday, 1)), EditStatus::Done);
        QCOMPARE(window->criteria().startItem, static_cast<const CatalogItem*>(item("Photos")));
        window->generalPage()->textBox()->setEditText("car");
        QCOMPARE(Run(*window), QStringList());  // the cars lay in the deleted directory
    }

    void duplicatesGroupedWithShades() {
        DuplicatesWindow window(*context, nullptr);
        QSignalSpy finished(&window, &DuplicatesWindow::searchFinished);
        // No criterion: the fixed message, nothing starts.
        for (const unsigned bit : {duplicate::NameBit, duplicate::SizeBit, duplicate::DateBit})
            window.criterion(bit)->setChecked(false);
        window.start();
        QVERIFY(!window.running());
        QCOMPARE(prompter->shownTexts().back(), std::string("Please select at least one comparison criterium!"));
        // Name, size and date: the three red cars, case ignored.
        for (const unsigned bit : {duplicate::NameBit, duplicate::SizeBit, duplicate::DateBit})
            window.criterion(bit)->setChecked(true);
        window.start();
        QVERIFY(finished.wait(20000));
        ResultModel* rows = window.results();
        QCOMPARE(rows->size(), size_t(3));
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(QString::fromUtf8(rows->item(row)->name().data()).toLower(), QStringLiteral("red car.jpg"));
            QCOMPARE(int(rows->shade(row)), 0);
            QVERIFY(!rows->data(rows->index(row, 0), Qt::ForegroundRole).isValid());
        }
        QCOMPARE(window.statusText(), QStringLiteral("3 item(s) found."));
        // Size alone: 2048 (three cars) is one group, nothing else pairs; with a minimum of
        // 0 KB every file counts, with 3 KB none pairs.
        window.criterion(duplicate::NameBit)->setChecked(false);
        window.criterion(duplicate::DateBit)->setChecked(false);
        window.minimumSize()->setText("3");
        window.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(rows->size(), size_t(0));
        // Date alone, with a second pair: the two letters from yesterday.
        CatalogTree& tree = document->tree();
        Add(tree, item("docs"), "copy.doc", 0, 7, item("letter.doc")->date());
        window.minimumSize()->clear();
        window.criterion(duplicate::SizeBit)->setChecked(false);
        window.criterion(duplicate::DateBit)->setChecked(true);
        window.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(rows->size(), size_t(5));
        // Earlier dates first: the cars (shade 0), then the letters drawn dark blue (shade 1).
        QCOMPARE(int(rows->shade(0)), 0);
        QCOMPARE(int(rows->shade(3)), 1);
        QCOMPARE(int(rows->shade(4)), 1);
        QCOMPARE(rows->data(rows->index(4, 1), Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 192));
    }
};

QTEST_MAIN(SearchWindowTest)
#include "SearchWindowTest.moc"
