// How quickly the main window answers on big catalogs. Builds a catalog file of 1,000,000 items
// (folders of disks with directory trees) plus one directory of 100,000 files, then times:
//   open:   MainWindow::openCatalog until the folder tree has painted its rows (goal < 2 s),
//           next to `cat FILE > /dev/null` on the same file;
//   select: showing the 100,000-file directory until the item list has painted (goal < 200 ms),
//           next to `ls` (sorted, to /dev/null) on a real directory of 100,000 empty files.
// Run without arguments; QT_QPA_PLATFORM defaults to offscreen.
#include <QApplication>
#include <QTableView>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/ItemListModel.h"
#include "app/MainWindow.h"
#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include <unistd.h>

using namespace shelfmark;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double TimeShell(const std::string& command) {
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "'%s' failed\n", command.c_str());
    return Seconds(start);
}

// 1,000,000 items below the root: 40 folders of 25 disks, each disk 82 directories with
// ten files each; then the disk "Huge" with one directory of 100,000 files.
void BuildCatalog(const std::string& path) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    uint64_t items = 0;
    for (int f = 0; f < 40; ++f) {
        CatalogItem* folder = tree.createItem("Folder " + std::to_string(f), root, Last, itemflag::Folder);
        ++items;
        for (int d = 0; d < 25; ++d) {
            CatalogItem* disk = tree.createItem("Disk " + std::to_string(f * 25 + d), folder, Last,
                                                DiskFlags(MediaType::CdRom));
            ++items;
            for (int dir = 0; dir < 82; ++dir) {
                CatalogItem* directory = tree.createItem("Directory " + std::to_string(dir), disk,
                                                         Last, itemflag::Directory);
                ++items;
                for (int file = 0; file < 10; ++file, ++items) {
                    CatalogItem* item = tree.createItem(
                        "IMG_" + std::to_string(file * 7919 % 10000) + ".jpg", directory, Last, 0);
                    tree.setSize(item, 1000 + file);
                    item->setDate(1600000000 + file);
                }
            }
        }
    }
    CatalogItem* huge = tree.createItem("Huge", root, Last, DiskFlags(MediaType::HardDisk));
    CatalogItem* files = tree.createItem("files", huge, Last, itemflag::Directory);
    for (int i = 0; i < 100000; ++i)
        tree.setSize(tree.createItem("file" + std::to_string(i) + ".txt", files, Last, 0), 512);
    tree.sortSubtree(TopLevel);
    std::string error;
    if (!SaveCatalogTo(path, tree, &error))
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.c_str());
    std::printf("catalog: %llu items, %.1f MB\n", static_cast<unsigned long long>(items + 100002),
                double(fs::file_size(path)) / 1e6);
}

void Paint(QWidget* widget) {
    QApplication::processEvents();
    widget->repaint();
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const fs::path folder = fs::temp_directory_path() / ("shelfmark-app-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string file = (folder / "big.tkd").string();
    BuildCatalog(file);

    WindowContext context;
    context.watchVolumes = false;
    MainWindow window(context);
    window.resize(1200, 800);
    window.show();
    Paint(&window);

    const auto openStart = Clock::now();
    window.openCatalog(file);
    Paint(window.treeView()->viewport());
    const double open = Seconds(openStart);
    const double cat = TimeShell("cat '" + file + "' > /dev/null");
    std::printf("open 1,000,000-item catalog until the tree shows: %.3f s (goal < 2 s); "
                "cat of the file: %.3f s\n", open, cat);

    CatalogItem* huge = ResolveCatalogPath(window.document().tree(), "Huge\\files");
    const auto selectStart = Clock::now();
    window.showContainer(huge);
    Paint(window.listView()->viewport());
    const double select = Seconds(selectStart);
    const fs::path many = folder / "many";
    fs::create_directories(many);
    for (int i = 0; i < 100000; ++i)
        std::ofstream(many / ("file" + std::to_string(i) + ".txt"));
    const double ls = TimeShell("ls '" + many.string() + "' > /dev/null");
    std::printf("select a folder of 100,000 files until the list shows: %.3f s (goal < 0.2 s); "
                "ls of a 100,000-file directory: %.3f s (%zu rows listed)\n",
                select, ls, window.listModel()->totalRows());
    window.document().setModified(false);
    fs::remove_all(folder);
    return 0;
}
