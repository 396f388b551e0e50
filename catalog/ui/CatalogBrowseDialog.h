// Choosing a folder of the catalog ("Dlg_Browse"): the root and its folders as a tree (disks
// and their contents are no targets), with the command's prompt above it. The desktop program's
// ChooseFolder for move, copy, shortcuts and the read dialog's target folder.
#pragma once

#include <QDialog>

#include "catalog/MoveCopyOperations.h"
#include "catalog/ui/FolderTreeWidget.h"

class QLabel;

namespace shelfmark {

class CatalogBrowseDialog : public QDialog {
    Q_OBJECT
  public:
    // `selected`: the folder to preselect (null: the root).
    CatalogBrowseDialog(const CatalogTree& tree, const std::string& prompt,
                        const CatalogItem* selected = nullptr, QWidget* parent = nullptr);

    FolderTreeWidget* tree() const { return tree_; }
    // Selects the row of `folder`; false when it is not listed.
    bool select(const CatalogItem* folder);
    // The chosen folder, or null.
    CatalogItem* chosen() const;

    // Shows the dialog; null on Cancel.
    static CatalogItem* Choose(const CatalogTree& tree, const std::string& prompt,
                               const CatalogItem* selected, QWidget* parent);
    // The chooser the move, copy and shortcut operations ask.
    static ChooseFolder Chooser(const CatalogTree& tree, QWidget* parent);

  private:
    QLabel* prompt_;
    FolderTreeWidget* tree_;
};

}  // namespace shelfmark
