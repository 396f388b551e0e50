#include "catalog/ui/DatabaseImportDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/ui/CatalogFileDialogs.h"
#include "catalog/ui/FolderTreeWidget.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FileDialogs.h"

namespace shelfmark {

namespace {

constexpr std::string_view kSection = "Dlg_Import";

}  // namespace

DatabaseImportDialog::DatabaseImportDialog(CatalogDocument& document,
                                           std::vector<std::string> files,
                                           const CatalogItem* selected, QWidget* parent)
    : QDialog(parent), document_(document) {
    setObjectName(QStringLiteral("Dlg_Import"));
    auto* layout = new QVBoxLayout(this);
    files_ = new ImportFileList(AskFiles, 2, this);
    auto* filesLabel = SetTextKey(new QLabel(this), 1);
    filesLabel->setBuddy(files_->list());
    layout->addWidget(filesLabel);
    layout->addWidget(files_);

    folders_ = new FolderTreeWidget(document.tree(), this);
    folders_->setMinimumSize(360, 220);
    if (selected != nullptr)
        folders_->select(selected);
    auto* foldersLabel = SetTextKey(new QLabel(this), 3);
    foldersLabel->setBuddy(folders_);
    layout->addWidget(foldersLabel);
    layout->addWidget(folders_, 1);
    layout->addWidget(MakeOkCancelButtons(this));

    files_->addFiles(files);
    SetTextKey(this, 0);
    ApplyDialogTexts(this, kSection);
}

void DatabaseImportDialog::accept() {
    const std::vector<std::string> paths = files();
    CatalogItem* target = folders_->chosen();
    if (paths.empty() || target == nullptr) {
        document_.prompter().error(Str(19));  // "Please fill out this field correctly."
        (paths.empty() ? static_cast<QWidget*>(files_->list()) : folders_)->setFocus();
        return;
    }
    report_ = {};
    status_ = ImportCatalogFiles(document_, paths, target, &report_);
    if (status_ == EditStatus::Refused)
        reject();
    else
        QDialog::accept();
}

std::vector<std::string> DatabaseImportDialog::AskFiles(QWidget* parent) {
    return AskOpenFiles(parent, ToQString(Str(94)),
                        QString::fromLatin1(kCatalogFileFilter) + QStringLiteral(";;") +
                            AllFilesFilter());
}

EditStatus DatabaseImportDialog::Run(CatalogDocument& document, const CatalogItem* selected,
                                     QWidget* parent) {
    return RunImportCommand(
        document, selected, [parent] { return AskFiles(parent); },
        [&document, parent](std::vector<std::string> files, const CatalogItem* folder) {
            DatabaseImportDialog dialog(document, std::move(files), folder, parent);
            return dialog.exec() == QDialog::Accepted ? dialog.status() : EditStatus::Unchanged;
        });
}

}  // namespace shelfmark
