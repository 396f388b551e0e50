#include "catalog/CategoryOperations.h"

#include <algorithm>

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

std::optional<CategoryIds> ChosenCategoryIds(std::span<const uint8_t> ticked, Prompter& prompter) {
    CategoryIds ids{};
    if (ticked.size() > ids.size()) {
        prompter.error(LanguageTexts::Instance().text("Dlg_ItemCategories", 2));
        return std::nullopt;
    }
    std::copy(ticked.begin(), ticked.end(), ids.begin());
    return ids;
}

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
