#include "catalog/ui/XmlExportDialog.h"

#include <algorithm>

#include "catalog/CatalogTree.h"
#include "catalog/FileTypeNames.h"
#include "catalog/XmlOutline.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FileDialogs.h"

namespace shelfmark {

std::optional<std::string> XmlExportDialog::AskPath(QWidget* parent,
                                                    const std::string& suggestion) {
    const QString filter = FileFilterWithAllFiles(ToQString(FileTypeName("outline.xml")), "xml");
    return AskSaveFile(parent, QString(), filter, QStringLiteral("xml"), suggestion);
}

bool XmlExportDialog::Run(const CatalogTree& tree, std::span<const CatalogItem* const> items,
                          Prompter& prompter, QWidget* parent) {
    if (items.empty())
        return false;
    std::string suggestion;
    if (items.size() == 1) {
        suggestion = tree.displayName(items[0], false) + ".xml";
        std::replace(suggestion.begin(), suggestion.end(), '/', '_');  // a name, not a path
    }
    const std::optional<std::string> path = AskPath(parent, suggestion);
    if (!path)
        return false;
    WaitCursor wait;
    return WriteXmlOutline(*path, tree, items, prompter);
}

}  // namespace shelfmark
