// Content statistics on a big catalog: GatherContentStatistics over a generated tree, printed
// next to awk summing the same files by extension and year from a tab-separated list (the
// figure a shell user would get), in the same run. The goal is under one second for 10 M items.
//
//   stats_bench [ITEMS]     (default 10000000)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "catalog/CatalogTree.h"
#include "catalog/ContentStatistics.h"

using namespace shelfmark;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

const char* const kExtensions[] = {".jpg", ".JPG", ".png", ".mp3", ".docx", ".pdf", ".txt",
                                   ".cpp", ".h",   ".zip", ".mkv", ".xlsx", "",     ".tar.gz"};

}  // namespace

int main(int argc, char** argv) {
    const size_t items = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10'000'000;
    std::mt19937 random(7);
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    const std::filesystem::path list =
        std::filesystem::temp_directory_path() / ("stats_bench." + std::to_string(getpid()));
    std::ofstream out(list);
    size_t made = 0;
    const auto buildStart = Clock::now();
    for (int diskNumber = 0; made < items; ++diskNumber) {
        CatalogItem* disk = tree.createItem("Disk " + std::to_string(diskNumber), root, First,
                                            DiskFlags(MediaType(1 + diskNumber % 5)));
        ++made;
        for (int d = 0; d < 100 && made < items; ++d) {
            CatalogItem* directory =
                tree.createItem("dir" + std::to_string(d), disk, First, itemflag::Directory);
            ++made;
            for (int f = 0; f < 1000 && made < items; ++f, ++made) {
                const std::string name =
                    "file" + std::to_string(f) + kExtensions[random() % std::size(kExtensions)];
                CatalogItem* file = tree.createItem(name, directory, First, 0);
                const uint64_t size = random() % 10'000'000;
                const int32_t date = int32_t(900'000'000 + random() % 800'000'000);
                tree.setSize(file, size);
                file->setDate(date);
                out << name << '\t' << size << '\t' << date << '\n';
            }
        }
    }
    out.close();
    std::printf("catalog of %zu items built in %.0f ms (%.0f MB)\n", made,
                Milliseconds(buildStart), double(tree.memoryUsage()) / 1e6);

    double best = 1e300;
    ContentStatistics stats;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        stats = GatherContentStatistics(tree, *root);
        best = std::min(best, Milliseconds(start));
    }
    std::printf("GatherContentStatistics: %.0f ms (best of 3), %llu files, %zu extensions\n", best,
                static_cast<unsigned long long>(stats.files), stats.byExtension.size());

    const std::string awk =
        "awk -F'\\t' '{n=split($1,p,\".\"); e=(n>1)?tolower(p[n]):\"\"; c[e]++; b[e]+=$2; "
        "y[strftime(\"%Y\",$3,1)]+=$2} END {print length(c)}' " +
        list.string() + " >/dev/null";
    const auto awkStart = Clock::now();
    const int status = std::system(awk.c_str());
    std::printf("peer awk over the same %llu files: %.0f ms%s\n",
                static_cast<unsigned long long>(stats.files), Milliseconds(awkStart),
                status == 0 ? "" : " (awk failed)");
    std::filesystem::remove(list);
    return 0;
}
