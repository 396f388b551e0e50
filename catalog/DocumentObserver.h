// What a view of the catalog learns from the document: every change an operation or an undo
// makes, as it happens, so that tree and list views and search results update incrementally.
//
// Removal and move come in two calls: the first while the item is still where it was (a view
// finds its row), the second after the tree changed. A notification about an item stands for
// its whole subtree. After itemRemoved the item may already be freed: use the pointer only to
// drop what the view keeps for it. After reset every item a view holds is gone.
#pragma once

namespace shelfmark {

class CatalogItem;

class DocumentObserver {
  public:
    virtual ~DocumentObserver() = default;

    // The item is now linked under its parent.
    virtual void itemInserted(CatalogItem& item) { (void)item; }
    // The item (still linked) is about to leave the tree.
    virtual void itemRemoving(CatalogItem& item) { (void)item; }
    // The item left the tree; formerParent is where it was (nullptr: the top level).
    virtual void itemRemoved(CatalogItem* item, CatalogItem* formerParent) {
        (void)item;
        (void)formerParent;
    }
    // The item (still under its old parent) is about to move under newParent.
    virtual void itemMoving(CatalogItem& item, CatalogItem* newParent) {
        (void)item;
        (void)newParent;
    }
    // The item moved from formerParent to its present parent.
    virtual void itemMoved(CatalogItem& item, CatalogItem* formerParent) {
        (void)item;
        (void)formerParent;
    }
    // The item's own fields (name, flags, size, date, attributes) changed.
    virtual void itemChanged(CatalogItem& item) { (void)item; }
    // The whole tree was replaced (new catalog, open, reload): every item reference is invalid.
    virtual void reset() {}
    // The modified flag changed to `modified`.
    virtual void modifiedChanged(bool modified) { (void)modified; }
};

}  // namespace shelfmark
