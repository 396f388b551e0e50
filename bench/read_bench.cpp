// The time to catalogue a volume, next to find walking the same tree in the same run:
//   find ROOT -printf '%s %T@ %p\n' > /dev/null        (every entry stated and printed)
//   shelfmark-cli read OUT.tkd ROOT                     (read, sort, save)
// on a generated tree of 200,000 files in 20,000 directories whose metadata sits in the cache
// (a first walk warms it). Also the read alone, in this process, and the catalog's memory per
// item without the names. Goals: the read within 1.3 times find's time; under 150 bytes per
// item plus the names.
//
// SHELFMARK_BENCH_TREE names the folder for the tree (default /tmp/shelfmark-read-bench); it is
// kept between runs and only built when it is missing.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "catalog/CatalogTree.h"
#include "catalog/TreeWalk.h"
#include "reading/engine/ReadJob.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kTopDirectories = 200;
constexpr int kSubDirectories = 99;  // 200 + 200 * 99 = 20,000 directories
constexpr int kFilesPerDirectory = 10;

struct Run {
    double wall = 1e30;
    double cpu = 1e30;
    long peakKb = 0;
};

bool BuildTree(const fs::path& root) {
    const fs::path done = root / ".complete";
    if (fs::exists(done))
        return true;
    std::error_code error;
    fs::remove_all(root, error);
    unsigned serial = 0;
    auto makeFiles = [&](const fs::path& dir) {
        for (int f = 0; f < kFilesPerDirectory; ++f) {
            char name[64];
            std::snprintf(name, sizeof name, "file_%04d_%s", f,
                          f % 3 == 0   ? "photo.jpg"
                          : f % 3 == 1 ? "notes.txt"
                                       : "data.bin");
            const int fd = ::open((dir / name).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
            if (fd < 0)
                return false;
            // Sparse: the sizes are what counts, not the bytes.
            const bool sized =
                ::ftruncate(fd, static_cast<off_t>((++serial * 7919u) % 200000u)) == 0;
            ::close(fd);
            if (!sized)
                return false;
        }
        return true;
    };
    for (int t = 0; t < kTopDirectories; ++t) {
        const fs::path top = root / ("dir" + std::to_string(t));
        fs::create_directories(top, error);
        if (error || !makeFiles(top))
            return false;
        for (int s = 0; s < kSubDirectories; ++s) {
            const fs::path sub = top / ("sub" + std::to_string(s));
            fs::create_directory(sub, error);
            if (error || !makeFiles(sub))
                return false;
        }
    }
    return std::fopen(done.c_str(), "w") != nullptr;
}

// Runs a shell command line, best of `rounds` by wall-clock time; the peak resident size is the
// largest seen.
Run Spawn(const std::string& line, int rounds, const std::function<void()>& before = {}) {
    Run best;
    for (int round = 0; round < rounds; ++round) {
        if (before)
            before();
        const char* argv[] = {"/bin/sh", "-c", line.c_str(), nullptr};
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) !=
            0)
            return best;
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 +
                           usage.ru_stime.tv_sec + usage.ru_stime.tv_usec * 1e-6;
        best.wall = std::min(best.wall, wall);
        best.cpu = std::min(best.cpu, cpu);
        best.peakKb = std::max(best.peakKb, usage.ru_maxrss);
    }
    return best;
}

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

int main() {
    const char* where = std::getenv("SHELFMARK_BENCH_TREE");
    const fs::path root = where && *where ? where : "/tmp/shelfmark-read-bench";
    std::printf("Tree: %s (%d directories, %d files)\n", root.c_str(),
                kTopDirectories * (kSubDirectories + 1),
                kTopDirectories * (kSubDirectories + 1) * kFilesPerDirectory);
    if (!BuildTree(root)) {
        std::fprintf(stderr, "cannot build the tree under %s\n", root.c_str());
        return 1;
    }
    const fs::path work =
        fs::temp_directory_path() / ("shelfmark-read-bench-out-" + std::to_string(::getpid()));
    fs::create_directories(work);
    ::setenv("XDG_CONFIG_HOME", work.c_str(), 1);  // no read profile of the user's
    const std::string catalog = (work / "bench.tkd").string();

    const std::string find = "find " + Quote(root.string()) + " -printf '%s %T@ %p\\n' > /dev/null";
    const std::string read = Quote(SHELFMARK_CLI_PATH) + " read " + Quote(catalog) + " " +
                             Quote(root.string()) + " > /dev/null";
    Spawn(find, 1);  // warms the cache
    const Run findRun = Spawn(find, 5);
    const Run readRun = Spawn(read, 5, [&] { fs::remove(catalog); });

    // The read alone, without the save, and the catalog's memory.
    double engineWall = 1e30;
    size_t memory = 0, names = 0, items = 0;
    for (int round = 0; round < 3; ++round) {
        shelfmark::CatalogTree tree;
        tree.resetToNewCatalog();
        shelfmark::ReadJob job;
        job.catalog = &tree;
        job.drive.root = root.string();
        job.fields.name = "Bench";
        job.fields.folder = tree.root();
        const auto start = std::chrono::steady_clock::now();
        if (!shelfmark::PrepareDisk(job) ||
            shelfmark::ReadThread(job) != shelfmark::ReadOutcome::Completed)
            return 1;
        engineWall = std::min(
            engineWall,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        memory = tree.memoryUsage();
        names = items = 0;
        shelfmark::WalkBelow(tree.root(), shelfmark::EnterAll, [&](shelfmark::CatalogItem& item) {
            names += item.name().size() + 1;
            ++items;
            return true;
        });
    }
    fs::remove_all(work);

    std::printf("\n%-44s %10s %10s %12s\n", "", "wall s", "cpu s", "peak RSS KB");
    std::printf("%-44s %10.3f %10.3f %12ld\n", "find ROOT -printf '%s %T@ %p\\n' >/dev/null",
                findRun.wall, findRun.cpu, findRun.peakKb);
    std::printf("%-44s %10.3f %10.3f %12ld\n", "shelfmark-cli read OUT.tkd ROOT", readRun.wall,
                readRun.cpu, readRun.peakKb);
    std::printf("%-44s %10.3f\n", "read engine alone (no save), in process", engineWall);
    std::printf("\nshelfmark-cli read / find: %.2f (goal: at most 1.30)\n",
                readRun.wall / findRun.wall);
    std::printf(
        "Catalog: %zu items, %zu bytes held, %zu bytes of names: %.1f bytes per item besides the "
        "names (goal: under 150)\n",
        items, memory, names,
        static_cast<double>(memory - std::min(memory, names)) / static_cast<double>(items));
    return 0;
}
