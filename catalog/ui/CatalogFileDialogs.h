// The file questions around a catalog: which file to open, under which name to save. The
// document's own questions (the old-format hint with its check box, "Save changes to %1?", the
// reload question) come through the Prompter and appear as the QtPrompter's boxes; this file
// adds the file choosers and installs the save-as chooser as the document's hook.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace shelfmark {

class CatalogDocument;

// The file dialogs' filter: "Tarnwick Databases (*.tkd)".
inline constexpr const char* kCatalogFileFilter = "Tarnwick Databases (*.tkd)";

// Nothing on Cancel.
std::optional<std::string> AskCatalogOpenPath(QWidget* parent, const std::string& folder = {});
// The path to save as; ".tkd" is added when the name has no extension. Nothing on Cancel.
std::optional<std::string> AskCatalogSavePath(QWidget* parent, const std::string& suggestion = {});
// The catalog's extension added to a chosen name that has none.
std::string WithCatalogExtension(const std::string& path);

// Lets the document ask for a file name when a catalog without a file is saved.
void InstallCatalogFileDialogs(CatalogDocument& document, QWidget* parent);

}  // namespace shelfmark
