// Shows the search window or the duplicate window on a small generated catalog with a search
// already run, so people (and screenshots under Xvfb) can look at it:
//     show_search search|duplicates
// Nothing is saved; the settings go to a temporary folder.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "catalog/CatalogDocument.h"
#include "catalog/Definitions.h"
#include "foundation/ui/QtPrompter.h"
#include "platform/settings/SettingsStore.h"
#include "search/DuplicateSearch.h"
#include "search/ui/DuplicatesWindow.h"
#include "search/ui/SearchPages.h"
#include "search/ui/SearchWindow.h"
#include "tests/search/SearchTestCatalog.h"

using namespace shelfmark;
using namespace shelfmark::search;
using shelfmark::testing::Add;

namespace {

// Two disks holding holiday pictures and music, with copies of some files on both.
void Build(CatalogTree& tree) {
    CatalogItem* root = tree.root();
    const int32_t day = 86400;
    const int32_t base = 1'650'000'000;
    for (int disk = 0; disk < 2; ++disk) {
        CatalogItem* d = Add(tree, root, disk == 0 ? "Photos 2022" : "Backup", itemflag::Directory | 8);
        CatalogItem* holiday = Add(tree, d, "Holiday Lake Garda", itemflag::Directory, 0, base);
        for (int i = 0; i < 6; ++i)
            Add(tree, holiday, ("IMG_40" + std::to_string(10 + i) + ".jpg").c_str(), 0,
                uint64_t(1'800'000 + i * 91'337), base + i * day);
        CatalogItem* music = Add(tree, d, "Music", itemflag::Directory, 0, base);
        for (const char* name : {"holiday song.mp3", "summer holiday.mp3", "beach.mp3"})
            Add(tree, music, name, 0, 4'200'000 + std::string(name).size(), base - 40 * day);
        if (disk == 1)
            Add(tree, d, "holiday plan.docx", 0, 24'576, base + 3 * day);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string which = argc > 1 ? argv[1] : "search";
    const auto config = std::filesystem::temp_directory_path() / "show_search";
    std::filesystem::create_directories(config);
    QtPrompter prompter;
    CatalogDocument document(prompter);
    if (document.tree().root() == nullptr)
        document.tree().resetToNewCatalog();
    Build(document.tree());
    CatalogDefinitions definitions;
    definitions.reload(*document.tree().root());
    SettingsStore settings((config / "settings.ini").string());
    SearchWindowSlots windowSlots;
    SearchWindowContext context{document, definitions, settings, windowSlots, prompter, {}, {}, {}, {}, {}};
    if (which == "duplicates") {
        DuplicatesWindow window(context, nullptr);
        window.criterion(duplicate::DateBit)->setChecked(false);
        QTimer::singleShot(200, &window, &DuplicatesWindow::start);
        window.exec();
        return 0;
    }
    if (which != "search") {
        std::fprintf(stderr, "usage: show_search search|duplicates\n");
        return 2;
    }
    SearchWindow* window = SearchWindow::Open(context, nullptr, nullptr, "holiday");
    window->generalPage()->textBox()->setEditText("holiday");
    QTimer::singleShot(200, window, &SearchWindow::start);
    return app.exec();
}
