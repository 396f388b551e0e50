#include "catalog/LendOperations.h"

namespace shelfmark {

EditStatus LendDisks(CatalogDocument& document, std::span<CatalogItem* const> items,
                     std::optional<LendRequest> request, const AskLend& ask) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    const std::vector<CatalogItem*> disks = KeepKinds(document, items, [](const CatalogItem& item) {
        return item.isDisk() && !item.isShortcut();
    });
    if (disks.empty())
        return EndUnchanged(document);
    CatalogTree& tree = document.tree();
    if (!request && ask) {
        std::string names = tree.displayName(disks[0], false);
        if (disks.size() > 1)
            names += ", ...";
        const std::string borrower =
            disks.size() == 1 ? std::string(disks[0]->textAttribute(attr::LentTo).value_or(""))
                              : std::string();
        request = ask(names, borrower);
    }
    if (!request)
        return EndUnchanged(document);
    const int32_t date = request->date == -1 ? DateNow() : request->date;
    document.recordUndo(UndoKind::AttributeChange, disks, MenuText("Menu_Item", 7));
    for (CatalogItem* disk : disks) {
        if (request->borrower.empty()) {
            tree.removeAttribute(disk, attr::LentTo);
            tree.removeAttribute(disk, attr::LentDate);
        } else {
            tree.setTextAttribute(disk, attr::LentTo, request->borrower);
            tree.setNumberAttribute(disk, attr::LentDate, uint32_t(date));
        }
        document.notifyChanged(*disk);
    }
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
