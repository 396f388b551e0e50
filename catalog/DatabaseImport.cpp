#include "catalog/DatabaseImport.h"

#include "catalog/CatalogFile.h"
#include "catalog/TreeWalk.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

namespace {

// The imported root's protection goes: the names below it were decrypted when it was unlocked,
// so only their encrypted copies are left to drop. A nested protected item keeps what lies
// below it (its own password covers that), but its own name was encrypted with the root's.
void DropRootProtection(CatalogTree& tree, CatalogItem* importFolder) {
    auto enter = [](const CatalogItem& item) { return !item.isProtected(); };
    WalkBelow(importFolder, enter, [&tree](CatalogItem& item) {
        tree.removeAttribute(&item, attr::EncryptedName);
        return true;
    });
}

void WarnTooDeep(CatalogDocument& document, const std::string& path) {
    document.prompter().warning("Items of '" + path + "' that would lie more than " +
                                std::to_string(kMaxFileLevels) +
                                " levels below the top of the catalog are not imported.");
}

// Puts what a 3.0 file held into the target; false throws it away (its root stayed locked).
bool PlaceImported(CatalogDocument& document, CatalogItem* importFolder, CatalogItem* target,
                   const std::string& path) {
    CatalogTree& tree = document.tree();
    if (importFolder->isLocked())
        return false;
    if (importFolder->isProtected())
        DropRootProtection(tree, importFolder);
    if (RemoveItemsTooDeep(tree, importFolder, DepthBelowRoot(*target)) > 0)
        WarnTooDeep(document, path);
    while (CatalogItem* child = importFolder->firstChildIgnoringLock())
        tree.moveItemKeepingSizes(child, target);
    return true;
}

// Items of an old-format file are already under the target, in file order.
void SettleOldFormat(CatalogDocument& document, std::span<CatalogItem* const> items,
                     CatalogItem* target, const std::string& path) {
    CatalogTree& tree = document.tree();
    size_t removed = 0;
    for (CatalogItem* item : items) {
        removed += RemoveItemsTooDeep(tree, item);
        if (CarriesFolderSize(*item))
            tree.addToFolderSizes(target, int64_t(item->size()));
    }
    if (removed > 0)
        WarnTooDeep(document, path);
}

}  // namespace

CatalogItem* ImportTargetFolder(CatalogDocument& document, CatalogItem* target) {
    CatalogTree& tree = document.tree();
    CatalogItem* folder =
        target->isShortcut() ? tree.resolveShortcut(target, &document.prompter()) : target;
    if (!folder)
        return nullptr;
    if (!folder->isFolder() || folder->isShortcut() || folder->isLocked()) {
        document.prompter().error(Str(81), tree.pathText(folder, pathmode::Display));
        return nullptr;
    }
    return RoomBelow(document, *folder) ? folder : nullptr;
}

EditStatus ImportCatalogFiles(CatalogDocument& document, std::span<const std::string> files,
                              CatalogItem* target, ImportReport* report) {
    ImportReport local;
    ImportReport& out = report ? *report : local;
    if (!BeginEdit(document))
        return EditStatus::Refused;
    CatalogItem* folder = target ? ImportTargetFolder(document, target) : nullptr;
    if (!folder || files.empty())
        return EndUnchanged(document);

    for (const std::string& path : files) {
        CatalogReadOptions options;
        options.importTarget = folder;
        options.importName = FileNameOf(path);
        options.showConvertHint = document.showConvertHint();
        options.progress = document.hooks().progress;
        options.unlockProtected = document.hooks().unlockProtected;
        options.placeImported = [&](CatalogTree&, CatalogItem* importFolder) {
            return PlaceImported(document, importFolder, folder, path);
        };
        const CatalogReadResult result =
            ReadCatalogFile(path, document.tree(), document.prompter(), options);
        document.setShowConvertHint(result.showConvertHint);
        if (result.status == CatalogReadStatus::CannotOpen) {
            out.unreadable.emplace_back(path, result.systemError);
            continue;
        }
        if (result.status == CatalogReadStatus::Discarded) {
            out.passwordNotGiven = path;
            break;
        }
        if (!result.ok()) {
            out.rejected.push_back(path);
            continue;
        }
        if (result.version < kCatalogVersion)
            SettleOldFormat(document, result.imported, folder, path);
        out.imported.insert(out.imported.end(), result.imported.begin(), result.imported.end());
    }

    if (out.imported.empty())
        return EndUnchanged(document);
    document.recordUndo(UndoKind::Insert, out.imported, Str(94));
    for (CatalogItem* item : out.imported)
        document.notifyInserted(*item);
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
