// What the import dialogs share: the list of files to import with Add and Remove, and the frame
// of an import command (the lock, the file chooser, the dialog, the lock given back).
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "catalog/EditSupport.h"

class QBoxLayout;
class QListWidget;

namespace shelfmark {

class FolderTreeWidget;

// The files to import, in order, with the buttons "Add..." (asking through `askFiles`) and a
// Remove button whose text the dialog marks with SetTextKey (key `removeKey` of its section).
class ImportFileList : public QWidget {
    Q_OBJECT
  public:
    ImportFileList(std::function<std::vector<std::string>(QWidget*)> askFiles, int removeKey,
                   QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    std::vector<std::string> files() const;
    void addFiles(const std::vector<std::string>& files);

  private:
    std::function<std::vector<std::string>(QWidget*)> askFiles_;
    QListWidget* list_;
};

// The parts both import dialogs stack in their vertical `layout`, in this order, each under its
// label: the file list (label key 1, Remove key 2 of the dialog's section) ...
ImportFileList* AddImportFileList(QBoxLayout* layout,
                                  std::function<std::vector<std::string>(QWidget*)> askFiles);
// ... and the catalog's folders, `selected` preselected when it is a folder; the tree takes the
// spare height.
FolderTreeWidget* AddImportFolderTree(QBoxLayout* layout, const CatalogTree& tree,
                                      const CatalogItem* selected, int labelKey,
                                      int minimumHeight);

// What OK checks first: files to import and a folder for them. Either missing: "Please fill out
// this field correctly." through the document's prompter, the focus on what is missing, null.
CatalogItem* ChosenImportFolder(CatalogDocument& document, const std::vector<std::string>& paths,
                                const ImportFileList& files, FolderTreeWidget& folders);

// An import command: the lock first (refused: Refused, nothing asked), then the files
// (`askFiles`; none: Unchanged), then `runDialog` with them and the folder to preselect (null
// when taking the lock reloaded the file, since every item was replaced); afterwards the lock
// goes back unless there are unsaved changes.
EditStatus RunImportCommand(
    CatalogDocument& document, const CatalogItem* selected,
    const std::function<std::vector<std::string>()>& askFiles,
    const std::function<EditStatus(std::vector<std::string>, const CatalogItem*)>& runDialog);

}  // namespace shelfmark
