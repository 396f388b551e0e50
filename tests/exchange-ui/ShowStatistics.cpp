// Shows the Statistics window so people (and screenshots under Xvfb) can look at it:
//     show_statistics [--page N] SOURCE...
// Each SOURCE, a catalog another program wrote (an ncdu export, a CdCat or catcli catalog, ...),
// is imported into a new catalog, and the window counts the whole catalog. Nothing is saved.
#include <QApplication>
#include <QTabWidget>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "catalog/CatalogDocument.h"
#include "catalog/ui/StatisticsWindow.h"
#include "exchange/ForeignImport.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ui/QtPrompter.h"

using namespace shelfmark;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: show_statistics [--page N] SOURCE...\n");
        return 2;
    }
    // SHELFMARK_LANGUAGE=path/to/Deutsch.lng shows the window translated.
    if (const char* language = std::getenv("SHELFMARK_LANGUAGE"))
        LanguageTexts::Instance().loadLanguage(language);
    QtPrompter prompter;
    CatalogDocument document(prompter);
    document.newCatalog();
    int page = 0;
    int first = 1;
    if (argc > 3 && std::string_view(argv[1]) == "--page") {
        page = std::atoi(argv[2]);
        first = 3;
    }
    const std::vector<std::string> sources(argv + first, argv + argc);
    ForeignImportReport report;
    ImportForeignCatalogs(document, sources, ForeignFormat::Auto, document.tree().root(), &report);
    for (const std::string& failure : report.failed)
        std::fprintf(stderr, "show_statistics: %s\n", failure.c_str());
    StatisticsWindow* window = StatisticsWindow::Open(document, nullptr, nullptr);
    if (window == nullptr)
        return 1;
    window->pages()->setCurrentIndex(page);
    window->move(0, 0);
    window->resize(1000, 760);
    return app.exec();
}
