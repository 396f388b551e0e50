#include "catalog/ui/DatabaseImportDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
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
    files_ = new QListWidget(this);
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    files_->setMinimumHeight(90);
    auto* filesLabel = SetTextKey(new QLabel(this), 1);
    filesLabel->setBuddy(files_);
    layout->addWidget(filesLabel);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(files_, 1);
    auto* fileButtons = new QVBoxLayout;
    auto* add = new QPushButton(DialogText("Dlg_Common", 6), this);
    auto* remove = SetTextKey(new QPushButton(this), 2);
    fileButtons->addWidget(add);
    fileButtons->addWidget(remove);
    fileButtons->addStretch(1);
    fileRow->addLayout(fileButtons);
    layout->addLayout(fileRow);

    folders_ = new FolderTreeWidget(document.tree(), this);
    folders_->setMinimumSize(360, 220);
    if (selected != nullptr)
        folders_->select(selected);
    auto* foldersLabel = SetTextKey(new QLabel(this), 3);
    foldersLabel->setBuddy(folders_);
    layout->addWidget(foldersLabel);
    layout->addWidget(folders_, 1);
    layout->addWidget(MakeOkCancelButtons(this));

    connect(add, &QPushButton::clicked, this, [this] { addFiles(AskFiles(this)); });
    connect(remove, &QPushButton::clicked, this, [this] { qDeleteAll(files_->selectedItems()); });
    addFiles(files);
    SetTextKey(this, 0);
    ApplyDialogTexts(this, kSection);
}

std::vector<std::string> DatabaseImportDialog::files() const {
    std::vector<std::string> paths;
    for (int row = 0; row < files_->count(); ++row)
        paths.push_back(ToUtf8(files_->item(row)->data(Qt::UserRole).toString()));
    return paths;
}

void DatabaseImportDialog::addFiles(const std::vector<std::string>& files) {
    for (const std::string& path : files) {
        auto* row = new QListWidgetItem(ToQString(path), files_);
        row->setData(Qt::UserRole, ToQString(path));
    }
}

void DatabaseImportDialog::accept() {
    const std::vector<std::string> paths = files();
    CatalogItem* target = folders_->chosen();
    if (paths.empty() || target == nullptr) {
        document_.prompter().error(Str(19));  // "Please fill out this field correctly."
        (paths.empty() ? static_cast<QWidget*>(files_) : folders_)->setFocus();
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
    const uint64_t generation = document.treeGeneration();
    if (!document.lockForEditing())
        return EditStatus::Refused;
    // Taking the lock may have reloaded the file, replacing every item: then `selected` is gone
    // and the dialog starts at the root.
    if (document.treeGeneration() != generation)
        selected = nullptr;
    EditStatus status = EditStatus::Unchanged;
    if (std::vector<std::string> files = AskFiles(parent); !files.empty()) {
        DatabaseImportDialog dialog(document, std::move(files), selected, parent);
        if (dialog.exec() == QDialog::Accepted)
            status = dialog.status();
    }
    document.releaseLock(false);
    return status;
}

}  // namespace shelfmark
