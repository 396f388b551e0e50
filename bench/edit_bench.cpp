// Editing a big catalog: the time of one rename, move, delete and undo (each the mean and the
// worst of 1,000 runs on different items; undo of each of the three) in a catalog of 10,000 items
// and in one of 1,000,000 items, so that any dependence on the catalog's size shows; then
// `shelfmark-cli batch` with 10,000 renames on the saved 1,000,000-item catalog, printed next to a
// plain load and save of the same file in the same run (the least any one-load, one-save edit can
// take).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/DeleteOperations.h"
#include "catalog/MoveCopyOperations.h"
#include "catalog/RenameOperations.h"
#include "foundation/Prompter.h"

using namespace shelfmark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 1000;
constexpr int kBatchRenames = 10'000;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Shape {
    int folders, disksPerFolder, directoriesPerDisk, filesPerDirectory;
};

// Folders of disks of directories of files, sorted as a read leaves them; sizes as the
// reader would set them. Returns the number of items below the root.
uint64_t Build(CatalogTree& tree, const Shape& shape) {
    CatalogItem* root = tree.resetToNewCatalog();
    uint64_t items = 0;
    for (int f = 0; f < shape.folders; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "Folder %04d", f);
        CatalogItem* folder = tree.createItem(name, root, Last, itemflag::Folder);
        ++items;
        uint64_t folderSize = 0;
        for (int d = 0; d < shape.disksPerFolder; ++d) {
            std::snprintf(name, sizeof name, "Disk %04d", d);
            CatalogItem* disk = tree.createItem(name, folder, Last, DiskFlags(MediaType::CdRom));
            tree.assignDiskNumber(disk);
            ++items;
            uint64_t diskSize = 0;
            for (int r = 0; r < shape.directoriesPerDisk; ++r) {
                std::snprintf(name, sizeof name, "dir%03d", r);
                CatalogItem* directory = tree.createItem(name, disk, Last, itemflag::Directory);
                ++items;
                CatalogItem* previous = nullptr;
                for (int i = 0; i < shape.filesPerDirectory; ++i) {
                    std::snprintf(name, sizeof name, "file%05d.jpg", i);
                    previous = tree.createItem(name, directory, previous ? previous : First, 0);
                    tree.setSize(previous, 1000 + uint64_t(i));
                    diskSize += 1000 + uint64_t(i);
                    ++items;
                }
            }
            tree.setSize(disk, diskSize);
            folderSize += diskSize;
        }
        tree.setSize(folder, folderSize);
    }
    return items;
}

struct Timing {
    double total = 0, worst = 0;
    int count = 0;
    void add(double seconds) {
        total += seconds;
        worst = std::max(worst, seconds);
        ++count;
    }
    double mean() const { return count ? total / count : 0; }
};

struct Figures {
    Timing rename, move, del, undo;
};

// Runs kRuns of each operation on items spread over the catalog, undoing each right away.
Figures Measure(CatalogDocument& document) {
    CatalogTree& tree = document.tree();
    std::vector<CatalogItem*> folders, disks, files;
    for (CatalogItem* folder = tree.root()->firstChild(); folder; folder = folder->next()) {
        folders.push_back(folder);
        for (CatalogItem* disk = folder->firstChild(); disk; disk = disk->next()) {
            disks.push_back(disk);
            files.push_back(disk->firstChild()->firstChild());
        }
    }
    // The first command loads the menu texts; that is not what is measured.
    RenameItem(document, files[0], "warm-up");
    document.undo(false);
    Figures figures;
    for (int run = 0; run < kRuns; ++run) {
        CatalogItem* file = files[size_t(run * 7919) % files.size()];
        CatalogItem* disk = disks[size_t(run * 104729) % disks.size()];
        CatalogItem* target = folders[size_t(run * 31) % folders.size()];
        Clock::time_point start = Clock::now();
        RenameItem(document, file, "renamed.jpg");
        figures.rename.add(Seconds(start));
        start = Clock::now();
        document.undo(false);
        figures.undo.add(Seconds(start));

        start = Clock::now();
        MoveToFolder(document, std::vector{disk}, target);
        figures.move.add(Seconds(start));
        start = Clock::now();
        document.undo(false);
        figures.undo.add(Seconds(start));

        start = Clock::now();
        DeleteItems(document, std::vector{file}, {.askFirst = false});
        figures.del.add(Seconds(start));
        start = Clock::now();
        document.undo(false);
        figures.undo.add(Seconds(start));
    }
    return figures;
}

void Print(const char* what, const Timing& small, const Timing& big) {
    std::printf("%-8s %10.2f us %10.2f us   %10.2f us %10.2f us\n", what, small.mean() * 1e6,
                small.worst * 1e6, big.mean() * 1e6, big.worst * 1e6);
}

double RunShell(const std::string& command) {
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return Seconds(start);
}

}  // namespace

int main() {
    SilentPrompter prompter(PromptAnswer::Yes);
    const Shape smallShape{10, 10, 10, 10};  // 11,110 items
    const Shape bigShape{100, 10, 10, 100};  // 1,011,100 items
    CatalogDocument small(prompter), big(prompter);
    const uint64_t smallItems = Build(small.tree(), smallShape);
    const uint64_t bigItems = Build(big.tree(), bigShape);
    const Figures smallFigures = Measure(small);
    const Figures bigFigures = Measure(big);
    std::printf("one operation (mean and worst of %d runs; undo: of all three):\n", kRuns);
    std::printf("%-8s %13s items %12s   %13s items %12s\n", "", std::to_string(smallItems).c_str(),
                "", std::to_string(bigItems).c_str(), "");
    Print("rename", smallFigures.rename, bigFigures.rename);
    Print("move", smallFigures.move, bigFigures.move);
    Print("delete", smallFigures.del, bigFigures.del);
    Print("undo", smallFigures.undo, bigFigures.undo);

    char dir[] = "/tmp/shelfmark-edit-bench-XXXXXX";
    if (!mkdtemp(dir))
        return 1;
    const std::string path = std::string(dir) + "/big.tkd";
    const std::string script = std::string(dir) + "/renames";
    if (!big.saveCatalogFile(path))
        return 1;
    {
        std::ofstream out(script);
        for (int i = 0; i < kBatchRenames; ++i) {
            char line[96];
            std::snprintf(line, sizeof line, "rename 'Folder %04d/Disk %04d/dir%03d' d%03d-%d\n",
                          i % bigShape.folders, (i / bigShape.folders) % bigShape.disksPerFolder,
                          i / (bigShape.folders * bigShape.disksPerFolder), i % 1000, i);
            out << line;
        }
    }
    // The peer: open and save the same catalog once, nothing else.
    Clock::time_point start = Clock::now();
    {
        CatalogDocument document(prompter);
        if (!document.openCatalogFile(path) || !document.lockForEditing())
            return 1;
        document.setModified();
        if (!document.saveCatalogFile(path))
            return 1;
    }
    const double loadSave = Seconds(start);
    const double batch =
        RunShell(std::string(SHELFMARK_CLI_PATH) + " batch " + path + " " + script);
    const double cat = RunShell("cat " + path + " > /dev/null");
    std::printf("batch of %d renames on %llu items: %.3f s\n", kBatchRenames,
                static_cast<unsigned long long>(bigItems), batch);
    std::printf("peer, load + save of the same catalog: %.3f s (batch is %.2f x that)\n", loadSave,
                batch / loadSave);
    std::printf("cat FILE > /dev/null: %.3f s\n", cat);
    unlink(path.c_str());
    unlink(script.c_str());
    rmdir(dir);
    return 0;
}
