// Case-insensitive name comparison and search as sorting and the search window use them,
// each next to a peer in the same run: glibc's strcasecmp and strcasestr (ASCII only), and the
// naive way of folding both texts into new strings for every comparison.
#include <benchmark/benchmark.h>
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/Utf8Text.h"

namespace {

std::vector<std::string> MakeNames(bool withAccents) {
    static const char* const kStems[] = {"Track", "IMG_",     "setup",   "Readme",
                                         "Größe", "Ångström", "ΣΊΣΥΦΟΣ", "Москва"};
    std::mt19937 random(42);
    std::vector<std::string> names;
    for (int i = 0; i < 20000; ++i) {
        const size_t stem = random() % (withAccents ? 8 : 4);
        std::string name = kStems[stem];
        name += std::to_string(random() % 5000);
        name += (random() % 2) ? ".MP3" : ".jpg";
        names.push_back(std::move(name));
    }
    return names;
}

template <typename Less>
void SortNames(benchmark::State& state, bool withAccents, Less less) {
    const std::vector<std::string> names = MakeNames(withAccents);
    for (auto _ : state) {
        std::vector<std::string> copy = names;
        std::sort(copy.begin(), copy.end(), less);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}

void SortAsciiCompareNoCase(benchmark::State& state) {
    SortNames(state, false, [](const std::string& a, const std::string& b) {
        return shelfmark::text::CompareNoCase(a, b) < 0;
    });
}
void SortAsciiStrcasecmp(benchmark::State& state) {
    SortNames(state, false, [](const std::string& a, const std::string& b) {
        return ::strcasecmp(a.c_str(), b.c_str()) < 0;
    });
}
void SortUnicodeCompareNoCase(benchmark::State& state) {
    SortNames(state, true, [](const std::string& a, const std::string& b) {
        return shelfmark::text::CompareNoCase(a, b) < 0;
    });
}
void SortUnicodeFoldEachTime(benchmark::State& state) {
    SortNames(state, true, [](const std::string& a, const std::string& b) {
        return shelfmark::text::FoldCase(a) < shelfmark::text::FoldCase(b);
    });
}

void FindInNames(benchmark::State& state, bool useStrcasestr) {
    const std::vector<std::string> names = MakeNames(false);
    for (auto _ : state) {
        size_t hits = 0;
        for (const std::string& name : names)
            hits += useStrcasestr
                        ? ::strcasestr(name.c_str(), "readme12") != nullptr
                        : shelfmark::text::FindNoCase(name, "readme12") != std::string_view::npos;
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
void FindNoCaseAscii(benchmark::State& state) {
    FindInNames(state, false);
}
void FindStrcasestr(benchmark::State& state) {
    FindInNames(state, true);
}

}  // namespace

BENCHMARK(SortAsciiCompareNoCase);
BENCHMARK(SortAsciiStrcasecmp);
BENCHMARK(SortUnicodeCompareNoCase);
BENCHMARK(SortUnicodeFoldEachTime);
BENCHMARK(FindNoCaseAscii);
BENCHMARK(FindStrcasestr);
BENCHMARK_MAIN();
