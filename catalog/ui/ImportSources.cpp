#include "catalog/ui/ImportSources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/ui/FolderTreeWidget.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FieldRows.h"

namespace shelfmark {

ImportFileList::ImportFileList(std::function<std::vector<std::string>(QWidget*)> askFiles,
                               int removeKey, QWidget* parent)
    : QWidget(parent), askFiles_(std::move(askFiles)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setMinimumHeight(90);
    row->addWidget(list_, 1);
    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton(DialogText("Dlg_Common", 6), this);
    auto* remove = SetTextKey(new QPushButton(this), removeKey);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    row->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, [this] { addFiles(askFiles_(this)); });
    connect(remove, &QPushButton::clicked, this, [this] { qDeleteAll(list_->selectedItems()); });
}

ImportFileList* AddImportFileList(QBoxLayout* layout,
                                  std::function<std::vector<std::string>(QWidget*)> askFiles) {
    auto* files = new ImportFileList(std::move(askFiles), 2, layout->parentWidget());
    layout->addWidget(MakeBuddyLabel(1, files->list()));
    layout->addWidget(files);
    return files;
}

FolderTreeWidget* AddImportFolderTree(QBoxLayout* layout, const CatalogTree& tree,
                                      const CatalogItem* selected, int labelKey,
                                      int minimumHeight) {
    auto* folders = new FolderTreeWidget(tree, layout->parentWidget());
    folders->setMinimumSize(360, minimumHeight);
    if (selected != nullptr)
        folders->select(selected);
    AddLabelAbove(layout, labelKey, folders, 1);
    return folders;
}

CatalogItem* ChosenImportFolder(CatalogDocument& document, const std::vector<std::string>& paths,
                                const ImportFileList& files, FolderTreeWidget& folders) {
    CatalogItem* target = folders.chosen();
    if (paths.empty() || target == nullptr) {
        document.prompter().error(Str(19));  // "Please fill out this field correctly."
        (paths.empty() ? static_cast<QWidget*>(files.list()) : &folders)->setFocus();
        return nullptr;
    }
    return target;
}

std::vector<std::string> ImportFileList::files() const {
    std::vector<std::string> paths;
    for (int row = 0; row < list_->count(); ++row)
        paths.push_back(ToUtf8(list_->item(row)->data(Qt::UserRole).toString()));
    return paths;
}

void ImportFileList::addFiles(const std::vector<std::string>& files) {
    for (const std::string& path : files) {
        auto* row = new QListWidgetItem(ToQString(path), list_);
        row->setData(Qt::UserRole, ToQString(path));
    }
}

EditStatus RunImportCommand(
    CatalogDocument& document, const CatalogItem* selected,
    const std::function<std::vector<std::string>()>& askFiles,
    const std::function<EditStatus(std::vector<std::string>, const CatalogItem*)>& runDialog) {
    const uint64_t generation = document.treeGeneration();
    if (!document.lockForEditing())
        return EditStatus::Refused;
    if (document.treeGeneration() != generation)
        selected = nullptr;
    EditStatus status = EditStatus::Unchanged;
    if (std::vector<std::string> files = askFiles(); !files.empty())
        status = runDialog(std::move(files), selected);
    document.releaseLock(false);
    return status;
}

}  // namespace shelfmark
