// Importing catalog files ("Dlg_Import"): the files to import, in order, and the folder of the
// open catalog they go into (the catalog's folders as a tree, the root or the current folder
// preselected). OK runs ImportCatalogFiles: one undo step for everything imported; what the
// reader has to say (a file that is no catalog, the password of a protected root, the old-format
// hint) comes through the document's prompter and hooks.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "catalog/DatabaseImport.h"
#include "catalog/ui/FolderTreeWidget.h"
#include "catalog/ui/ImportSources.h"

class QListWidget;

namespace shelfmark {

class DatabaseImportDialog : public QDialog {
    Q_OBJECT
  public:
    // `selected`: the folder to preselect (null or not a folder: the root).
    DatabaseImportDialog(CatalogDocument& document, std::vector<std::string> files,
                         const CatalogItem* selected = nullptr, QWidget* parent = nullptr);

    QListWidget* fileList() const { return files_->list(); }
    FolderTreeWidget* folderTree() const { return folders_; }
    // The files listed, in order.
    std::vector<std::string> files() const { return files_->files(); }
    void addFiles(const std::vector<std::string>& files) { files_->addFiles(files); }

    // After OK: what the import did.
    EditStatus status() const { return status_; }
    const ImportReport& report() const { return report_; }

    // The Open dialog for catalog files (several at once); empty on Cancel.
    static std::vector<std::string> AskFiles(QWidget* parent);
    // The Import command: the lock first (refused: nothing happens), the files, this dialog,
    // the import; then the lock is given back unless there are unsaved changes.
    static EditStatus Run(CatalogDocument& document, const CatalogItem* selected,
                          QWidget* parent);

  public slots:
    void accept() override;

  private:
    CatalogDocument& document_;
    ImportFileList* files_;
    FolderTreeWidget* folders_;
    EditStatus status_ = EditStatus::Unchanged;
    ImportReport report_;
};

}  // namespace shelfmark
