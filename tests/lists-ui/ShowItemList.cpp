// Not a test: shows the item list window on a generated music catalog, built at once with the
// MP3 profile ("itemlist"), its print/export dialog ("export", or "printer" on the printer target),
// or the print preview of that list ("preview"); printing is set to dark red text. For people and for
// screenshots. The configuration lives in a temporary folder, so nothing of the user's changes.
#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "catalog/CatalogDocument.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/StringFormat.h"
#include "foundation/ui/QtPrompter.h"
#include "lists/ui/ExportListDialog.h"
#include "lists/ui/ItemListWindow.h"
#include "lists/ui/ListTableModel.h"
#include "tests/search/SearchTestCatalog.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string what = argc > 1 ? argv[1] : "itemlist";
    testing::ScopedConfigHome config;
    std::filesystem::copy_file(testing::SourceDir() / "lists/ItemList.tkp", config.configDir() / "ItemList.tkp");
    // Dark red, stored as the dialog stores it: red in the low byte.
    testing::WriteFile(config.configDir() / "ExportList.tkp", "[MP3 files:prn]\r\nFontColor=160\r\n");
    QtPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    CatalogItem* root = tree.resetToNewCatalog();
    tree.setName(root, "Music.tkd");
    const char* artists[] = {"Ada Lark", "The Bellwethers", "Corvid Choir", "Dune Static", "Elm & Ember"};
    const char* titles[] = {"Morning Tide", "Paper Lanterns", "Slow Orbit", "Copper Rain", "Night Ferry",
                            "Glass Harbour", "Low Sun", "Fieldnotes"};
    CatalogItem* music = testing::Add(tree, root, "Music", itemflag::Folder);
    for (int d = 0; d < 3; ++d) {
        CatalogItem* disk = testing::Add(tree, music, StringPrintf("MP3 Collection %d", d + 1).c_str(),
                                         DiskFlags(MediaType::CdRom), 0, 1600000000);
        for (int a = 0; a < 5; ++a) {
            CatalogItem* dir = testing::Add(tree, disk, artists[a], itemflag::Directory, 0, 1600000000);
            for (int t = 0; t < 8; ++t) {
                const std::string name = StringPrintf("%s - %s.mp3", artists[a], titles[(t + d) % 8]);
                testing::Add(tree, dir, name.c_str(), 0, 2'500'000 + 131'071ull * static_cast<uint64_t>(a * 8 + t + d),
                             1600000000 + 86400 * (a + t));
            }
        }
    }
    ItemListWindow window(document, root, "MP3 files", prompter);
    prompter.setParent(&window);
    window.show();
    if (what == "export") {
        QTimer::singleShot(500, &window, [&] {
            window.waitForList();
            window.exportList();
        });
    }
    if (what == "printer" || what == "preview") {
        QTimer::singleShot(500, &window, [&] {
            window.waitForList();
            const ListTable shown = window.model()->displayed();
            ExportRequest request{&shown, &tree, "MP3 files", {}};
            ExportListDialog dialog(request, prompter, &window);
            dialog.usePdfFile(QStringLiteral("/tmp/shelfmark-preview.pdf"));
            dialog.setTarget(ExportTarget::Printer);
            if (what == "preview")
                dialog.showPreview();
            else
                dialog.exec();
        });
    }
    return app.exec();
}
