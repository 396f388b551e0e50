#include "exchange/ui/NcduExportDialog.h"

#include <algorithm>
#include <ctime>

#include "catalog/CatalogTree.h"
#include "catalog/EditSupport.h"
#include "exchange/NcduFormat.h"
#include "foundation/AtomicFile.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FileDialogs.h"

namespace shelfmark {

namespace {

constexpr std::string_view kSection = "Dlg_ExportNcdu";

}  // namespace

std::optional<std::string> NcduExportDialog::AskPath(QWidget* parent,
                                                     const std::string& suggestion) {
    return AskSaveFile(parent, DialogText(kSection, 0),
                       FileFilterWithAllFiles(DialogText(kSection, 1), "json"),
                       QStringLiteral("json"), suggestion);
}

bool NcduExportDialog::Write(const CatalogItem& item, const std::string& path,
                             Prompter& prompter) {
    std::string error;
    if (WriteFileAtomically(path, WriteNcduExport(item, std::time(nullptr)), &error))
        return true;
    prompter.error(FillPattern(ToUtf8(DialogText(kSection, 2)), "%s", path) + "\n" + error);
    return false;
}

bool NcduExportDialog::Run(const CatalogTree& tree, const CatalogItem& item, Prompter& prompter,
                           QWidget* parent) {
    if (!item.isContainer() || item.isShortcut()) {
        prompter.error(Str(81));
        return false;
    }
    std::string suggestion = tree.displayName(&item, false) + ".json";
    std::replace(suggestion.begin(), suggestion.end(), '/', '_');  // a name, not a path
    const std::optional<std::string> path = AskPath(parent, suggestion);
    if (!path)
        return false;
    WaitCursor wait;
    return Write(item, *path, prompter);
}

}  // namespace shelfmark
