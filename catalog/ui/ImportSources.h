// What the import dialogs share: the list of files to import with Add and Remove, and the frame
// of an import command (the lock, the file chooser, the dialog, the lock given back).
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "catalog/EditSupport.h"

class QListWidget;

namespace shelfmark {

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

// An import command: the lock first (refused: Refused, nothing asked), then the files
// (`askFiles`; none: Unchanged), then `runDialog` with them and the folder to preselect (null
// when taking the lock reloaded the file, since every item was replaced); afterwards the lock
// goes back unless there are unsaved changes.
EditStatus RunImportCommand(
    CatalogDocument& document, const CatalogItem* selected,
    const std::function<std::vector<std::string>()>& askFiles,
    const std::function<EditStatus(std::vector<std::string>, const CatalogItem*)>& runDialog);

}  // namespace shelfmark
