// The open catalog as a document: the tree, its file, the modified flag and the edit lock.
// This is the window-free core of the desktop program's document; the command-line tool uses it
// as it is. Every message and question goes through the Prompter.
//
// Editing discipline for every command that changes the catalog:
//     if (!document.lockForEditing()) return;   // refused: nothing has changed
//     ... record an undo step, change document.tree() ...
//     document.setModified();
// The lock is held from the first change until the catalog is saved, discarded or closed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogTree.h"
#include "catalog/DocumentObserver.h"
#include "catalog/FileLock.h"
#include "catalog/UndoStep.h"

namespace shelfmark {

class Prompter;

class CatalogDocument {
  public:
    // Hooks other subsystems fill in; each may be left empty.
    struct Hooks {
        // The catalog was emptied (new or before a file is read): drop the undo steps.
        std::function<void()> emptied;
        // After a file was read: unlock protected items or leave them locked.
        std::function<void(CatalogTree&, CatalogItem* scope)> unlockProtected;
        // After a file was opened or a new catalog made: load the category and
        // extra-information definitions.
        std::function<void()> opened;
        // Loading progress (records read, records in the file), at most 1000 calls.
        std::function<void(uint64_t done, uint64_t total)> progress;
        // A catalog without a file is to be saved: the path to save it as, nothing to cancel.
        std::function<std::optional<std::string>()> askSavePath;
    };

    explicit CatalogDocument(Prompter& prompter);
    ~CatalogDocument();
    CatalogDocument(const CatalogDocument&) = delete;
    CatalogDocument& operator=(const CatalogDocument&) = delete;

    CatalogTree& tree() { return tree_; }
    const CatalogTree& tree() const { return tree_; }
    Prompter& prompter() { return prompter_; }
    Hooks& hooks() { return hooks_; }

    // The catalog file, empty for a new catalog without one.
    const std::string& path() const { return path_; }
    // The file's name after the last "/", or "Untitled" without a file.
    std::string title() const;
    bool isModified() const { return modified_; }
    // Observers hear of every change of the flag.
    void setModified(bool modified = true);

    // The `ShowConvertHint` setting (section Settings); the reader raises it when the user
    // ticks the old-format hint's box.
    int showConvertHint() const { return showConvertHint_; }
    void setShowConvertHint(int value) { showConvertHint_ = value; }

    // A new catalog: lock released, tree emptied with a fresh root, no file, not modified.
    void newCatalog();
    // OpenCatalogFile: releases the lock, empties the catalog and reads the file. On success the
    // root is named after the file and the file is remembered as it was read (its identity,
    // size and time, taken from the descriptor the bytes came from). A rejected file leaves a
    // new, empty catalog (the reader has shown why).
    bool openCatalogFile(const std::string& path);
    // SaveCatalogFile: writes the catalog to `path` through a temporary file in the same
    // directory that is renamed over it. The file being replaced is held locked meanwhile: the
    // document's own file under its edit lock (taken first when not yet held, with the reload
    // question when the file changed since it was read), another file under a lock of its own,
    // so a file another process is changing is never written over. On failure "Cannot open
    // file for writing." is shown with the file and the reason, the old file is untouched and
    // the catalog stays modified (and locked). On success the document takes the path, the root
    // is named after the file, the written file is remembered and the lock is given back.
    bool saveCatalogFile(const std::string& path);
    // Writes the catalog to `path` only when no file is there yet, decided in one step of the
    // file system; otherwise, or on failure, shows why and answers false. Then as a save.
    bool createCatalogFile(const std::string& path);
    // ExportSelection: writes the items with their subtrees as a new catalog file. Refused with
    // a message: a target that is this catalog's own file (also under another name), a target
    // another process holds locked, and an existing target unless `replaceExisting`.
    bool exportSelection(std::span<const CatalogItem* const> items, const std::string& path,
                         bool replaceExisting = false);

    // LockForEditing: whether a change may go ahead. Without a file, or with the lock held: yes.
    // Otherwise the file is locked; when that fails "Cannot lock the file for changes..." is
    // shown and the change is refused. When the locked file is not the one that was read, or it
    // changed since (another process saved it), the reload question is asked: No refuses (lock
    // released), Yes reloads the file under the lock and goes on. A caller that answers Yes must
    // find the items it changes again after this call: a reload replaces every item.
    bool lockForEditing();
    // ReleaseLock: gives the lock back; without force only while there are no unsaved changes.
    void releaseLock(bool force);
    bool lockHeld() const { return lock_.held(); }
    // The file as it was last read or written by this document; nothing without a file.
    const std::optional<FileStamp>& stamp() const { return stamp_; }

    // The "Save changes to %1?" step before the catalog is closed or replaced: true when the
    // caller may go on (saved, discarded, or nothing to save); false when the user cancelled
    // or the save failed.
    bool saveModified();

    // ---- Undo, change notifications (DocumentUndo.cpp) ----------------------------------------
    // Catalog operations (the *Operations.h files) follow the editing discipline through these:
    // lock, recordUndo, change the tree, notify*, setModified.

    // What undoing needs from the password and definitions code.
    struct UndoHooks {
        // The root's category or extra-information definitions were put back: reload them.
        std::function<void()> reloadDefinitions;
        // Undo of SetPassword: unlock the item with the password and remove its protection.
        std::function<bool(CatalogItem* item, const std::string& password)> removeProtection;
        // Undo of RemovePassword: protect the item again, encrypting names when asked.
        std::function<bool(CatalogItem* item, const std::string& password, bool encryptNames)>
            protect;
    };
    UndoHooks& undoHooks() { return undoHooks_; }

    // RecordUndo: appends a step for `items`, saving by kind what undoing needs: the parents
    // (Delete, Move), the names (Rename), detached copies without children (AttributeChange,
    // SubtreeReplacement: the caller gives each copy the item's former children). The oldest
    // step is freed when there are kMaxUndoSteps already. The caller fills the rest of the step
    // (password, nameWasEncrypted, ownsItems) before it changes the tree.
    UndoStep& recordUndo(UndoKind kind, std::span<CatalogItem* const> items,
                         std::optional<std::string_view> label);
    size_t undoStepCount() const { return undoSteps_.size(); }
    // Frees every step (and what it owns): for a change that older steps could not survive,
    // such as freeing items without recording it.
    void clearUndo();
    // The step Undo would revert, or null.
    const UndoStep* newestUndoStep() const {
        return undoSteps_.empty() ? nullptr : undoSteps_.back().get();
    }

    enum class UndoResult { Done, NothingToUndo, Refused, Cancelled };
    // Undo: reverts the newest step and frees it, then marks the catalog modified. The lock is
    // taken first (Refused: nothing changed). Undoing an insert deletes the inserted items and
    // asks the delete question unless askFirst is false; No leaves the step (Cancelled).
    UndoResult undo(bool askFirst = true);

    void addObserver(DocumentObserver* observer);
    void removeObserver(DocumentObserver* observer);
    void notifyInserted(CatalogItem& item);
    void notifyRemoving(CatalogItem& item);
    void notifyRemoved(CatalogItem* item, CatalogItem* formerParent);
    void notifyMoving(CatalogItem& item, CatalogItem* newParent);
    void notifyMoved(CatalogItem& item, CatalogItem* formerParent);
    void notifyChanged(CatalogItem& item);

    // Raised whenever the whole tree is replaced (new, open, a reload inside lockForEditing):
    // a caller that holds item pointers compares it before and after taking the lock.
    uint64_t treeGeneration() const { return treeGeneration_; }

  private:
    // New tree: the undo steps go (their items went with the old tree) and observers reset.
    void treeReplaced();
    void freeStep(UndoStep& step);

    UndoHooks undoHooks_;
    std::vector<std::unique_ptr<UndoStep>> undoSteps_;
    std::vector<DocumentObserver*> observers_;
    uint64_t treeGeneration_ = 0;
    // ---- end of undo and notifications ------------------------------------------------------

    void nameRootAfterFile();
    // Empties the tree and reads `path` into it; the lock is left as it is.
    bool loadFile(const std::string& path);
    bool save(const std::string& path, Replace replace);
    void lockRefused(const std::string& path, const std::string& reason);

    Prompter& prompter_;
    CatalogTree tree_;
    Hooks hooks_;
    FileLock lock_;
    std::string path_;
    std::optional<FileStamp> stamp_;
    bool modified_ = false;
    int showConvertHint_ = 16;
};

// The part of a path after the last "/".
std::string FileNameOf(const std::string& path);

}  // namespace shelfmark
