#include "catalog/PropertiesOperations.h"

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

ItemProperties PropertiesOf(const CatalogItem& item) {
    ItemProperties properties;
    properties.name = std::string(item.name());
    if (const auto description = item.textAttribute(attr::Description))
        properties.description = std::string(*description);
    return properties;
}

EditStatus SetItemProperties(CatalogDocument& document, CatalogItem* item,
                             const ItemProperties& properties) {
    if (properties.name.empty()) {
        document.prompter().error(Str(19));
        return EditStatus::Unchanged;
    }
    const ItemProperties before = PropertiesOf(*item);
    if (before.name == properties.name && before.description == properties.description)
        return EditStatus::Unchanged;
    if (!BeginEdit(document))
        return EditStatus::Refused;
    CatalogItem* const items[] = {item};
    document.recordUndo(UndoKind::AttributeChange, items, MenuText("Dlg_Properties", 0));
    CatalogTree& tree = document.tree();
    if (before.name != properties.name)
        tree.setName(item, properties.name);
    if (properties.description.empty())
        tree.removeAttribute(item, attr::Description);
    else
        tree.setTextAttribute(item, attr::Description, properties.description);
    document.notifyChanged(*item);
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
