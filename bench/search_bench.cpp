// Search speed on big catalogs: for each query the first search (snapshot and trigram indexes
// built on every core, and for comparison on one thread), a repeated
// search on the snapshot (with its trigram index, built by the first search) and the plain tree
// walk, printed next to grep -c -F -i over a text file
// of the same names and plocate -c over a database of the same paths, in the same run; then the
// snapshot's memory per item and duplicates by name and size.
//
//   search_bench [ITEMS...] [--only TEXT] [--repeat N]
//   ITEMS defaults to 1000000 (for example: search_bench 1000000 10000000).
//   --only runs just the queries whose label holds TEXT (to profile one of them) and skips duplicates.
//   --repeat N repeats each search N times (default 5) and reports the fastest.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "foundation/Prompter.h"
#include "search/DuplicateSearch.h"
#include "search/SearchSnapshot.h"
#include "search/SearchWalk.h"

using namespace shelfmark;
using namespace shelfmark::search;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int64_t kNow = 1'700'000'000;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

const char* const kDirectoryNames[] = {
    "Photos", "Music", "Documents", "Projects", "Backup", "2019", "2020", "2021", "Holiday",
    "Beach", "src", "include", "Reports", "Invoices", "Videos", "Caf\xC3\xA9", "M\xC3\xBCller",
    "\xE6\x97\xA5\xE6\x9C\xAC", "Old stuff", "Camera Uploads"};
const char* const kWords[] = {"holiday", "beach", "report", "final", "summer", "track",
                              "invoice", "draft", "scan", "family", "notes", "budget",
                              "Stra\xC3\x9F" "e", "\xC3\x89t\xC3\xA9", "copy", "new"};
const char* const kExtensions[] = {".jpg", ".JPG", ".png", ".mp3", ".mp3", ".docx", ".pdf",
                                   ".txt", ".cpp", ".h", ".zip", ".mkv", ".xlsx"};
const char* const kArtists[] = {"The Beatles", "Miles Davis", "Björk", "Nina Simone", "Queen"};

struct Generated {
    std::vector<std::string> paths;  // "/" joined, for plocate
};

// Fills the root with disks of nested directories until `items` items exist.
void Generate(CatalogTree& tree, size_t items, std::mt19937& random, Generated& out) {
    auto pick = [&](size_t n) { return size_t(random() % n); };
    size_t made = 0;
    size_t counter = 0;
    CatalogItem* root = tree.root();
    for (int disk = 0; made < items; ++disk) {
        CatalogItem* d = tree.createItem("Disk " + std::to_string(disk), root, Last,
                                         DiskFlags(MediaType::HardDisk));
        out.paths.push_back("/Disk " + std::to_string(disk));
        ++made;
        // Directories of 1 to 3 levels with 5 to 60 files each.
        for (int dir = 0; dir < 200 && made < items; ++dir) {
            CatalogItem* parent = d;
            std::string path = "/Disk " + std::to_string(disk);
            const size_t depth = 1 + pick(3);
            for (size_t level = 0; level < depth && made < items; ++level) {
                std::string name = kDirectoryNames[pick(std::size(kDirectoryNames))];
                if (pick(3) == 0)
                    name += " " + std::to_string(pick(100));
                parent = tree.createItem(name, parent, Last, itemflag::Directory);
                path += "/" + name;
                out.paths.push_back(path);
                ++made;
            }
            const size_t files = 5 + pick(56);
            for (size_t f = 0; f < files && made < items; ++f, ++made) {
                std::string name;
                const size_t kind = pick(4);
                if (kind == 0)
                    name = "IMG_" + std::to_string(1000 + pick(9000));
                else if (kind == 1)
                    name = std::string(kWords[pick(std::size(kWords))]) + " " +
                           kWords[pick(std::size(kWords))];
                else if (kind == 2)
                    name = "track " + std::to_string(1 + pick(20));
                else
                    name = std::string(kWords[pick(std::size(kWords))]) + "_" + std::to_string(pick(1000));
                if (++counter % 100'000 == 0)
                    name += " qzxrare";
                const char* extension = kExtensions[pick(std::size(kExtensions))];
                name += extension;
                CatalogItem* file = tree.createItem(name, parent, Last, 0);
                tree.setSize(file, pick(4) == 0 ? pick(50'000'000) : pick(200'000));
                file->setDate(int32_t(kNow - int64_t(pick(3000)) * 86400));
                if (pick(20) == 0)
                    tree.setTextAttribute(file, attr::Description, "scanned at the beach house");
                if (std::string_view(extension) == ".mp3" && pick(2) == 0) {
                    tree.setTextAttribute(file, attr::Artist, kArtists[pick(std::size(kArtists))]);
                    tree.setTextAttribute(file, attr::Title, name);
                    tree.setNumberAttribute(file, attr::TrackNumber, uint32_t(1 + pick(20)));
                }
                out.paths.push_back(path + "/" + name);
            }
        }
    }
}

// Runs a shell command and gives its first output line and the milliseconds it took.
std::pair<std::string, double> Timed(const std::string& command) {
    const auto start = Clock::now();
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    if (pipe) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        ::pclose(pipe);
    }
    const double ms = Milliseconds(start);
    while (!out.empty() && (out.back() == '\n'))
        out.pop_back();
    return {out.substr(0, out.find('\n')), ms};
}

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Query {
    const char* label;
    SearchCriteria criteria;
    std::string grep;     // grep arguments after -c -i
    std::string plocate;  // plocate arguments after -c -i -b
};

void RunSize(size_t items, const std::filesystem::path& work, const std::string& only, int repeats) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    std::mt19937 random(7);
    Generated generated;
    auto start = Clock::now();
    Generate(tree, items, random, generated);
    std::printf("\n== %zu items (generated in %.0f ms)\n", generated.paths.size(), Milliseconds(start));

    const auto namesFile = work / "names.txt";
    const auto pathsFile = work / "paths.txt";
    const auto database = work / "names.plocate.db";
    {
        std::ofstream names(namesFile), paths(pathsFile);
        for (const std::string& path : generated.paths) {
            names << path.substr(path.rfind('/') + 1) << '\n';
            paths << path << '\n';
        }
    }
    const bool havePlocate = std::system("command -v plocate-build >/dev/null 2>&1 || test -x /usr/sbin/plocate-build") == 0;
    if (havePlocate) {
        start = Clock::now();
        const std::string build = "PATH=$PATH:/usr/sbin plocate-build -p -l no " +
                                  Quote(pathsFile.string()) + " " + Quote(database.string()) + " 2>&1";
        Timed(build);
        std::printf("plocate-build: %.0f ms\n", Milliseconds(start));
    }
    std::vector<std::string>().swap(generated.paths);

    std::vector<Query> queries;
    auto text = [](const char* t) {
        SearchCriteria c = InitialCriteria(kNow);
        c.text = t;
        return c;
    };
    queries.push_back({"rare literal 'qzxrare'", text("qzxrare"), "-F qzxrare", "qzxrare"});
    queries.push_back({"common literal 'a'", text("a"), "-F a", "a"});
    queries.push_back({"wildcard 'img_*.jpg'", text("img_*.jpg"), "'img_.*\\.jpg'", "'*img_*.jpg*'"});
    SearchCriteria words = text("holiday beach");
    words.wordMode = WordMode::AllWords;
    queries.push_back({"AllWords 'holiday beach'", words, "-F holiday | grep -c -i -F beach",
                       "holiday beach"});
    SearchCriteria filtered = text("track");
    filtered.sizeText = "1";
    filtered.sizeShift = 20;
    filtered.sizeOperator = SizeOperator::AtLeast;
    filtered.dateMode = DateMode::WithinDays;
    filtered.days = "365";
    queries.push_back({"'track' >= 1 MB, last 365 days", filtered, "-F track", "track"});
    SearchCriteria artist = text("mp3");
    artist.conditions.push_back({attr::Artist, ConditionOperator::Contains, 0, 0, "beatles"});
    queries.push_back({"'mp3' with Artist contains 'beatles'", artist, "-F mp3", "mp3"});

    SearchSnapshot snapshot(document);
    std::printf("%-38s %8s %10s %10s %10s %10s %10s %10s %10s\n", "query", "hits", "first ms",
                "first 1t", "repeat ms", "walk ms", "grep ms", "grep n", "plocate ms");
    size_t indexBytes = 0;
    for (Query& query : queries) {
        if (!only.empty() && std::string_view(query.label).find(only) == std::string_view::npos)
            continue;
        const PreparedSearch prepared = PrepareSearch(query.criteria, kNow);
        snapshot.reset();
        start = Clock::now();
        const size_t hits = snapshot.search(prepared, *tree.root()).size();
        const double first = Milliseconds(start);
        snapshot.reset();
        start = Clock::now();
        snapshot.search(prepared, *tree.root(), nullptr, 1);
        const double firstOneThread = Milliseconds(start);
        double repeat = 1e30;
        for (int run = 0; run < repeats; ++run) {
            start = Clock::now();
            snapshot.search(prepared, *tree.root());
            repeat = std::min(repeat, Milliseconds(start));
        }
        indexBytes = std::max(indexBytes, snapshot.trigramBytes());
        start = Clock::now();
        const size_t walkHits = SearchTree(prepared, *tree.root()).size();
        const double walk = Milliseconds(start);
        std::string grepCommand = "grep -c -i " + query.grep;
        if (query.grep.find('|') != std::string::npos)
            grepCommand = "grep -i " + query.grep.substr(0, query.grep.find('|')) + Quote(namesFile.string()) + " |" +
                          query.grep.substr(query.grep.find('|') + 1);
        else
            grepCommand += " " + Quote(namesFile.string());
        const auto grep = Timed(grepCommand);
        std::string plocateMs = "-";
        if (havePlocate) {
            const auto located = Timed("plocate -c -i -b -d " + Quote(database.string()) + " " + query.plocate);
            char text[32];
            std::snprintf(text, sizeof text, "%.1f", located.second);
            plocateMs = text;
        }
        std::printf("%-38s %8zu %10.1f %10.1f %10.1f %10.1f %10.1f %10s %10s%s\n", query.label, hits, first,
                    firstOneThread, repeat, walk, grep.second, grep.first.c_str(), plocateMs.c_str(),
                    walkHits == hits ? "" : "  (walk differs!)");
    }
    std::printf("snapshot: %zu bytes per item + %.1f bytes of folded texts per item + %.1f bytes of trigram index per item\n",
                snapshot.bytesPerItem(), double(snapshot.arenaBytes()) / double(snapshot.itemCount()),
                double(indexBytes) / double(snapshot.itemCount()));

    if (!only.empty())
        return;
    DuplicateJob job;
    job.scope = tree.root();
    job.criteria = duplicate::NameBit | duplicate::SizeBit;
    start = Clock::now();
    const size_t rows = FindDuplicates(job).size();
    std::printf("duplicates by name and size: %zu rows in %.0f ms\n", rows, Milliseconds(start));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<size_t> sizes;
    std::string only;
    int repeats = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (std::string_view(argv[i]) == "--repeat" && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
        else
            sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    }
    if (sizes.empty())
        sizes.push_back(1'000'000);
    char pattern[] = "/tmp/search_bench.XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path work = pattern;
    std::printf("grep and plocate run over the same names (plocate over the same paths, -b) in %s\n"
                "(grep's figure for AllWords is two greps in a pipe; the others are single runs)\n",
                work.c_str());
    for (const size_t items : sizes)
        RunSize(items, work, only, repeats);
    std::filesystem::remove_all(work);
    return 0;
}
