// How the search window behaves on a very large catalog: for each query, the time from Start to
// the first result row the view holds, the time to the end of the search with every row shown,
// and the longest gap between the ticks of a 1 ms timer while it ran (how long the window could
// not answer). Goal: first row under 100 ms, no gap over 50 ms. Beside it, in the same run,
// grep -F -i -m1 (first match) and grep -c -F -i (all) over a file of the same names.
//
//   QT_QPA_PLATFORM=offscreen search_window_bench [ITEMS]   (default 10000000)
#include <QApplication>
#include <QAbstractItemModel>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "catalog/CatalogDocument.h"
#include "catalog/Definitions.h"
#include "foundation/Prompter.h"
#include "platform/settings/SettingsStore.h"
#include "search/ui/ResultModel.h"
#include "search/ui/SearchPages.h"
#include "search/ui/SearchWindow.h"

using namespace shelfmark;
using namespace shelfmark::search;

namespace {

const char* const kWords[] = {"holiday", "beach", "report", "final", "summer", "track", "invoice",
                              "draft", "scan", "family", "notes", "budget", "copy", "new"};
const char* const kExtensions[] = {".jpg", ".png", ".mp3", ".docx", ".pdf", ".txt", ".zip"};

// Disks of 200 directories with 5 to 60 files each until `items` items exist; the names also go
// to `names` one a line, for grep.
void Generate(CatalogTree& tree, size_t items, std::ofstream& names) {
    std::mt19937 random(7);
    auto pick = [&](size_t n) { return size_t(random() % n); };
    size_t made = 0;
    size_t counter = 0;
    for (int disk = 0; made < items; ++disk) {
        CatalogItem* d = tree.createItem("Disk " + std::to_string(disk), tree.root(), Last,
                                         uint16_t(itemflag::Directory | 32));
        ++made;
        for (int dir = 0; dir < 200 && made < items; ++dir, ++made) {
            CatalogItem* parent = tree.createItem("dir " + std::to_string(dir), d, Last, itemflag::Directory);
            names << "dir " << dir << '\n';
            const size_t files = 5 + pick(56);
            for (size_t f = 0; f < files && made < items; ++f, ++made) {
                std::string name = std::string(kWords[pick(std::size(kWords))]) + "_" + std::to_string(pick(1000));
                if (++counter % 100'000 == 0)
                    name += " qzxrare";
                name += kExtensions[pick(std::size(kExtensions))];
                CatalogItem* file = tree.createItem(name, parent, Last, 0);
                tree.setSize(file, pick(200'000));
                names << name << '\n';
            }
        }
    }
}

double Seconds(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) < 0)
        return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const size_t items = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10'000'000;
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "search_window_bench";
    std::filesystem::create_directories(work);
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(work.string()));
    const std::string namesFile = (work / "names.txt").string();

    SilentPrompter prompter(PromptAnswer::Yes);
    CatalogDocument document(prompter);
    if (document.tree().root() == nullptr)
        document.tree().resetToNewCatalog();
    {
        std::ofstream names(namesFile);
        QElapsedTimer made;
        made.start();
        Generate(document.tree(), items, names);
        std::printf("catalog of %zu items generated in %.1f s\n", items, double(made.elapsed()) / 1000);
    }
    std::printf("names for grep: %s, %ju bytes\n", namesFile.c_str(),
                static_cast<uintmax_t>(std::filesystem::file_size(namesFile)));
    CatalogDefinitions definitions;
    definitions.reload(*document.tree().root());
    SettingsStore settings((work / "settings.ini").string());
    SearchWindowSlots windowSlots;
    SearchWindowContext context{document, definitions, settings, windowSlots, prompter, {}, {}, {}, {}, {}};
    SearchWindow* window = SearchWindow::Open(context, nullptr);

    std::printf("%-10s %10s %12s %12s %14s %14s %14s\n", "query", "hits", "first row ms", "end ms",
                "longest gap ms", "grep -m1 ms", "grep -c ms");
    for (const char* query : {"qzxrare", "holiday_1", "beach"}) {
        window->generalPage()->textBox()->setEditText(QString::fromUtf8(query));
        QElapsedTimer clock;
        qint64 firstRow = -1;
        qint64 lastTick = 0;
        qint64 longestGap = 0;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 at = clock.elapsed();
            longestGap = std::max(longestGap, at - lastTick);
            lastTick = at;
        });
        auto connection = QObject::connect(window->results(), &QAbstractItemModel::rowsInserted, [&] {
            if (firstRow < 0)
                firstRow = clock.elapsed();
        });
        QEventLoop loop;
        QObject::connect(window, &SearchWindow::searchFinished, &loop, &QEventLoop::quit);
        clock.start();
        ticker.start();
        window->start();
        loop.exec();
        const qint64 end = clock.elapsed();
        ticker.stop();
        QObject::disconnect(connection);
        const double grepFirst = Seconds("grep -F -i -m1 -- '" + std::string(query) + "' " + namesFile + " >/dev/null");
        const double grepAll = Seconds("grep -c -F -i -- '" + std::string(query) + "' " + namesFile + " >/dev/null");
        std::printf("%-10s %10zu %12lld %12lld %14lld %14.0f %14.0f\n", query, window->results()->size(),
                    static_cast<long long>(firstRow), static_cast<long long>(end),
                    static_cast<long long>(longestGap), grepFirst, grepAll);
    }
    window->close();
    std::filesystem::remove_all(work);
    return 0;
}
