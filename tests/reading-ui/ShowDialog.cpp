// Shows one dialog on a small catalog so people (and screenshots under Xvfb) can look at it:
//     show_dialog read|update|properties|categories|extrainfo|password|insertdisk|folder|lend
// The dialog runs modally; nothing is saved. "read N" opens the read dialog on page N.
#include <QApplication>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "catalog/CatalogDocument.h"
#include "catalog/CategoryOperations.h"
#include "catalog/DefinitionEditors.h"
#include "catalog/ui/CategoryDialogs.h"
#include "catalog/ui/InsertDiskWindow.h"
#include "catalog/ui/LendDialog.h"
#include "catalog/ui/NameDialogs.h"
#include "catalog/ui/PasswordDialogs.h"
#include "catalog/ui/PropertiesDialog.h"
#include "catalog/ui/UserExtraInfoDialog.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ui/QtPrompter.h"
#include "reading/ui/AddDiskDialog.h"
#include "tests/catalog/EditTestCatalog.h"

using namespace shelfmark;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: show_dialog "
            "read|update|properties|categories|extrainfo|password|insertdisk|folder|lend\n");
        return 2;
    }
    const std::string which = argv[1];
    // SHELFMARK_LANGUAGE=path/to/Deutsch.lng shows the dialog translated.
    if (const char* language = std::getenv("SHELFMARK_LANGUAGE"))
        LanguageTexts::Instance().loadLanguage(language);
    QtPrompter prompter;
    CatalogDocument document(prompter);
    testing::BuildEditCatalog(document.tree());
    CategoryEditor categories(document);
    const uint8_t music = *categories.addCategory("Music");
    categories.addSubCategory(music, "Live recordings");
    categories.addCategory("Photos");
    categories.addCategory("Backups");
    categories.commit(document);
    ExtraInfoEditor extra(document);
    extra.addText("Shelf");
    extra.addNumber("Copies");
    extra.commit(document);
    CatalogItem* disk = testing::At(document.tree(), "Music\\Rock\\Rock One");
    document.tree().setTextAttribute(disk, attr::Description, "Live at the harbour, 1998");
    document.tree().setTextAttribute(disk, 0x88, "Shelf B, box 4");
    document.tree().setNumberAttribute(disk, 0x4A, 7);
    CatalogItem* items[] = {disk};

    if (which == "read" || which == "update") {
        AddDiskDialog::Target target{testing::At(document.tree(), "Music"),
                                     which == "update" ? disk : nullptr,
                                     std::filesystem::current_path().string()};
        AddDiskDialog dialog(document, prompter, target);
        // An optional page number shows another page first.
        if (argc > 2)
            dialog.tabs()->setCurrentIndex(std::atoi(argv[2]));
        dialog.exec();
    } else if (which == "properties") {
        PropertiesDialog::Run(document, items, nullptr);
    } else if (which == "extrainfo") {
        PropertiesDialog dialog(document, items);
        dialog.tabs()->setCurrentIndex(1);
        dialog.exec();
    } else if (which == "categories") {
        CategoriesDialog::Run(document, nullptr);
    } else if (which == "userextra") {
        UserExtraInfoDialog::Run(document, nullptr);
    } else if (which == "itemcategories") {
        ItemCategoriesDialog::Run(document, items, nullptr);
    } else if (which == "password") {
        SetPasswordDialog dialog(prompter);
        dialog.exec();
    } else if (which == "folder") {
        MakeFolderDialog::Run(document, document.tree().root(), nullptr);
    } else if (which == "lend") {
        LendDialog::Run(document, items, nullptr);
    } else if (which == "insertdisk") {
        InsertDiskRequest request{"Rock One", 0x12345678, DriveType::Fixed, std::nullopt};
        InsertDiskPrompt prompt(request, ListDrives(), prompter);
        InsertDiskWindow window(nullptr);
        window.run(prompt);
    } else {
        std::fprintf(stderr, "show_dialog: no dialog '%s'\n", which.c_str());
        return 2;
    }
    return 0;
}
