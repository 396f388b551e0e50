#include "catalog/CatalogDocument.h"

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"

namespace shelfmark {

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CatalogDocument::CatalogDocument(Prompter& prompter) : prompter_(prompter) {
    tree_.resetToNewCatalog();
}

CatalogDocument::~CatalogDocument() = default;

std::string CatalogDocument::title() const {
    return path_.empty() ? std::string("Untitled") : FileNameOf(path_);
}

void CatalogDocument::nameRootAfterFile() {
    if (tree_.root() && !path_.empty())
        tree_.setName(tree_.root(), FileNameOf(path_));
}

void CatalogDocument::rememberStamp() {
    stamp_ = StampOfFile(path_);
}

void CatalogDocument::newCatalog() {
    releaseLock(true);
    tree_.resetToNewCatalog();
    treeReplaced();
    if (hooks_.emptied)
        hooks_.emptied();
    path_.clear();
    stamp_.reset();
    setModified(false);
}

bool CatalogDocument::openCatalogFile(const std::string& path) {
    newCatalog();
    CatalogReadOptions options;
    options.showConvertHint = showConvertHint_;
    options.progress = hooks_.progress;
    options.unlockProtected = hooks_.unlockProtected;
    const CatalogReadResult result = ReadCatalogFile(path, tree_, prompter_, options);
    showConvertHint_ = result.showConvertHint;
    if (result.status == CatalogReadStatus::CannotOpen) {
        prompter_.error("Cannot open the file '" + path + "': " + result.systemError);
        tree_.resetToNewCatalog();
    }
    treeReplaced();
    if (!result.ok())
        return false;
    path_ = path;
    nameRootAfterFile();
    rememberStamp();
    if (hooks_.opened)
        hooks_.opened();
    return true;
}

bool CatalogDocument::saveCatalogFile(const std::string& path) {
    // Never write over a catalog that another process is changing.
    if (!(lock_.held() && path == path_) && IsFileLockedByOther(path)) {
        prompter_.error(Str(137));
        return false;
    }
    std::string error;
    if (!SaveCatalogTo(path, tree_, &error)) {
        prompter_.error(Str(102), error);
        return false;
    }
    releaseLock(true);
    path_ = path;
    rememberStamp();
    nameRootAfterFile();
    setModified(false);
    return true;
}

bool CatalogDocument::exportSelection(std::span<const CatalogItem* const> items,
                                      const std::string& path) {
    std::string error;
    if (!SaveSelectionTo(path, items, &error)) {
        prompter_.error(Str(102), error);
        return false;
    }
    return true;
}

bool CatalogDocument::lockForEditing() {
    if (path_.empty() || lock_.held())
        return true;
    if (!lock_.acquire(path_)) {
        prompter_.error(Str(137));
        return false;
    }
    if (lock_.stamp() != stamp_) {
        if (!prompter_.askYesNo(Str(138))) {
            lock_.release();
            return false;
        }
        lock_.release();
        const std::string path = path_;
        if (!openCatalogFile(path))
            return false;
        if (!lock_.acquire(path_)) {
            prompter_.error(Str(137));
            return false;
        }
    }
    stamp_ = lock_.stamp();
    return true;
}

void CatalogDocument::releaseLock(bool force) {
    if (modified_ && !force)
        return;
    lock_.release();
}

bool CatalogDocument::saveModified() {
    if (!modified_)
        return true;
    switch (prompter_.askYesNoCancel(ReplacePlaceholders(Str(131), {title()}))) {
        case PromptAnswer::Yes: {
            std::string path = path_;
            if (path.empty()) {
                std::optional<std::string> chosen =
                    hooks_.askSavePath ? hooks_.askSavePath() : std::nullopt;
                if (!chosen)
                    return false;
                path = *chosen;
            }
            return saveCatalogFile(path);
        }
        case PromptAnswer::No:
            setModified(false);
            releaseLock(true);
            return true;
        default:
            return false;
    }
}

}  // namespace shelfmark
