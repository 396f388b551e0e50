// Item-list speed: a generated catalog of ITEMS files (default 1,000,000) in nested directories
// of several disks is listed with an "All files" profile (Name, In Directory, Size, Type,
// Modified), the list is exported to CSV, and the same finished bytes are written once more with
// one buffered write: the floor any exporter of that file has to pay. Both are measured the same
// way in the same run: ROUNDS rounds (default 5), each writing a fresh file in FOLDER (removed
// beforehand, outside the timing) and then /dev/null, the two in turns so neither always goes
// first. The figures are best, median and worst per kind; the goal figure is the export's best
// over the floor's best into a fresh file (wall clock). The fixed-width text export of the same
// list is timed as well, for comparison.
//
//   lists_bench [ITEMS] [FOLDER] [ROUNDS]   (FOLDER defaults to the temporary folder)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

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

// Wall and processor time of one timed step.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

template <typename Step>
Timing Time(Step&& step) {
    const auto start = Clock::now();
    const double cpu = CpuMilliseconds();
    step();
    return Timing{Milliseconds(start), CpuMilliseconds() - cpu};
}

// One buffered write of `bytes` into a new file, as any program writing finished bytes would.
bool WriteAtOnce(const std::string& path, const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return bytes;
    char block[1 << 16];
    size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, in)) > 0)
        bytes.append(block, n);
    std::fclose(in);
    return bytes;
}

// The times of one kind of step over all rounds.
struct Series {
    std::vector<Timing> runs;

    Timing at(double fraction) const {
        std::vector<double> wall, cpu;
        for (const Timing& t : runs) {
            wall.push_back(t.wall);
            cpu.push_back(t.cpu);
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        const size_t i = size_t(fraction * double(runs.size() - 1) + 0.5);
        return Timing{wall[i], cpu[i]};
    }
    Timing best() const { return at(0); }
    Timing median() const { return at(0.5); }
    Timing worst() const { return at(1); }
};

void PrintSeries(const char* label, const Series& series) {
    const Timing b = series.best(), m = series.median(), w = series.worst();
    std::printf("%-34s %7.1f %7.1f %7.1f   %7.1f %7.1f %7.1f\n", label, b.wall, m.wall, w.wall, b.cpu, m.cpu,
                w.cpu);
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

}  // namespace

int main(int argc, char** argv) {
    const size_t files = argc > 1 ? size_t(std::strtoull(argv[1], nullptr, 10)) : 1'000'000;
    const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string csvPath = (folder / "lists_bench.csv").string();
    const std::string floorPath = (folder / "lists_bench_floor.csv").string();
    const std::string nullPath = "/dev/null";

    CatalogTree tree;
    tree.resetToNewCatalog();
    Generate(tree, files);
    CatalogDefinitions definitions;
    definitions.reload(*tree.root());

    ItemListProfile profile;
    profile.name = "All files";
    profile.files = true;
    profile.columns = DescriptorColumns(std::vector<uint8_t>{0x00, 0x04, 0x01, 0x03, 0x02});

    RowBuilder builder(tree, definitions);
    ItemListJob job;
    job.tree = &tree;
    job.start = tree.root();
    job.profile = &profile;
    job.builder = &builder;
    ItemListResult list;
    const Timing build = Time([&] { list = BuildItemList(job); });

    SilentPrompter prompter;
    ExportJob exportJob;
    exportJob.table = &list.table;
    exportJob.tree = &tree;
    // The finished bytes the floor writes, and a check that the export writes exactly them.
    const std::string bytes = ExportedBytes(list.table, exportJob.options, &tree);
    exportJob.path = csvPath;
    if (RunListExport(exportJob, prompter) != ExportOutcome::Written || ReadWhole(csvPath) != bytes) {
        std::fprintf(stderr, "the export did not write the expected bytes\n");
        return 1;
    }

    bool failed = false;
    const auto exportTo = [&](const std::string& path) {
        exportJob.path = path;
        failed |= RunListExport(exportJob, prompter) != ExportOutcome::Written;
    };
    const auto floorTo = [&](const std::string& path) { failed |= !WriteAtOnce(path, bytes); };
    // The fixed-width text target for comparison (its bytes differ, so it has no floor of its own).
    const auto textTo = [&](const std::string& path) {
        ExportJob textJob = exportJob;
        textJob.options.target = ExportTarget::Text;
        textJob.path = path;
        failed |= RunListExport(textJob, prompter) != ExportOutcome::Written;
    };

    Series exportFile, floorFile, exportNull, floorNull, textFile;
    for (int round = 0; round < rounds; ++round) {
        std::filesystem::remove(csvPath);
        std::filesystem::remove(floorPath);
        if (round % 2 == 0) {
            exportFile.runs.push_back(Time([&] { exportTo(csvPath); }));
            floorFile.runs.push_back(Time([&] { floorTo(floorPath); }));
            exportNull.runs.push_back(Time([&] { exportTo(nullPath); }));
            floorNull.runs.push_back(Time([&] { floorTo(nullPath); }));
        } else {
            floorFile.runs.push_back(Time([&] { floorTo(floorPath); }));
            exportFile.runs.push_back(Time([&] { exportTo(csvPath); }));
            floorNull.runs.push_back(Time([&] { floorTo(nullPath); }));
            exportNull.runs.push_back(Time([&] { exportTo(nullPath); }));
        }
    }
    for (int round = 0; round < rounds; ++round) {
        std::filesystem::remove(csvPath);
        textFile.runs.push_back(Time([&] { textTo(csvPath); }));
    }
    std::filesystem::remove(csvPath);
    std::filesystem::remove(floorPath);
    if (failed) {
        std::fprintf(stderr, "a write failed\n");
        return 1;
    }

    std::printf("rows: %zu, CSV: %.1f MB, %d rounds, files in %s\n", list.table.rowCount(),
                double(bytes.size()) / 1e6, rounds, folder.c_str());
    std::printf("%-34s %23s   %23s\n", "", "wall ms: best median worst", "processor ms: best med worst");
    std::printf("%-34s %7.1f %23s   %7.1f\n", "build the list (once)", build.wall, "", build.cpu);
    PrintSeries("export to CSV, fresh file", exportFile);
    PrintSeries("one buffered write, fresh file", floorFile);
    PrintSeries("export to CSV, /dev/null", exportNull);
    PrintSeries("one buffered write, /dev/null", floorNull);
    PrintSeries("export to text, fresh file", textFile);
    std::printf("export / floor, fresh file, best:  %6.2fx (goal figure, at most 3x)   processor %6.2fx\n",
                Ratio(exportFile.best().wall, floorFile.best().wall),
                Ratio(exportFile.best().cpu, floorFile.best().cpu));
    std::printf("export / floor, fresh file, median:%6.2fx                              processor %6.2fx\n",
                Ratio(exportFile.median().wall, floorFile.median().wall),
                Ratio(exportFile.median().cpu, floorFile.median().cpu));
    return 0;
}
