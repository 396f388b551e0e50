// The item list window's model with ROWS rows (default 1,000,000): how long showing the table
// takes, the cells of a first screen (40 rows), sorting by the name column (case-folded texts)
// and by the size column (values), and the copy in shown order that Print/ Export gets. Next to
// it, in the same run, GNU sort -f on the same names: a peer that sorts the same texts.
//
//   lists_ui_bench [ROWS]
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "catalog/CatalogTree.h"
#include "lists/ui/ListTableModel.h"

using namespace shelfmark;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    const char* const words[] = {"holiday", "Beach", "report", "final", "Summer", "track", "invoice", "draft"};
    std::mt19937 random(7);
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* folder = tree.createItem("Files", root, Last, itemflag::Folder);
    ListTable table({{"Name", 0x00, ColumnAlignment::Left, 150}, {"Size", 0x01, ColumnAlignment::Right, 75}});
    table.reserve(rows, rows * 32);
    const std::filesystem::path names = std::filesystem::temp_directory_path() / "lists_ui_bench_names.txt";
    std::ofstream out(names);
    // A handful of items carry the sizes the size column sorts by; rows share them.
    std::vector<const CatalogItem*> items;
    for (int i = 0; i < 1000; ++i) {
        CatalogItem* item = tree.createItem("f" + std::to_string(i), folder, Last, 0);
        tree.setSize(item, random() % 100'000'000);
        items.push_back(item);
    }
    for (size_t r = 0; r < rows; ++r) {
        const std::string name = std::string(words[random() % 8]) + " " + std::to_string(random() % 1'000'000) + ".jpg";
        const CatalogItem* item = items[random() % items.size()];
        table.beginRow(item, 0);
        table.appendCell(name);
        table.appendCell(std::to_string(item->size()));
        out << name << '\n';
    }
    out.close();

    ListTableModel model;
    auto start = Clock::now();
    model.setTable(&table);
    const double show = Milliseconds(start);
    start = Clock::now();
    size_t bytes = 0;
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 2; ++c)
            bytes += static_cast<size_t>(model.data(model.index(r, c)).toString().size());
    const double screen = Milliseconds(start);
    start = Clock::now();
    model.sort(0);
    const double byName = Milliseconds(start);
    start = Clock::now();
    model.sort(1, Qt::DescendingOrder);
    const double bySize = Milliseconds(start);
    start = Clock::now();
    const ListTable shown = model.displayed();
    const double copy = Milliseconds(start);

    start = Clock::now();
    const std::string command = "LC_ALL=C.UTF-8 sort -f " + names.string() + " > /dev/null";
    const int sorted = std::system(command.c_str());
    const double peer = Milliseconds(start);
    std::filesystem::remove(names);

    std::printf("rows %zu (first screen %zu characters, copy %zu rows)\n", rows, bytes, shown.rowCount());
    std::printf("show the table        %8.1f ms\n", show);
    std::printf("first screen of cells %8.3f ms\n", screen);
    std::printf("sort by name          %8.1f ms\n", byName);
    std::printf("sort by size          %8.1f ms\n", bySize);
    std::printf("copy in shown order   %8.1f ms\n", copy);
    std::printf("peer: GNU sort -f     %8.1f ms%s\n", peer, sorted == 0 ? "" : " (failed)");
    return 0;
}
