// The cost of the description step of a read: 10,000 tagged MP3 files through the built-in
// provider and 1,000 JPEG pictures through hvsm_images.so with thumbnails, each next to
// `find` walking the same folders (the peer: what a read costs without descriptions). The files
// are made fresh in a temporary folder, so all runs read from the page cache.
#include <benchmark/benchmark.h>
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalog/CatalogTree.h"
#include "reading/imaging/Imaging.h"
#include "reading/providers/DescribeFile.h"

namespace {

namespace fs = std::filesystem;
using namespace shelfmark;

constexpr int kMp3Files = 10000;
constexpr int kPictures = 1000;
constexpr int kPerFolder = 100;

std::string Syncsafe(uint32_t n) {
    return {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
}

std::string Frame(const char* id, const std::string& text) {
    const uint32_t size = static_cast<uint32_t>(text.size() + 1);
    std::string out = id;
    out += {char(size >> 24), char(size >> 16), char(size >> 8), char(size), 0, 0, 0};
    return out + text;
}

// An ID3v2.3 tag with five text frames and 1 KB of padding, then 8 KB of "audio".
std::string Mp3(int n) {
    std::string frames = Frame("TIT2", "Title number " + std::to_string(n)) +
                         Frame("TPE1", "Some Band") +
                         Frame("TALB", "Album " + std::to_string(n / 12)) +
                         Frame("TRCK", std::to_string(n % 12 + 1) + "/12") +
                         Frame("COMM", std::string("eng\0", 4) + "Ripped for the benchmark");
    frames.resize(frames.size() + 1024, '\0');
    return "ID3\x03\x00\x00" + Syncsafe(static_cast<uint32_t>(frames.size())) + frames +
           std::string(8192, '\x55');
}

struct Corpus {
    fs::path root;
    fs::path music;
    fs::path pictures;
    std::vector<std::string> mp3Paths;
    std::vector<std::string> picturePaths;

    Corpus() {
        char pattern[] = "/tmp/shelfmark-describe-XXXXXX";
        root = mkdtemp(pattern);
        music = root / "music";
        pictures = root / "pictures";
        for (int i = 0; i < kMp3Files; ++i) {
            const fs::path folder = music / ("album" + std::to_string(i / kPerFolder));
            fs::create_directories(folder);
            const std::string path = (folder / ("track" + std::to_string(i) + ".mp3")).string();
            std::ofstream(path, std::ios::binary) << Mp3(i);
            mp3Paths.push_back(path);
        }
        // 1024 x 768 pictures with a gradient and some noise, so they compress like photos.
        Bitmap bitmap{1024, 768, std::vector<uint32_t>(1024 * 768)};
        uint32_t seed = 1;
        for (uint32_t y = 0; y < bitmap.height; ++y)
            for (uint32_t x = 0; x < bitmap.width; ++x) {
                seed = seed * 1103515245 + 12345;
                const uint32_t noise = (seed >> 16) & 0x1F;
                bitmap.pixels[y * bitmap.width + x] = 0xFF000000u | ((x / 4 + noise) & 0xFF) << 16 |
                                                      ((y / 3 + noise) & 0xFF) << 8 |
                                                      ((x + y) / 8 & 0xFF);
            }
        StartImaging();
        const auto jpeg = EncodeJpeg(bitmap, 90);
        for (int i = 0; i < kPictures; ++i) {
            const fs::path folder = pictures / ("roll" + std::to_string(i / kPerFolder));
            fs::create_directories(folder);
            const std::string path = (folder / ("photo" + std::to_string(i) + ".jpg")).string();
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(jpeg->data()),
                       static_cast<std::streamsize>(jpeg->size()));
            picturePaths.push_back(path);
        }
    }
    ~Corpus() { fs::remove_all(root); }
};

Corpus& TheCorpus() {
    static Corpus corpus;
    return corpus;
}

void RunFind(benchmark::State& state, const fs::path& folder, int expected) {
    const std::string command = "find '" + folder.string() + "' -type f | wc -l";
    for (auto _ : state) {
        FILE* pipe = popen(command.c_str(), "r");
        int count = 0;
        if (!pipe || std::fscanf(pipe, "%d", &count) != 1 || count != expected)
            state.SkipWithError("find did not list the files");
        if (pipe)
            pclose(pipe);
    }
    state.counters["files/s"] =
        benchmark::Counter(double(expected), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FindWalkMusic(benchmark::State& state) {
    RunFind(state, TheCorpus().music, kMp3Files);
}
void BM_FindWalkPictures(benchmark::State& state) {
    RunFind(state, TheCorpus().pictures, kPictures);
}

void BM_DescribeMp3(benchmark::State& state) {
    Corpus& corpus = TheCorpus();
    DescriptionProviders providers("/nonexistent/ReadDiskDlg.tkp");
    providers.activateExtensions("mp3");
    for (auto _ : state) {
        CatalogTree tree;
        CatalogItem* disk = tree.createItem("disk", tree.resetToNewCatalog(), Last, 0);
        int described = 0;
        for (const std::string& path : corpus.mp3Paths) {
            CatalogItem* item = tree.createItem(fs::path(path).filename().string(), disk, Last, 0);
            described += DescribeFile(providers, path, "mp3", tree, item, ThumbnailOptions{});
        }
        if (described != kMp3Files)
            state.SkipWithError("not every file was described");
    }
    state.counters["files/s"] =
        benchmark::Counter(double(kMp3Files), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ThumbnailPictures(benchmark::State& state) {
    Corpus& corpus = TheCorpus();
    DescriptionProviders providers("/nonexistent/ReadDiskDlg.tkp");
    if (providers.discoverPlugins({SHELFMARK_PLUGIN_BUILD_DIR}) == 0) {
        state.SkipWithError("hvsm_images.so not found in " SHELFMARK_PLUGIN_BUILD_DIR);
        return;
    }
    providers.activateExtensions("jpg");
    StartImaging();
    for (auto _ : state) {
        CatalogTree tree;
        CatalogItem* disk = tree.createItem("disk", tree.resetToNewCatalog(), Last, 0);
        int thumbnails = 0;
        for (const std::string& path : corpus.picturePaths) {
            CatalogItem* item = tree.createItem(fs::path(path).filename().string(), disk, Last, 0);
            DescribeFile(providers, path, "jpg", tree, item, ThumbnailOptions{});
            thumbnails += item->hasAttribute(kThumbnailKey);
        }
        if (thumbnails != kPictures)
            state.SkipWithError("not every picture got a thumbnail");
    }
    state.counters["files/s"] =
        benchmark::Counter(double(kPictures), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_FindWalkMusic)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_DescribeMp3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FindWalkPictures)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ThumbnailPictures)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
