#include "catalog/CatalogDocument.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "foundation/LanguageTexts.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

std::string SavedCatalog(const testing::TempDir& dir, const char* name, const char* folderName) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    document.tree().createItem(folderName, document.tree().root(), Last, itemflag::Folder);
    const std::string path = (dir / name).string();
    EXPECT_TRUE(document.saveCatalogFile(path));
    return path;
}

TEST(CatalogDocument, SaveAndOpenNameTheRootAfterTheFile) {
    testing::TempDir dir;
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    EXPECT_EQ(document.title(), "Untitled");
    EXPECT_EQ(document.tree().root()->name(), " ");
    EXPECT_TRUE(document.lockForEditing());  // no file yet: nothing to lock
    EXPECT_FALSE(document.lockHeld());
    document.tree().createItem("Folder", document.tree().root(), Sorted, itemflag::Folder);
    document.setModified();
    const std::string path = (dir / "My Disks.tkd").string();
    ASSERT_TRUE(document.saveCatalogFile(path));
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.path(), path);
    EXPECT_EQ(document.title(), "My Disks.tkd");
    EXPECT_EQ(document.tree().root()->name(), "My Disks.tkd");

    CatalogDocument other(prompter);
    ASSERT_TRUE(other.openCatalogFile(path));
    EXPECT_EQ(other.tree().root()->name(), "My Disks.tkd");
    EXPECT_EQ(other.tree().root()->firstChild()->name(), "Folder");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(CatalogDocument, OpeningADamagedFileLeavesAnEmptyCatalog) {
    testing::TempDir dir;
    const std::string path = (dir / "bad.tkd").string();
    testing::WriteFile(path, "Tarnwick Database\r\n\x1A");
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    document.tree().createItem("old", document.tree().root(), Last, 0);
    EXPECT_FALSE(document.openCatalogFile(path));
    EXPECT_EQ(document.tree().root()->firstChild(), nullptr);
    EXPECT_TRUE(document.path().empty());
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_FALSE(document.openCatalogFile((dir / "missing.tkd").string()));
    EXPECT_EQ(prompter.shown().size(), 2u);
}

TEST(CatalogDocument, FailedSaveKeepsOldFileAndModifiedState) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "c.tkd", "original");
    const std::string before = testing::ReadFile(path);

    // A child process that may not write more than 100 bytes into any file: its save fails
    // half-way, after the temporary file was created.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ScriptedPrompter prompter;
        CatalogDocument document(prompter);
        if (!document.openCatalogFile(path) || !document.lockForEditing())
            _exit(10);
        for (int i = 0; i < 50; ++i)
            document.tree().createItem("a longer name than the limit allows " + std::to_string(i),
                                       document.tree().root(), Last, 0);
        document.setModified();
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            100, 100
        };
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool saved = document.saveCatalogFile(path);
        const bool reported =
            prompter.shown().size() == 1 && prompter.shown()[0].message.text == Str(102);
        _exit(saved                    ? 11
              : !reported              ? 12
              : !document.isModified() ? 13
              : !document.lockHeld()   ? 14
                                       : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(testing::ReadFile(path), before);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(CatalogDocument, SaveIntoMissingFolderFails) {
    testing::TempDir dir;
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    document.setModified();
    EXPECT_FALSE(document.saveCatalogFile((dir / "no" / "such.tkd").string()));
    EXPECT_TRUE(document.isModified());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.text, Str(102));
}

// Runs `body` in a child process that holds the edit lock of `path` until `body` returns.
class LockHolder {
  public:
    explicit LockHolder(const std::string& path) {
        int ready[2], done[2];
        EXPECT_EQ(pipe(ready), 0);
        EXPECT_EQ(pipe(done), 0);
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(done[1]);
            SilentPrompter prompter;
            CatalogDocument document(prompter);
            char answer = document.openCatalogFile(path) && document.lockForEditing() ? 'L' : 'F';
            document.setModified();
            (void)!write(ready[1], &answer, 1);
            char c;
            (void)!read(done[0], &c, 1);
            _exit(0);
        }
        close(ready[1]);
        close(done[0]);
        char answer = 0;
        EXPECT_EQ(read(ready[0], &answer, 1), 1);
        EXPECT_EQ(answer, 'L');
        close(ready[0]);
        done_ = done[1];
    }
    ~LockHolder() { stop(); }
    void stop() {
        if (pid_ <= 0)
            return;
        close(done_);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int done_ = -1;
};

TEST(CatalogDocument, SecondProcessIsRefusedTheLock) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "shared.tkd", "x");
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    ASSERT_TRUE(document.openCatalogFile(path));
    {
        LockHolder other(path);
        EXPECT_FALSE(document.lockForEditing());
        ASSERT_EQ(prompter.shown().size(), 1u);
        EXPECT_EQ(prompter.shown()[0].message.text, Str(137));
        EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);
        // Saving over the file the other process is changing is refused as well.
        document.setModified();
        EXPECT_FALSE(document.saveCatalogFile(path));
        document.setModified(false);
        other.stop();
    }
    prompter.clear();
    EXPECT_TRUE(document.lockForEditing());
    EXPECT_TRUE(document.lockHeld());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(CatalogDocument, LockIsHeldUntilSavedOrDiscarded) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "c.tkd", "x");
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    ASSERT_TRUE(document.openCatalogFile(path));
    ASSERT_TRUE(document.lockForEditing());
    document.setModified();
    document.releaseLock(false);
    EXPECT_TRUE(document.lockHeld());
    ASSERT_TRUE(document.saveCatalogFile(path));
    EXPECT_FALSE(document.lockHeld());
    // The saved file is a new file: the next change locks it again.
    ASSERT_TRUE(document.lockForEditing());
    EXPECT_TRUE(document.lockHeld());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(CatalogDocument, ChangedOnDiskAsksToReload) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "c.tkd", "first");
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    ASSERT_TRUE(document.openCatalogFile(path));
    SavedCatalog(dir, "c.tkd", "second, longer");

    prompter.queueAnswer(PromptAnswer::No);
    EXPECT_FALSE(document.lockForEditing());
    EXPECT_FALSE(document.lockHeld());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.text, Str(138));
    EXPECT_EQ(document.tree().root()->firstChild()->name(), "first");

    prompter.queueAnswer(PromptAnswer::Yes);
    EXPECT_TRUE(document.lockForEditing());
    EXPECT_TRUE(document.lockHeld());
    EXPECT_EQ(document.tree().root()->firstChild()->name(), "second, longer");
}

TEST(CatalogDocument, SaveChangesQuestion) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "c.tkd", "x");
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    ASSERT_TRUE(document.openCatalogFile(path));
    EXPECT_TRUE(document.saveModified());
    EXPECT_TRUE(prompter.shown().empty());

    ASSERT_TRUE(document.lockForEditing());
    document.tree().createItem("new", document.tree().root(), Last, 0);
    document.setModified();
    prompter.queueAnswer(PromptAnswer::Cancel);
    EXPECT_FALSE(document.saveModified());
    EXPECT_EQ(prompter.shown().at(0).message.text, "Save changes to c.tkd?");
    EXPECT_EQ(prompter.shown().at(0).message.buttons, PromptButtons::YesNoCancel);
    EXPECT_TRUE(document.isModified());

    prompter.queueAnswer(PromptAnswer::Yes);
    EXPECT_TRUE(document.saveModified());
    EXPECT_FALSE(document.isModified());
    CatalogDocument reread(prompter);
    ASSERT_TRUE(reread.openCatalogFile(path));
    EXPECT_NE(reread.tree().resolvePath("new", nullptr), nullptr);

    document.setModified();
    prompter.queueAnswer(PromptAnswer::No);
    EXPECT_TRUE(document.saveModified());
    EXPECT_FALSE(document.isModified());

    CatalogDocument untitled(prompter);
    untitled.setModified();
    prompter.clear();
    prompter.queueAnswer(PromptAnswer::Yes);
    EXPECT_FALSE(untitled.saveModified());  // no path and no one to ask for one
    EXPECT_EQ(prompter.shown().at(0).message.text, "Save changes to Untitled?");
    untitled.hooks().askSavePath = [&] {
        return std::optional<std::string>((dir / "u.tkd").string());
    };
    prompter.queueAnswer(PromptAnswer::Yes);
    EXPECT_TRUE(untitled.saveModified());
    EXPECT_EQ(untitled.title(), "u.tkd");
}

}  // namespace
}  // namespace shelfmark
