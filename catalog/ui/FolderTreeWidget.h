// The catalog's folders as a tree: the root and every folder below it (disks and their contents
// are no targets; locked folders are listed but not entered), the root expanded. The choosers
// of a target folder show it: Browse for Folder, the database import and the import of other
// programs' catalogs.
#pragma once

#include <QTreeWidget>

namespace shelfmark {

class CatalogItem;
class CatalogTree;

class FolderTreeWidget : public QTreeWidget {
    Q_OBJECT
  public:
    // Lists the folders of `tree` with the root current.
    explicit FolderTreeWidget(const CatalogTree& tree, QWidget* parent = nullptr);

    // Makes the row of `folder` current; false when it is not listed.
    bool select(const CatalogItem* folder);
    // The folder of the current row, or null.
    CatalogItem* chosen() const;
};

}  // namespace shelfmark
