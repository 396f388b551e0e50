#include "catalog/FolderOperations.h"

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

constexpr size_t kVolumeLabelCharacters = 16;

// The first `count` UTF-8 characters of a text.
std::string_view FirstCharacters(std::string_view text, size_t count) {
    size_t at = 0;
    for (size_t seen = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && seen++ == count)
            break;
    }
    return text.substr(0, at);
}

bool HoldsName(const CatalogItem* folder, std::string_view name) {
    for (const CatalogItem* child = folder->firstChild(); child; child = child->next()) {
        if (text::EqualsNoCase(child->name(), name))
            return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> InvalidNameReason(std::string_view name) {
    if (name.empty() || name.find_first_of("\\/") != std::string_view::npos)
        return std::string("A name must not be empty or hold \\ or /.");
    return std::nullopt;
}

EditStatus CreateFolder(CatalogDocument& document, CatalogItem* target,
                        std::optional<std::string> name, CatalogItem** created) {
    CatalogTree& tree = document.tree();
    Prompter& prompter = document.prompter();
    CatalogItem* folder = target->isShortcut() ? tree.resolveShortcut(target, &prompter) : target;
    if (!folder)
        return EditStatus::Unchanged;
    if (!folder->isFolder() || folder->isLocked()) {
        prompter.error(Str(81), tree.pathText(folder, pathmode::Display));
        return EditStatus::Unchanged;
    }
    if (!RoomBelow(document, *folder))
        return EditStatus::Unchanged;
    if (!BeginEdit(document))
        return EditStatus::Refused;
    const std::string label = MenuText("Menu_Item", 0);
    if (!name) {
        name = prompter.askText({MenuLabel(label), Str(73), {}, false});
        if (!name)
            return EndUnchanged(document);
    }
    if (auto reason = InvalidNameReason(*name)) {
        prompter.error(*reason);
        return EndUnchanged(document);
    }
    if (HoldsName(folder, *name)) {
        prompter.error("'" + *name + "' already exists there.",
                       tree.pathText(folder, pathmode::Display));
        return EndUnchanged(document);
    }
    CatalogItem* item = tree.createItem(*name, folder, Sorted, itemflag::Folder);
    item->setDate(DateNow());
    document.recordUndo(UndoKind::Insert, {&item, 1}, label);
    document.notifyInserted(*item);
    document.setModified();
    if (created)
        *created = item;
    return EditStatus::Done;
}

EditStatus AddDiskByName(CatalogDocument& document, CatalogItem* target, const std::string& name,
                         MediaType type, CatalogItem** created) {
    CatalogTree& tree = document.tree();
    CatalogItem* folder = target;
    while (folder && !(folder->isFolder() && !folder->isShortcut()))
        folder = folder->parent();
    if (!folder)
        folder = tree.root();
    if (folder->isLocked() || type == MediaType::None) {
        document.prompter().error(Str(81), tree.pathText(folder, pathmode::Display));
        return EditStatus::Unchanged;
    }
    if (!RoomBelow(document, *folder))
        return EditStatus::Unchanged;
    if (!BeginEdit(document))
        return EditStatus::Refused;
    if (auto reason = InvalidNameReason(name)) {
        document.prompter().error(*reason);
        return EndUnchanged(document);
    }
    CatalogItem* root = tree.root();
    CatalogItem* disk = tree.createItem(name, folder, Sorted, DiskFlags(type));
    disk->setDate(DateNow());
    const uint32_t diskId = root->numberAttribute(attr::DiskId).value_or(1);
    tree.setNumberAttribute(disk, attr::DiskId, diskId);
    tree.setNumberAttribute(root, attr::DiskId, diskId + 1);
    tree.assignDiskNumber(disk);
    tree.removeAttribute(disk, attr::VolumeSerial);
    tree.setTextAttribute(disk, attr::Volume, FirstCharacters(name, kVolumeLabelCharacters));
    document.recordUndo(UndoKind::Insert, {&disk, 1}, MenuText("Menu_Item", 1));
    document.notifyChanged(*root);
    document.notifyInserted(*disk);
    document.setModified();
    if (created)
        *created = disk;
    return EditStatus::Done;
}

}  // namespace shelfmark
