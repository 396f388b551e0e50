// Item-list speed: a generated catalog of ITEMS files (default 1,000,000) in nested directories
// of several disks is listed with an "All files" profile (Name, In Directory, Size, Type,
// Modified), the list is exported to CSV, and the same bytes are written once more with one
// buffered write: the floor any exporter of that file has to pay. Figures of the same run:
//
//   lists_bench [ITEMS] [FOLDER]     (the files go to FOLDER, default the temporary folder)
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

#include "catalog/CatalogTree.h"
#include "catalog/Definitions.h"
#include "foundation/Prompter.h"
#include "lists/ItemListWalk.h"
#include "lists/ListExport.h"
#include "lists/RowBuilder.h"

using namespace shelfmark;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// The processor time the process has used, in ms: on a busy machine the steps' own cost, where
// the wall clock also counts the time other programs had the processor.
double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

const char* const kWords[] = {"holiday", "beach", "report", "final", "summer", "track", "invoice",
                              "draft", "scan", "family", "notes", "budget", "Stra\xC3\x9F" "e", "copy"};
const char* const kExtensions[] = {".jpg", ".png", ".mp3", ".docx", ".pdf", ".txt", ".cpp", ".zip", ".mkv"};

// Disks of 100 directories of 100 files, until `files` files exist.
void Generate(CatalogTree& tree, size_t files) {
    std::mt19937 random(7);
    CatalogItem* root = tree.root();
    size_t made = 0;
    for (int disk = 0; made < files; ++disk) {
        CatalogItem* d = tree.createItem("Disk " + std::to_string(disk), root, Last, DiskFlags(MediaType::HardDisk));
        tree.setNumberAttribute(d, attr::DiskId, uint32_t(disk + 1));
        for (int dir = 0; dir < 100 && made < files; ++dir) {
            CatalogItem* parent = tree.createItem("Folder " + std::to_string(dir), d, Last, itemflag::Directory);
            for (int f = 0; f < 100 && made < files; ++f, ++made) {
                const std::string name = std::string(kWords[random() % 14]) + " " + std::to_string(made) +
                                         kExtensions[random() % 9];
                CatalogItem* file = tree.createItem(name, parent, Last, 0);
                tree.setSize(file, random() % 50'000'000);
                file->setDate(int32_t(1'500'000'000 + random() % 200'000'000));
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const size_t files = argc > 1 ? size_t(std::strtoull(argv[1], nullptr, 10)) : 1'000'000;
    const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
    const std::string csvPath = (folder / "lists_bench.csv").string();
    const std::string floorPath = (folder / "lists_bench_floor.csv").string();

    CatalogTree tree;
    tree.resetToNewCatalog();
    Generate(tree, files);
    CatalogDefinitions definitions;
    definitions.reload(*tree.root());

    ItemListProfile profile;
    profile.name = "All files";
    profile.files = true;
    profile.columns = DescriptorColumns(std::vector<uint8_t>{0x00, 0x04, 0x01, 0x03, 0x02});

    auto start = Clock::now();
    double cpu = CpuMilliseconds();
    RowBuilder builder(tree, definitions);
    ItemListJob job;
    job.tree = &tree;
    job.start = tree.root();
    job.profile = &profile;
    job.builder = &builder;
    const ItemListResult list = BuildItemList(job);
    const double buildMs = Milliseconds(start);
    const double buildCpu = CpuMilliseconds() - cpu;

    SilentPrompter prompter;
    ExportJob exportJob;
    exportJob.table = &list.table;
    exportJob.tree = &tree;
    exportJob.path = csvPath;
    start = Clock::now();
    cpu = CpuMilliseconds();
    const ExportOutcome outcome = RunListExport(exportJob, prompter);
    const double exportMs = Milliseconds(start);
    const double exportCpu = CpuMilliseconds() - cpu;
    if (outcome != ExportOutcome::Written) {
        std::fprintf(stderr, "export failed\n");
        return 1;
    }

    // The floor: the finished bytes in memory, written with one buffered write.
    std::string bytes;
    {
        FILE* in = std::fopen(csvPath.c_str(), "rb");
        bytes.resize(std::filesystem::file_size(csvPath));
        if (!in || std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size())
            return 1;
        std::fclose(in);
    }
    start = Clock::now();
    cpu = CpuMilliseconds();
    FILE* out = std::fopen(floorPath.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0)
        return 1;
    const double floorMs = Milliseconds(start);
    const double floorCpu = CpuMilliseconds() - cpu;

    std::printf("rows: %zu, CSV: %.1f MB                 wall        processor\n", list.table.rowCount(),
                double(bytes.size()) / 1e6);
    std::printf("build the list:                     %8.1f ms  %8.1f ms\n", buildMs, buildCpu);
    std::printf("export it to CSV:                   %8.1f ms  %8.1f ms\n", exportMs, exportCpu);
    std::printf("one buffered write of the same bytes: %6.1f ms  %8.1f ms\n", floorMs, floorCpu);
    std::printf("export / floor:                     %8.2fx    %8.2fx\n", floorMs > 0 ? exportMs / floorMs : 0.0,
                floorCpu > 0 ? exportCpu / floorCpu : 0.0);
    std::filesystem::remove(csvPath);
    std::filesystem::remove(floorPath);
    return 0;
}
