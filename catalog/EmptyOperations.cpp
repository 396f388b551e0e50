#include "catalog/EmptyOperations.h"

#include "catalog/TreeWalk.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

namespace {

// The undo step's copy takes over the item's children; the item gets copies of them. Older
// steps keep pointing at the originals, which undo puts back.
void HandChildrenToCopy(CatalogDocument& document, CatalogItem* item, CatalogItem* copy) {
    CatalogTree& tree = document.tree();
    CatalogItem* previous = nullptr;
    while (CatalogItem* child = item->firstChildIgnoringLock()) {
        document.notifyRemoving(*child);
        tree.moveItem(child, copy, previous ? previous : First);
        document.notifyRemoved(child, item);
        previous = child;
    }
    CopyChildren(tree, copy, item, false);
    for (CatalogItem* child = item->firstChildIgnoringLock(); child; child = child->next())
        document.notifyInserted(*child);
}

bool Empties(const CatalogItem& item, EmptyWhat what) {
    if (item.isShortcut() || item.isLocked())
        return false;
    return what == EmptyWhat::Archives ? item.isArchive() : item.isDisk();
}

void EmptyOne(CatalogDocument& document, CatalogItem* item, EmptyWhat what) {
    CatalogTree& tree = document.tree();
    while (CatalogItem* child = item->firstChildIgnoringLock()) {
        document.notifyRemoving(*child);
        tree.removeItem(child, false);
        document.notifyRemoved(child, item);
    }
    if (what == EmptyWhat::Archives)
        item->setFlags(uint16_t(item->flags() & ~itemflag::Archive));
    document.notifyChanged(*item);
}

}  // namespace

EditStatus EmptyItems(CatalogDocument& document, std::span<CatalogItem* const> items,
                      EmptyWhat what, bool askFirst) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    std::vector<CatalogItem*> selected =
        KeepKinds(document, items, [](const CatalogItem&) { return true; });
    // An item inside another selected one is emptied with it.
    std::erase_if(selected, [&](const CatalogItem* item) {
        for (const CatalogItem* other : selected) {
            if (other != item && Contains(other, item))
                return true;
        }
        return false;
    });
    if (selected.empty())
        return EndUnchanged(document);
    if (askFirst && !document.prompter().askYesNo(Str(what == EmptyWhat::Archives ? 187 : 199)))
        return EndUnchanged(document);
    UndoStep& step =
        document.recordUndo(UndoKind::SubtreeReplacement, selected,
                            MenuText("Menu_Item", what == EmptyWhat::Archives ? 8 : 9));
    for (size_t i = 0; i < selected.size(); ++i)
        HandChildrenToCopy(document, selected[i], step.copies[i]);
    auto enter = [](const CatalogItem& item) {
        return !item.isShortcut() && !item.isLocked() && (item.isFolder() || item.isDirectory());
    };
    for (CatalogItem* item : selected) {
        if (Empties(*item, what)) {
            EmptyOne(document, item, what);
            continue;
        }
        if (!enter(*item))
            continue;
        WalkBelow(item, enter, [&](CatalogItem& inner) {
            if (Empties(inner, what))
                EmptyOne(document, &inner, what);
            return true;
        });
    }
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
