// Exporting chosen items as an XML outline: the Save dialog (the desktop's name for XML files,
// then All Files; ".xml" added to a name without an extension; the overwrite question), then,
// under a wait cursor, the outline written by WriteXmlOutline. A file that cannot be written
// gives "Unable to write to PATH, it is read-only or opened by someone else." through the
// prompter.
#pragma once

#include <optional>
#include <span>
#include <string>

class QWidget;

namespace shelfmark {

class CatalogItem;
class CatalogTree;
class Prompter;

class XmlExportDialog {
  public:
    // The file to write; nothing on Cancel. `suggestion`: the name offered first.
    static std::optional<std::string> AskPath(QWidget* parent, const std::string& suggestion = {});
    // The command: asks for the file and writes the outline of `items` (each with everything
    // visible below it). False when cancelled or the file could not be written.
    static bool Run(const CatalogTree& tree, std::span<const CatalogItem* const> items,
                    Prompter& prompter, QWidget* parent);
};

}  // namespace shelfmark
