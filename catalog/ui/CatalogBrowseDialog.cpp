#include "catalog/ui/CatalogBrowseDialog.h"

#include <QLabel>
#include <QVBoxLayout>

#include "catalog/CatalogTree.h"
#include "catalog/ui/FolderTreeWidget.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

CatalogBrowseDialog::CatalogBrowseDialog(const CatalogTree& tree, const std::string& prompt,
                                         const CatalogItem* selected, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Dlg_Browse"));
    auto* layout = new QVBoxLayout(this);
    prompt_ = new QLabel(ToQString(prompt), this);
    prompt_->setWordWrap(true);
    tree_ = new FolderTreeWidget(tree, this);
    tree_->setMinimumSize(300, 300);
    layout->addWidget(prompt_);
    layout->addWidget(tree_);
    layout->addWidget(MakeOkCancelButtons(this));
    if (selected != nullptr)
        tree_->select(selected);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_Browse");
}

bool CatalogBrowseDialog::select(const CatalogItem* folder) {
    return tree_->select(folder);
}

CatalogItem* CatalogBrowseDialog::chosen() const {
    return tree_->chosen();
}

CatalogItem* CatalogBrowseDialog::Choose(const CatalogTree& tree, const std::string& prompt,
                                         const CatalogItem* selected, QWidget* parent) {
    CatalogBrowseDialog dialog(tree, prompt, selected, parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return dialog.chosen();
}

ChooseFolder CatalogBrowseDialog::Chooser(const CatalogTree& tree, QWidget* parent) {
    return [&tree, parent](const std::string& prompt) {
        return Choose(tree, prompt, nullptr, parent);
    };
}

}  // namespace shelfmark
