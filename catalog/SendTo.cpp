#include "catalog/SendTo.h"

#include <filesystem>
#include <system_error>

#include "catalog/CatalogDocument.h"
#include "catalog/EditSupport.h"
#include "catalog/LocateDisk.h"
#include "catalog/MediumPath.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

namespace fs = std::filesystem;

namespace {

// The disk an item lies on, or null for items outside any disk and entries inside archives
// (their bytes are inside the archive file, not on the medium).
CatalogItem* DiskToSendFrom(CatalogItem& item) {
    if (item.isShortcut() || item.archive() != nullptr)
        return nullptr;
    return const_cast<CatalogItem*>(item.disk());
}

bool CopyOne(const fs::path& source, const fs::path& target, std::string& error) {
    std::error_code code;
    if (!fs::exists(source, code)) {
        error = FillPattern(Str(129), "%s", source.string());
        return false;
    }
    if (fs::exists(target, code)) {
        error = "'" + target.string() + "' already exists.";
        return false;
    }
    fs::copy(source, target, fs::copy_options::recursive | fs::copy_options::copy_symlinks, code);
    if (code) {
        error = target.string() + ": " + code.message();
        return false;
    }
    return true;
}

}  // namespace

SendToResult SendToFolder(CatalogDocument& document, std::span<CatalogItem* const> items,
                          const std::string& targetFolder, const std::vector<Volume>& drives,
                          InsertDiskDialog* dialog, const CancelFlag* cancel) {
    SendToResult result;
    Prompter& prompter = document.prompter();
    std::error_code code;
    if (!fs::is_directory(targetFolder, code)) {
        prompter.error(FillPattern(Str(129), "%s", targetFolder));
        result.failed = items.size();
        return result;
    }
    for (CatalogItem* item : items) {
        if (cancel != nullptr && cancel->isSet()) {
            result.cancelled = true;
            break;
        }
        CatalogItem* disk = DiskToSendFrom(*item);
        if (disk == nullptr) {
            prompter.error(Str(81), document.tree().pathText(item, pathmode::Display));
            ++result.failed;
            continue;
        }
        const std::optional<LocatedDisk> located = LocateDisk(document, *disk, drives, dialog);
        if (!located) {
            result.cancelled = true;
            break;
        }
        if (located->catalogReloaded)
            break;  // the items the caller gave are gone with the old tree
        const fs::path source = RealPathOnMedium(*item, located->volume);
        const fs::path target = fs::path(targetFolder) / source.filename();
        std::string error;
        if (CopyOne(source, target, error)) {
            ++result.sent;
        } else {
            prompter.error(error);
            ++result.failed;
        }
    }
    return result;
}

}  // namespace shelfmark
