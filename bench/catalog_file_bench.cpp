// Builds a catalog of 1,000,000 items shaped like a real one (folders of disks, directory trees
// up to nine levels deep, file names of cameras, office files and music), saves it, loads it,
// and prints items per second for both, the memory per item and the file size. The load is
// compared with `cat FILE > /dev/null` on the same file in the same run (the time any program
// needs just to get the bytes).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "catalog/CatalogFile.h"
#include "catalog/TreeWalk.h"
#include "foundation/Prompter.h"

using namespace shelfmark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint64_t kItems = 1'000'000;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string FileName(std::mt19937& random) {
    static const char* const kStems[] = {
        "IMG_",  "DSC",    "report-final", "Invoice ",         "track",
        "setup", "README", "notes",        "Screenshot 2023-", "backup_"};
    static const char* const kExtensions[] = {".jpg", ".JPG", ".docx", ".pdf",  ".mp3",  ".exe",
                                              ".txt", ".zip", ".png",  ".xlsx", ".flac", ".html"};
    std::string name = kStems[random() % std::size(kStems)];
    name += std::to_string(random() % 100000);
    if (random() % 4 == 0)
        name += " (" + std::to_string(random() % 9 + 1) + ")";
    name += kExtensions[random() % std::size(kExtensions)];
    return name;
}

std::string DirectoryName(std::mt19937& random) {
    static const char* const kNames[] = {
        "Documents",         "Photos", "2019",  "Music", "Projects", "src", "Program Files",
        "Urlaub Österreich", "old",    "Backup"};
    return std::string(kNames[random() % std::size(kNames)]) + " " +
           std::to_string(random() % 1000);
}

// Builds kItems items below the root; with attributes: files get CRC32 and half a description.
uint64_t Build(CatalogTree& tree, bool attributes) {
    std::mt19937 random(2024);
    CatalogItem* root = tree.resetToNewCatalog();
    uint64_t items = 0;
    for (int f = 0; items < kItems; ++f) {
        CatalogItem* folder =
            tree.createItem("Folder " + std::to_string(f), root, Last, itemflag::Folder);
        ++items;
        for (int d = 0; d < 50 && items < kItems; ++d) {
            CatalogItem* disk = tree.createItem("Disk " + std::to_string(f * 50 + d), folder, Last,
                                                DiskFlags(MediaType::CdRom));
            ++items;
            if (attributes) {
                tree.assignDiskNumber(disk);
                tree.setTextAttribute(disk, attr::Volume, "VOLUME_" + std::to_string(d));
                tree.setNumberAttribute(disk, attr::VolumeSerial, uint32_t(random()));
            }
            // About 1000 items per disk in a directory tree up to nine levels deep.
            CatalogItem* directory = disk;
            int depth = 0;
            for (int i = 0; i < 1000 && items < kItems; ++i, ++items) {
                if (random() % 12 == 0 && depth < 8) {
                    directory = tree.createItem(DirectoryName(random), directory, Last,
                                                itemflag::Directory);
                    ++depth;
                    continue;
                }
                if (random() % 20 == 0 && depth > 0) {
                    directory = directory->parent();
                    --depth;
                }
                CatalogItem* file = tree.createItem(FileName(random), directory, First, 0);
                tree.setSize(file, random() % 5'000'000);
                file->setDate(int32_t(1'200'000'000 + random() % 500'000'000));
                if (attributes) {
                    tree.setNumberAttribute(file, attr::Crc32, uint32_t(random()));
                    if (random() % 2)
                        tree.setTextAttribute(file, attr::Description,
                                              "A short description of the file");
                }
            }
        }
    }
    return items;
}

uint64_t NameBytes(const CatalogTree& tree) {
    uint64_t bytes = 0;
    WalkBelow(tree.root(), EnterAll, [&bytes](CatalogItem& item) {
        bytes += item.name().size();
        return true;
    });
    return bytes;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/shelfmark-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir)
        return 1;
    const std::string path = std::string(dir) + "/bench.tkd";

    {
        CatalogTree bare;
        const uint64_t items = Build(bare, false);
        const double perItem = double(bare.memoryUsage()) / double(items);
        const double names = double(NameBytes(bare)) / double(items);
        std::printf(
            "memory without attributes: %.1f bytes/item = %.1f record + arena overhead + %.1f name "
            "bytes "
            "(item record %zu bytes)\n",
            perItem, perItem - names, names, sizeof(CatalogItem));
    }

    CatalogTree tree;
    auto start = Clock::now();
    const uint64_t items = Build(tree, true);
    std::printf("build: %llu items in %.3f s; memory with attributes: %.1f bytes/item\n",
                (unsigned long long)items, Seconds(start),
                double(tree.memoryUsage()) / double(items));

    double bestSave = 1e9, bestLoad = 1e9, bestParse = 1e9, bestCat = 1e9;
    std::string bytes;
    for (int round = 0; round < 3; ++round) {
        start = Clock::now();
        if (!SaveCatalogTo(path, tree))
            return 1;
        bestSave = std::min(bestSave, Seconds(start));

        start = Clock::now();
        if (std::system(("cat '" + path + "' > /dev/null").c_str()) != 0)
            return 1;
        bestCat = std::min(bestCat, Seconds(start));

        CatalogTree loaded;
        SilentPrompter prompter;
        start = Clock::now();
        const CatalogReadResult result = ReadCatalogFile(path, loaded, prompter);
        bestLoad = std::min(bestLoad, Seconds(start));
        if (!result.ok() || result.records != items)
            return 1;

        if (bytes.empty())
            bytes = CatalogBytes(tree);
        CatalogTree parsed;
        start = Clock::now();
        ReadCatalog(bytes, parsed, prompter);
        bestParse = std::min(bestParse, Seconds(start));
    }
    std::printf("file: %zu bytes (%.1f bytes/item)\n", bytes.size(),
                double(bytes.size()) / double(items));
    std::printf("save (write, fsync, rename): %.3f s = %.0f items/s\n", bestSave,
                double(items) / bestSave);
    std::printf("load (read file, build tree): %.3f s = %.0f items/s\n", bestLoad,
                double(items) / bestLoad);
    std::printf("  of which parsing from memory: %.3f s\n", bestParse);
    std::printf("cat FILE > /dev/null: %.3f s (load is %.1f x cat)\n", bestCat, bestLoad / bestCat);
    unlink(path.c_str());
    rmdir(dir);
    return 0;
}
