// The Statistics window on a generated catalog: the figures in its tables and charts are those
// counted while the catalog was generated (a plain second count, not the library's walk); the
// counting can be cancelled through the progress box; a window whose container was deleted
// stops counting.
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogTree.h"
#include "catalog/DeleteOperations.h"
#include "catalog/ui/StatisticsWindow.h"
#include "foundation/LanguageTexts.h"
#include "foundation/NumberFormat.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/ui/DialogTexts.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
using shelfmark::testing::ModalDriver;

namespace {

constexpr int kFiles = 300;
constexpr int kExtensions = 25;

struct Sum {
    uint64_t count = 0;
    uint64_t bytes = 0;
};

// What the generator put into the catalog, counted as it went.
struct Expected {
    std::map<std::string, Sum> extensions;  // lower case
    std::map<int, Sum> years;               // 0: no date
    std::map<std::string, Sum> media;
    std::vector<std::pair<uint64_t, std::string>> files;  // size, name
    uint64_t directories = 0;
    uint64_t fileBytes = 0;
};

int64_t NoonOfJanuary15(int year) {
    using namespace std::chrono;
    const sys_days day = std::chrono::year(year) / January / 15;
    return day.time_since_epoch().count() * int64_t(86400) + 12 * 3600;
}

// Shelf\ with three disks of different media types, each with two directories of files.
// File i: extension x(i mod 25) (upper case for every 50th), a size unique to it, a date in
// 1995-2006 or none for every 13th.
Expected Generate(CatalogTree& tree, CatalogItem* shelf) {
    Expected expected;
    const std::pair<const char*, MediaType> disks[] = {
        {"Alpha", MediaType::HardDisk}, {"Beta", MediaType::CdRom}, {"Gamma", MediaType::Removable}};
    int i = 0;
    uint64_t shelfBytes = 0;
    for (const auto& [diskName, type] : disks) {
        CatalogItem* disk = tree.createItem(diskName, shelf, Last, DiskFlags(type));
        uint64_t diskBytes = 0;
        for (const char* directoryName : {"one", "two"}) {
            CatalogItem* directory = tree.createItem(directoryName, disk, Last, itemflag::Directory);
            ++expected.directories;
            uint64_t directoryBytes = 0;
            for (int n = 0; n < kFiles / 6; ++n, ++i) {
                char extension[8];
                std::snprintf(extension, sizeof extension, "%c%02d", i % 50 == 0 ? 'X' : 'x',
                              i % kExtensions);
                const std::string name = "f" + std::to_string(i) + "." + extension;
                const uint64_t size = 1000 + uint64_t(i) * 7;
                CatalogItem* file = tree.createItem(name, directory, Last, 0);
                tree.setSize(file, size);
                const int year = i % 13 == 0 ? 0 : 1995 + i % 12;
                file->setDate(year == 0 ? 0 : int32_t(NoonOfJanuary15(year)));
                std::string key = extension;
                key[0] = 'x';
                expected.extensions[key].count++;
                expected.extensions[key].bytes += size;
                expected.years[year].count++;
                expected.years[year].bytes += size;
                expected.files.emplace_back(size, name);
                expected.fileBytes += size;
                directoryBytes += size;
            }
            tree.setSize(directory, directoryBytes);
            diskBytes += directoryBytes;
        }
        tree.setSize(disk, diskBytes);
        expected.media[MediaTypeText(type)].count++;
        expected.media[MediaTypeText(type)].bytes += diskBytes;
        shelfBytes += diskBytes;
    }
    tree.setSize(shelf, shelfBytes);
    std::sort(expected.files.rbegin(), expected.files.rend());
    return expected;
}

QString Cell(QTreeWidget* table, int row, int column) {
    return table->topLevelItem(row)->text(column);
}

uint64_t Bytes(QTreeWidget* table, int row) {
    return table->topLevelItem(row)->data(2, Qt::UserRole).toULongLong();
}

QBarSet* BarsOf(QChartView* view) {
    const QList<QAbstractSeries*> series = view->chart()->series();
    if (series.size() != 1)
        return nullptr;
    const auto* bars = qobject_cast<QAbstractBarSeries*>(series.front());
    return bars && bars->count() == 1 ? bars->barSets().front() : nullptr;
}

// A counting that lasts until it is cancelled; `seen` tells it noticed.
StatisticsWindow::Gatherer CountUntilCancelled(std::atomic<bool>& seen) {
    return [&seen](const CatalogTree&, const CatalogItem&, const StatisticsOptions& options) {
        while (!options.cancel->isSet())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        seen = true;
        ContentStatistics none;
        none.cancelled = true;
        return none;
    };
}

}  // namespace

class StatisticsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<CatalogDocument> document;
    CatalogItem* shelf = nullptr;
    Expected expected;

  private slots:
    void initTestCase() { NumberFormat::SetUser(NumberFormat{}); }
    void init() {
        prompter = std::make_unique<ScriptedPrompter>();
        document = std::make_unique<CatalogDocument>(*prompter);
        CatalogTree& tree = document->tree();
        tree.resetToNewCatalog();
        shelf = tree.createItem("Shelf", tree.root(), Last, itemflag::Folder);
        expected = Generate(tree, shelf);
    }
    void cleanup() {
        document.reset();
        LanguageTexts::Instance().unloadLanguage();
    }

    void tablesShowTheGeneratedFigures() {
        StatisticsWindow window(*document, shelf);
        QVERIFY(window.refresh());
        QCOMPARE(window.windowTitle(), QStringLiteral("Statistics of Shelf"));
        QVERIFY2(window.summaryLabel()->text().contains(QStringLiteral("300 files")),
                 qPrintable(window.summaryLabel()->text()));

        // Kinds: one folder is the container itself and not counted.
        QTreeWidget* kinds = window.table(StatisticsWindow::Kinds);
        QCOMPARE(kinds->topLevelItemCount(), 3);
        QCOMPARE(Cell(kinds, 0, 0), QStringLiteral("Disk"));
        QCOMPARE(Cell(kinds, 0, 1), QStringLiteral("3"));
        QCOMPARE(Bytes(kinds, 0), expected.fileBytes);
        QCOMPARE(Cell(kinds, 1, 0), QStringLiteral("Directory"));
        QCOMPARE(Cell(kinds, 1, 1), QString::number(expected.directories));
        QCOMPARE(Cell(kinds, 2, 0), QStringLiteral("File"));
        QCOMPARE(Cell(kinds, 2, 1), QString::number(kFiles));
        QCOMPARE(Bytes(kinds, 2), expected.fileBytes);

        // Media types, most bytes first.
        QTreeWidget* media = window.table(StatisticsWindow::MediaTypes);
        QCOMPARE(media->topLevelItemCount(), 3);
        for (int row = 0; row < 3; ++row) {
            const Sum& sum = expected.media.at(ToUtf8(Cell(media, row, 0)));
            QCOMPARE(Bytes(media, row), sum.bytes);
            if (row > 0)
                QVERIFY(Bytes(media, row) <= Bytes(media, row - 1));
        }

        // Extensions: the 20 with the most bytes, folded to lower case, then the rest together.
        std::vector<std::pair<uint64_t, std::string>> byBytes;
        for (const auto& [key, sum] : expected.extensions)
            byBytes.emplace_back(sum.bytes, key);
        std::sort(byBytes.rbegin(), byBytes.rend());
        QTreeWidget* extensions = window.table(StatisticsWindow::Extensions);
        QCOMPARE(extensions->topLevelItemCount(), 21);
        Sum rest;
        for (size_t i = 0; i < byBytes.size(); ++i) {
            const Sum& sum = expected.extensions.at(byBytes[i].second);
            if (i >= 20) {
                rest.count += sum.count;
                rest.bytes += sum.bytes;
                continue;
            }
            QCOMPARE(Cell(extensions, int(i), 0), ToQString(byBytes[i].second));
            QCOMPARE(Cell(extensions, int(i), 1), QString::number(sum.count));
            QCOMPARE(Bytes(extensions, int(i)), sum.bytes);
        }
        QCOMPARE(Cell(extensions, 20, 0), QStringLiteral("(other)"));
        QCOMPARE(Cell(extensions, 20, 1), QString::number(rest.count));
        QCOMPARE(Bytes(extensions, 20), rest.bytes);

        // Years, oldest first, files without a date last.
        QTreeWidget* years = window.table(StatisticsWindow::Years);
        QCOMPARE(years->topLevelItemCount(), int(expected.years.size()));
        int row = 0;
        for (const auto& [year, sum] : expected.years) {
            if (year == 0)
                continue;
            QCOMPARE(Cell(years, row, 0), QString::number(year));
            QCOMPARE(Cell(years, row, 1), QString::number(sum.count));
            QCOMPARE(Bytes(years, row), sum.bytes);
            ++row;
        }
        QCOMPARE(Cell(years, row, 0), QStringLiteral("(no date)"));
        QCOMPARE(Bytes(years, row), expected.years.at(0).bytes);

        // The ten largest files by name and path, the largest directories (disks first here).
        QTreeWidget* largest = window.table(StatisticsWindow::LargestFiles);
        QCOMPARE(largest->topLevelItemCount(), 10);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(Cell(largest, i, 0), ToQString(expected.files[size_t(i)].second));
            QCOMPARE(Bytes(largest, i), expected.files[size_t(i)].first);
            QVERIFY(Cell(largest, i, 1).contains(QStringLiteral("Gamma")));
        }
        QTreeWidget* directories = window.table(StatisticsWindow::LargestDirectories);
        QCOMPARE(directories->topLevelItemCount(), 9);  // three disks, six directories
        QCOMPARE(Bytes(directories, 0), expected.media.at(MediaTypeText(MediaType::Removable)).bytes);
    }

    void chartsFollowTheTablesAndTheMeasure() {
        StatisticsWindow window(*document, shelf);
        QVERIFY(window.refresh());
        QBarSet* bars = BarsOf(window.chartView(StatisticsWindow::Extensions));
        QVERIFY(bars != nullptr);
        QCOMPARE(bars->count(), 21);
        // Bars run top down in table order: the last bar is the first row.
        QTreeWidget* table = window.table(StatisticsWindow::Extensions);
        const double sizeRatio = bars->at(20) / bars->at(0);
        QVERIFY(qAbs(sizeRatio - double(Bytes(table, 0)) / double(Bytes(table, 20))) < 1e-9);

        // Redrawing replaces the axes, and the old ones go (they are no longer the chart's).
        std::vector<QPointer<QAbstractAxis>> oldAxes;
        for (QAbstractAxis* axis : window.chartView(StatisticsWindow::Extensions)->chart()->axes())
            oldAxes.emplace_back(axis);
        QCOMPARE(oldAxes.size(), size_t(2));
        window.measureBox()->setCurrentIndex(1);  // number of items
        for (const QPointer<QAbstractAxis>& axis : oldAxes)
            QVERIFY(axis.isNull());
        QCOMPARE(window.chartView(StatisticsWindow::Extensions)->chart()->axes().size(), 2);
        bars = BarsOf(window.chartView(StatisticsWindow::Extensions));
        QVERIFY(bars != nullptr);
        for (int row = 0; row < 21; ++row)
            QCOMPARE(bars->at(20 - row), Cell(table, row, 1).toDouble());
        for (int page = 0; page < StatisticsWindow::PageCount; ++page)
            QVERIFY(BarsOf(window.chartView(StatisticsWindow::Page(page))) != nullptr);
    }

    void archiveContentsCountOnlyWhenAsked() {
        CatalogTree& tree = document->tree();
        CatalogItem* one = tree.resolvePath("Shelf\\Alpha\\one", nullptr);
        QVERIFY(one != nullptr);
        CatalogItem* pack = tree.createItem("pack.zip", one, Last, itemflag::Archive);
        tree.setSize(pack, 10);
        tree.setSize(tree.createItem("inner.txt", pack, Last, 0), 5);
        tree.setSize(tree.createItem("other.txt", pack, Last, 0), 6);

        StatisticsWindow window(*document, shelf);
        QVERIFY(window.refresh());
        QTreeWidget* kinds = window.table(StatisticsWindow::Kinds);
        auto countOf = [kinds](const QString& kind) {
            const auto rows = kinds->findItems(kind, Qt::MatchExactly);
            return rows.isEmpty() ? QString() : rows.front()->text(1);
        };
        QCOMPARE(countOf(QStringLiteral("Archive")), QStringLiteral("1"));
        QCOMPARE(countOf(QStringLiteral("File")), QString::number(kFiles));
        window.archivesBox()->setChecked(true);  // counts again at once
        QCOMPARE(countOf(QStringLiteral("File")), QString::number(kFiles + 2));
        QVERIFY(window.summaryLabel()->text().contains(QStringLiteral("303 files")));
    }

    void cancelAsksAndKeepsTheWindowsFigures() {
        StatisticsWindow window(*document, shelf);
        QVERIFY(window.refresh());
        const QString before = Cell(window.table(StatisticsWindow::Kinds), 2, 1);

        std::atomic<bool> cancelSeen = false;
        window.setGatherer(CountUntilCancelled(cancelSeen));
        window.setProgressDelay(std::chrono::milliseconds(0));
        ModalDriver driver;
        // First Cancel: No at the question, the counting goes on; second Cancel: Yes.
        driver.clickOnNextModal(QStringLiteral("Cancel"));
        prompter->queueAnswer(PromptAnswer::No);
        QTimer::singleShot(300, [&] { driver.clickOnNextModal(QStringLiteral("Cancel")); });
        prompter->queueAnswer(PromptAnswer::Yes);
        QVERIFY(!window.refresh());
        QVERIFY(driver.allRan());
        QVERIFY(cancelSeen);
        QCOMPARE(prompter->shownTexts(),
                 (std::vector<std::string>{"Do you really want to cancel the process?",
                                           "Do you really want to cancel the process?"}));
        QCOMPARE(Cell(window.table(StatisticsWindow::Kinds), 2, 1), before);
        QVERIFY(window.refreshButton()->isEnabled());
    }

    // Closed while it counts (by the program; input waits meanwhile), once before the progress
    // box shows and once inside it: the count is cancelled without a question and the window
    // goes only after the worker has returned, not while the counting is still on its stack.
    void closedWhileItCounts() {
        for (const bool inTheBox : {false, true}) {
            QPointer<StatisticsWindow> window = new StatisticsWindow(*document, shelf);
            window->setAttribute(Qt::WA_DeleteOnClose);
            window->show();
            std::atomic<bool> cancelSeen = false;
            window->setGatherer(CountUntilCancelled(cancelSeen));
            ModalDriver driver;
            if (inTheBox) {
                window->setProgressDelay(std::chrono::milliseconds(0));
                driver.onNextModal([&](QWidget*) { window->close(); });
            } else {
                window->setProgressDelay(std::chrono::milliseconds(60000));
                QTimer::singleShot(50, window, [&] { window->close(); });
            }
            QVERIFY(!window->refresh());
            QVERIFY(driver.allRan());
            QVERIFY(cancelSeen);
            QTRY_VERIFY(window.isNull());
            QVERIFY(prompter->shownTexts().empty());
        }
    }

    void openRefusesItemsThatHoldNothing() {
        CatalogItem* file = document->tree().resolvePath("Shelf\\Beta\\two", nullptr)->firstChild();
        QCOMPARE(StatisticsWindow::Open(*document, file, nullptr), nullptr);
        QCOMPARE(prompter->shownTexts(),
                 (std::vector<std::string>{"This command cannot be used with an item of this kind."}));

        StatisticsWindow* whole = StatisticsWindow::Open(*document, nullptr, nullptr);
        QVERIFY(whole != nullptr);
        QVERIFY(whole->isVisible());
        QVERIFY(whole->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(whole->table(StatisticsWindow::MediaTypes)->topLevelItemCount(), 3);
        whole->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void aDeletedContainerIsNotCountedAgain() {
        CatalogItem* beta = document->tree().resolvePath("Shelf\\Beta", nullptr);
        StatisticsWindow window(*document, beta);
        QVERIFY(window.refresh());
        QCOMPARE(window.table(StatisticsWindow::Kinds)->topLevelItemCount(), 2);  // dirs, files

        prompter->queueAnswer(PromptAnswer::Yes);
        CatalogItem* gone[] = {shelf};
        QCOMPARE(DeleteItems(*document, gone), EditStatus::Done);
        QVERIFY(!window.hasContainer());
        QVERIFY(!window.refreshButton()->isEnabled());
        QVERIFY(!window.refresh());
        // What was counted stays readable.
        QCOMPARE(window.table(StatisticsWindow::Kinds)->topLevelItemCount(), 2);
    }

    void labelsFollowTheLanguage() {
        QVERIFY(LanguageTexts::Instance().loadLanguage(
            (testing::SourceDir() / "foundation/lang/Deutsch.lng").string()));
        StatisticsWindow window(*document, shelf);
        QCOMPARE(window.windowTitle(), QStringLiteral("Statistik von Shelf"));
        QCOMPARE(window.pages()->tabText(StatisticsWindow::LargestFiles),
                 QStringLiteral("Größte Dateien"));
    }
};

QTEST_MAIN(StatisticsWindowTest)
#include "StatisticsWindowTest.moc"
