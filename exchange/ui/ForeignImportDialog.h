// Importing catalogs other programs wrote ("Dlg_ImportOther"): the files, their format (or
// recognised by content), and the folder of the open catalog their disks go into. OK runs
// ImportForeignCatalogs: one undo step for every disk imported. A file that cannot be read adds
// nothing; the files that failed are listed in one error message, each with the line and column
// or the offset where its reader stopped. When nothing at all was imported the dialog stays
// open, so another format or other files can be chosen.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "catalog/ui/FolderTreeWidget.h"
#include "catalog/ui/ImportSources.h"
#include "exchange/ForeignImport.h"

class QComboBox;
class QListWidget;

namespace shelfmark {

class ForeignImportDialog : public QDialog {
    Q_OBJECT
  public:
    // `selected`: the folder to preselect (null or not a folder: the root).
    ForeignImportDialog(CatalogDocument& document, std::vector<std::string> files,
                        const CatalogItem* selected = nullptr, QWidget* parent = nullptr);

    QListWidget* fileList() const { return files_->list(); }
    QComboBox* formatBox() const { return format_; }
    FolderTreeWidget* folderTree() const { return folders_; }
    std::vector<std::string> files() const { return files_->files(); }
    void addFiles(const std::vector<std::string>& files) { files_->addFiles(files); }
    ForeignFormat format() const;
    void setFormat(ForeignFormat format);

    // After OK: what the import did.
    EditStatus status() const { return status_; }
    const ForeignImportReport& report() const { return report_; }

    // The Open dialog for other programs' catalogs (several at once); empty on Cancel.
    static std::vector<std::string> AskFiles(QWidget* parent);
    // The command: the lock first (refused: nothing happens), the files, this dialog, the
    // import; then the lock is given back unless there are unsaved changes.
    static EditStatus Run(CatalogDocument& document, const CatalogItem* selected,
                          QWidget* parent);

  public slots:
    void accept() override;

  private:
    CatalogDocument& document_;
    ImportFileList* files_;
    QComboBox* format_;
    FolderTreeWidget* folders_;
    EditStatus status_ = EditStatus::Unchanged;
    ForeignImportReport report_;
};

}  // namespace shelfmark
