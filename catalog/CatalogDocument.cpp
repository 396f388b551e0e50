#include "catalog/CatalogDocument.h"

#include <sys/stat.h>

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"

namespace shelfmark {
namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

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

void CatalogDocument::newCatalog() {
    releaseLock(true);
    tree_.resetToNewCatalog();
    treeReplaced();
    if (hooks_.emptied)
        hooks_.emptied();
    path_.clear();
    stamp_.reset();
    setModified(false);
    if (hooks_.opened)
        hooks_.opened();
}

bool CatalogDocument::loadFile(const std::string& path) {
    tree_.resetToNewCatalog();
    if (hooks_.emptied)
        hooks_.emptied();
    path_.clear();
    stamp_.reset();
    modified_ = false;
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
    stamp_ = result.stamp;
    nameRootAfterFile();
    if (hooks_.opened)
        hooks_.opened();
    return true;
}

bool CatalogDocument::openCatalogFile(const std::string& path) {
    releaseLock(true);
    return loadFile(path);
}

void CatalogDocument::lockRefused(const std::string& path, const std::string& reason) {
    prompter_.error(Str(137) + "\n'" + path + "'" + (reason.empty() ? "" : ": " + reason));
}

bool CatalogDocument::save(const std::string& path, Replace replace) {
    // The file that is replaced stays locked until the new one is in place.
    FileLock targetLock;
    if (!path_.empty() && path == path_) {
        if (!lockForEditing())
            return false;
    } else if (replace == Replace::Allowed && IsRegularFile(path)) {
        std::string reason;
        if (!targetLock.acquire(path, &reason)) {
            lockRefused(path, reason);
            return false;
        }
    }
    std::string error;
    std::optional<FileStamp> written;
    if (!SaveCatalogTo(path, tree_, &error, &written, replace)) {
        prompter_.error(Str(102) + "\n" + error);
        return false;
    }
    releaseLock(true);
    path_ = path;
    stamp_ = written;
    nameRootAfterFile();
    setModified(false);
    return true;
}

bool CatalogDocument::saveCatalogFile(const std::string& path) {
    return save(path, Replace::Allowed);
}

bool CatalogDocument::createCatalogFile(const std::string& path) {
    return save(path, Replace::Never);
}

bool CatalogDocument::exportSelection(std::span<const CatalogItem* const> items,
                                      const std::string& path, bool replaceExisting) {
    FileLock targetLock;
    if (const std::optional<FileStamp> target = StampOfFile(path)) {
        if (stamp_ && target->sameFile(*stamp_)) {
            prompter_.error(Str(102) + "\n'" + path +
                            "' is the catalog the items are exported from.");
            return false;
        }
        std::string reason;
        if (IsRegularFile(path) && !targetLock.acquire(path, &reason)) {
            lockRefused(path, reason);
            return false;
        }
        if (!replaceExisting) {
            prompter_.error(Str(102) + "\n'" + path + "' already exists.");
            return false;
        }
    }
    std::string error;
    if (!SaveSelectionTo(path, items, &error, nullptr, &tree_)) {
        prompter_.error(Str(102) + "\n" + error);
        return false;
    }
    return true;
}

bool CatalogDocument::lockForEditing() {
    if (path_.empty() || lock_.held())
        return true;
    std::string reason;
    if (!lock_.acquire(path_, &reason)) {
        lockRefused(path_, reason);
        return false;
    }
    // The locked file is the one the path names now; it must be the one that was read.
    if (lock_.stamp() && lock_.stamp() == stamp_)
        return true;
    if (!prompter_.askYesNo(Str(138))) {
        lock_.release();
        return false;
    }
    // Nobody else can replace the file while we hold its lock: read it again under the lock.
    const std::string path = path_;
    if (!loadFile(path)) {
        lock_.release();
        return false;
    }
    if (lock_.stamp() != stamp_) {
        lock_.release();
        lockRefused(path, "the file changed while it was read");
        return false;
    }
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
