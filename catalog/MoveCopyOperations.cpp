#include "catalog/MoveCopyOperations.h"

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

namespace {

bool MovableKind(const CatalogItem& item) {
    return item.parent() && (item.isFolder() || item.isDisk() || item.isShortcut());
}

// The folder the items go to: the given target or the chosen one, shortcuts resolved. Null
// (reported when it is no folder) ends the command.
CatalogItem* TargetFolder(CatalogDocument& document, CatalogItem* target,
                          const ChooseFolder& choose) {
    if (!target && choose)
        target = choose(Str(98));
    if (!target)
        return nullptr;
    CatalogTree& tree = document.tree();
    CatalogItem* folder =
        target->isShortcut() ? tree.resolveShortcut(target, &document.prompter()) : target;
    if (folder && (!folder->isFolder() || folder->isShortcut() || folder->isLocked())) {
        document.prompter().error(Str(81), tree.pathText(folder, pathmode::Display));
        return nullptr;
    }
    if (folder && !RoomBelow(document, *folder))
        return nullptr;
    return folder;
}

}  // namespace

EditStatus MoveToFolder(CatalogDocument& document, std::span<CatalogItem* const> items,
                        CatalogItem* target, const ChooseFolder& choose) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    std::vector<CatalogItem*> moving = KeepKinds(document, items, MovableKind);
    CatalogItem* folder = moving.empty() ? nullptr : TargetFolder(document, target, choose);
    if (!folder)
        return EndUnchanged(document);
    // An item that holds the target stays where it is.
    std::erase_if(moving, [folder](const CatalogItem* item) { return Contains(item, folder); });
    // An item whose contents would end below the deepest level stays too (reported).
    std::erase_if(moving, [&document, folder](const CatalogItem* item) {
        return !RoomBelow(document, *folder, 1 + LevelsBelow(*item));
    });
    if (moving.empty())
        return EndUnchanged(document);
    UndoStep& step = document.recordUndo(UndoKind::Move, moving, MenuText("Menu_Item", 5));
    for (size_t i = 0; i < moving.size(); ++i) {
        step.formerPrevious[i] = PreviousSibling(document.tree(), moving[i]);
        MoveWithSizes(document, moving[i], folder, Sorted);
    }
    document.setModified();
    return EditStatus::Done;
}

EditStatus CopyToFolder(CatalogDocument& document, std::span<CatalogItem* const> items,
                        CatalogItem* target, const ChooseFolder& choose,
                        std::vector<CatalogItem*>* copies) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    const std::vector<CatalogItem*> sources = KeepKinds(document, items, MovableKind);
    CatalogItem* folder = sources.empty() ? nullptr : TargetFolder(document, target, choose);
    if (!folder)
        return EndUnchanged(document);
    CatalogTree& tree = document.tree();
    std::vector<CatalogItem*> made;
    for (CatalogItem* source : sources) {
        CatalogItem* copy = tree.copyItem(source, folder, Last);
        if (!source->isLocked())
            CopyChildren(tree, source, copy, true, copy);
        if (CarriesFolderSize(*copy))
            tree.addToFolderSizes(folder, int64_t(copy->size()));
        made.push_back(copy);
    }
    document.recordUndo(UndoKind::Insert, made, MenuText("Menu_Item", 4));
    for (CatalogItem* copy : made)
        document.notifyInserted(*copy);
    document.setModified();
    if (copies)
        *copies = std::move(made);
    return EditStatus::Done;
}

EditStatus CreateShortcuts(CatalogDocument& document, std::span<CatalogItem* const> items,
                           CatalogItem* target, bool addShortcutTo, const ChooseFolder& choose,
                           std::vector<CatalogItem*>* shortcuts) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    CatalogItem* folder = items.empty() ? nullptr : TargetFolder(document, target, choose);
    if (!folder)
        return EndUnchanged(document);
    CatalogTree& tree = document.tree();
    const std::string prefix = addShortcutTo ? Str(198) + " " : std::string();
    std::vector<CatalogItem*> made;
    for (CatalogItem* item : items) {
        const CatalogItem* final =
            item->isShortcut() ? tree.resolveShortcut(item, &document.prompter()) : item;
        if (!final)
            continue;
        const uint16_t flags = uint16_t((final->flags() & ~itemflag::Unseen) | itemflag::Shortcut);
        CatalogItem* shortcut =
            tree.createItem(prefix + tree.displayName(final, false), folder, Sorted, flags);
        tree.setTextAttribute(shortcut, attr::ShortcutTarget,
                              tree.pathText(final, pathmode::Reference));
        shortcut->setDate(DateNow());
        made.push_back(shortcut);
    }
    if (made.empty())
        return EndUnchanged(document);
    document.recordUndo(UndoKind::Insert, made, MenuText("Menu_Item", 6));
    for (CatalogItem* shortcut : made)
        document.notifyInserted(*shortcut);
    document.setModified();
    if (shortcuts)
        *shortcuts = std::move(made);
    return EditStatus::Done;
}

}  // namespace shelfmark
