#include "catalog/CategoryOperations.h"

namespace shelfmark {

EditStatus SetItemCategories(CatalogDocument& document, std::span<CatalogItem* const> items,
                             const CategoryIds& ids) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    const std::vector<CatalogItem*> chosen =
        KeepKinds(document, items, [](const CatalogItem&) { return true; });
    if (chosen.empty())
        return EndUnchanged(document);
    const uint32_t value = PackCategoryIds(ids);
    document.recordUndo(UndoKind::AttributeChange, chosen, MenuText("Menu_Item", 10));
    for (CatalogItem* item : chosen) {
        if (value)
            document.tree().setNumberAttribute(item, attr::Categories, value);
        else
            document.tree().removeAttribute(item, attr::Categories);
        document.notifyChanged(*item);
    }
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
