#include "catalog/DeleteOperations.h"

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

std::string DeleteQuestion(size_t count, std::string_view oneName) {
    if (count == 1)
        return FillPattern(Str(33), "%s", oneName);
    return FillPattern(Str(32), "%d", std::to_string(count));
}

std::string DeleteQuestion(const CatalogTree& tree, std::span<CatalogItem* const> items) {
    return DeleteQuestion(items.size(), items.size() == 1 ? tree.displayName(items[0], false) : "");
}

EditStatus DeleteItems(CatalogDocument& document, std::span<CatalogItem* const> items,
                       DeleteOptions options) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    const std::vector<CatalogItem*> doomed = KeepKinds(
        document, items, [](const CatalogItem& item) { return item.parent() != nullptr; });
    if (doomed.empty())
        return EndUnchanged(document);
    if (options.askFirst && !document.prompter().askYesNo(DeleteQuestion(document.tree(), doomed)))
        return EndUnchanged(document);
    UndoStep* step = nullptr;
    if (!options.undoable)
        document.clearUndo();
    if (options.undoable) {
        step = &document.recordUndo(UndoKind::Delete, doomed, MenuText("Menu_Item", 3));
        step->ownsItems = true;
    }
    for (size_t i = 0; i < doomed.size(); ++i) {
        CatalogItem* previous = TakeOut(document, doomed[i], options.undoable);
        if (step)
            step->formerPrevious[i] = previous;
    }
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
