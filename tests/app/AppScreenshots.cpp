// Makes the screenshots in docs/screenshots: the main window on a real catalog (the list of a
// directory and the item information view), the properties and the settings dialog, each drawn
// by Qt into a PNG. (The read dialog's picture comes with the dialogs' own.)
//     app_screenshots CATALOG.tkd OUTDIR [CATALOG-PATH-OF-A-DIRECTORY]
// Run under Xvfb (xvfb-run) or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QIcon>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/ItemListModel.h"
#include "app/MainWindow.h"
#include "app/MimeTypeNames.h"
#include "app/settings/SettingsDialog.h"
#include "catalog/CatalogPath.h"
#include "catalog/ui/PropertiesDialog.h"
#include "foundation/BuiltinTexts.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ScriptedPrompter.h"

using namespace shelfmark;

namespace {

void Save(QWidget& widget, const QString& file) {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    if (!widget.grab().save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    else
        std::printf("%s\n", qPrintable(file));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: app_screenshots CATALOG.tkd OUTDIR [DIRECTORY]\n");
        return 2;
    }
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    MimeTypeNames typeNames;
    SetFileTypeNameProvider(&typeNames);
    LanguageTexts::Instance().setPromptKeys(DefaultPromptKeys());
    const QString out = QString::fromLocal8Bit(argv[2]);
    ScriptedPrompter prompter;

    WindowContext context;
    context.watchVolumes = false;
    MainWindow window(context);
    window.setPrompter(&prompter);
    window.resize(1100, 680);
    window.show();
    if (!window.openCatalog(argv[1]))
        return 1;
    CatalogTree& tree = window.document().tree();
    CatalogItem* directory = ResolveCatalogPath(tree, argc > 3 ? argv[3] : "");
    if (directory && directory->isContainer()) {
        window.showContainer(directory);
        if (CatalogItem* first = window.listModel()->itemAt(0))
            window.selectInList({first});
    }
    Save(window, out + QStringLiteral("/main-window-list.png"));
    window.setInfoViewShown(true);
    Save(window, out + QStringLiteral("/item-information.png"));
    window.setInfoViewShown(false);

    std::vector<CatalogItem*> items = window.selectedItems();
    if (!items.empty()) {
        PropertiesDialog properties(window.document(), items, &window);
        properties.show();
        Save(properties, out + QStringLiteral("/properties.png"));
    }

    SettingsDialog settings(window.settings(), WindowSettings(), prompter, &window);
    settings.show();
    Save(settings, out + QStringLiteral("/settings-general.png"));
    settings.pages()->setCurrentIndex(1);
    Save(settings, out + QStringLiteral("/settings-interface.png"));
    window.document().setModified(false);
    SetFileTypeNameProvider(nullptr);
    return 0;
}
