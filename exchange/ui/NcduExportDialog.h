// Exporting a folder, disk, directory or archive for ncdu: the Save dialog (".json" added to a
// name without an extension, the overwrite question), then the export written through a
// temporary file, so a failed write leaves an existing file as it was. `ncdu -f FILE` then
// browses the catalogued disk without the disk.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace shelfmark {

class CatalogItem;
class CatalogTree;
class Prompter;

class NcduExportDialog {
  public:
    // The file to write; nothing on Cancel.
    static std::optional<std::string> AskPath(QWidget* parent, const std::string& suggestion = {});
    // Writes `item` and everything visible below it to `path`; a failure is shown through the
    // prompter ("Unable to write to PATH, ..." with the system's reason).
    static bool Write(const CatalogItem& item, const std::string& path, Prompter& prompter);
    // The command: an item that is no container is refused with the "wrong kind" message;
    // otherwise asks for the file and writes it. False when refused, cancelled or not written.
    static bool Run(const CatalogTree& tree, const CatalogItem& item, Prompter& prompter,
                    QWidget* parent);
};

}  // namespace shelfmark
