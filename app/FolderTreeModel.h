// The folder tree of the main window: the catalog root and every container below it (folders,
// disks, directories, archives) in tree order, modelled after Qt's "Simple Tree Model" with the
// item pointer as the index's internal pointer.
//
// Rows are built per container on first use (a folder of 100,000 files costs one pass when it
// is expanded, nothing before), and kept current from the document's change notifications with
// the matching begin/end row calls: a change never resets the model, so expanded branches and
// the selection survive. Items below a locked protected container are not shown (its children
// read as none) until it is unlocked.
#pragma once

#include <QAbstractItemModel>
#include <unordered_map>
#include <vector>

#include "catalog/DocumentObserver.h"

namespace shelfmark {

class CatalogDocument;
class CatalogItem;
class ItemIcons;

struct TreeDisplay {
    bool showTreeDiskId = false;  // bShowTreeDiskID: "%s [%04u]" for disks
    bool showItemColors = true;   // bShowItemColors
};

class FolderTreeModel : public QAbstractItemModel, private DocumentObserver {
    Q_OBJECT
  public:
    FolderTreeModel(CatalogDocument& document, const ItemIcons& icons, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    CatalogItem* itemAt(const QModelIndex& index) const;
    // The index of a container shown in the tree (its ancestors' rows are built as needed);
    // invalid for an item the tree does not show.
    QModelIndex indexOf(const CatalogItem* item) const;

    // The tree is being replaced (emptied, a file being read): the model shows nothing and
    // touches no item until the document's reset says the new tree is complete. Prompts shown
    // while a file is read run event loops that repaint the views.
    void detach();
    // Shows the document's tree again (after a new catalog, whose reset comes before emptying).
    void attach() { reset(); }

    void setDisplay(const TreeDisplay& display);
    // The display name with the Disk ID when that is switched on.
    QString labelOf(const CatalogItem& item) const;

  signals:
    // A drop of catalog items onto a container: the window runs the move, copy or shortcut.
    void itemsDropped(const QMimeData* data, Qt::DropAction action, CatalogItem* target);

  private:
    struct Rows {
        std::vector<CatalogItem*> items;
    };
    // Children of `parent` (nullptr: the top level) that the tree shows.
    std::vector<CatalogItem*> shownChildren(const CatalogItem* parent) const;
    Rows& rowsOf(const CatalogItem* parent) const;
    int rowIn(const CatalogItem* item) const;
    void forgetBelow(const CatalogItem* item);
    // Brings the cached rows of `parent` up to date with one removal and one insertion of all
    // rows (for changes of visibility such as a lock or unlock).
    void refreshRows(CatalogItem* parent);

    void itemInserted(CatalogItem& item) override;
    void itemRemoving(CatalogItem& item) override;
    void itemMoving(CatalogItem& item, CatalogItem* newParent) override;
    void itemMoved(CatalogItem& item, CatalogItem* formerParent) override;
    void itemChanged(CatalogItem& item) override;
    void reset() override;

    void insertShown(CatalogItem& item);
    void removeShown(CatalogItem& item);

    CatalogDocument& document_;
    const ItemIcons& icons_;
    TreeDisplay display_;
    bool detached_ = false;
    // Keyed by the parent item (nullptr for the top level); built on first use.
    mutable std::unordered_map<const CatalogItem*, Rows> rows_;
};

}  // namespace shelfmark
