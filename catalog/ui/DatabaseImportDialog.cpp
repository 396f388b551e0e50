#include "catalog/ui/DatabaseImportDialog.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/ui/CatalogFileDialogs.h"
#include "catalog/ui/FolderTreeWidget.h"
#include "foundation/LanguageTexts.h"
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
    files_ = AddImportFileList(layout, AskFiles);
    folders_ = AddImportFolderTree(layout, document.tree(), selected, 3, 220);
    layout->addWidget(MakeOkCancelButtons(this));

    files_->addFiles(files);
    SetTextKey(this, 0);
    ApplyDialogTexts(this, kSection);
}

void DatabaseImportDialog::accept() {
    const std::vector<std::string> paths = files();
    CatalogItem* target = ChosenImportFolder(document_, paths, *files_, *folders_);
    if (target == nullptr)
        return;
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
