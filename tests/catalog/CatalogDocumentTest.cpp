#include "catalog/CatalogDocument.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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
        // The message names the file and the system's reason.
        const bool reported = prompter.shown().size() == 1 &&
                              prompter.shown()[0].message.text.starts_with(Str(102) + "\n") &&
                              prompter.shown()[0].message.text.find("File too large") !=
                                  std::string::npos &&
                              prompter.shown()[0].message.text.find(path) != std::string::npos;
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
    EXPECT_EQ(prompter.shown()[0].message.text,
              Str(102) + "\ncannot create a temporary file in '" + (dir / "no").string() +
                  "' for '" + (dir / "no" / "such.tkd").string() +
                  "': No such file or directory");
}

TEST(CatalogDocument, SaveOntoADirectorySaysSo) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir / "folder.tkd");
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    EXPECT_FALSE(document.saveCatalogFile((dir / "folder.tkd").string()));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(
        prompter.shown()[0].message.text,
        Str(102) + "\ncannot replace '" + (dir / "folder.tkd").string() + "': Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.tkd"));
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
        EXPECT_EQ(prompter.shown()[0].message.text, Str(137) + "\n'" + path + "'");
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

// Another process saves (renames a new file over the path) while this one is still parsing the
// old file: what this document remembers must be the file it parsed, so the next change asks to
// reload instead of writing its old content over the other's.
TEST(CatalogDocument, FileReplacedWhileReadingIsNoticed) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "c.tkd", "first");
    const std::string newer = SavedCatalog(dir, "newer.tkd", "second");
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    bool replaced = false;
    document.hooks().progress = [&](uint64_t, uint64_t) {
        if (!replaced)
            replaced = std::rename(newer.c_str(), path.c_str()) == 0;
    };
    ASSERT_TRUE(document.openCatalogFile(path));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(document.tree().root()->firstChild()->name(), "first");
    document.hooks().progress = nullptr;

    prompter.queueAnswer(PromptAnswer::No);
    EXPECT_FALSE(document.lockForEditing());
    ASSERT_EQ(prompter.shownTexts(), std::vector<std::string>{Str(138)});
    prompter.queueAnswer(PromptAnswer::Yes);
    ASSERT_TRUE(document.lockForEditing());
    EXPECT_EQ(document.tree().root()->firstChild()->name(), "second");
}

// Saving a file that was never locked (no change was made) takes its lock first, and so notices
// when another process saved it meanwhile.
TEST(CatalogDocument, SavingAnUnlockedFileChecksItFirst) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "c.tkd", "first");
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    ASSERT_TRUE(document.openCatalogFile(path));
    SavedCatalog(dir, "c.tkd", "theirs");
    EXPECT_FALSE(document.saveCatalogFile(path));
    EXPECT_EQ(prompter.shownTexts(), std::vector<std::string>{Str(138)});
    CatalogDocument check(prompter);
    ASSERT_TRUE(check.openCatalogFile(path));
    EXPECT_EQ(check.tree().root()->firstChild()->name(), "theirs");
}

TEST(CatalogDocument, CreateKeepsAnExistingFile) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "c.tkd", "kept");
    const std::string before = testing::ReadFile(path);
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    EXPECT_FALSE(document.createCatalogFile(path));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.text,
              Str(102) + "\ncannot create '" + path + "': File exists");
    EXPECT_EQ(testing::ReadFile(path), before);
    EXPECT_TRUE(document.createCatalogFile((dir / "new.tkd").string()));
    EXPECT_EQ(document.path(), (dir / "new.tkd").string());
}

TEST(CatalogDocument, ExportNeverOverwritesTheSourceOrALockedCatalog) {
    testing::TempDir dir;
    const std::string path = SavedCatalog(dir, "source.tkd", "Music");
    const std::string before = testing::ReadFile(path);
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    ASSERT_TRUE(document.openCatalogFile(path));
    const CatalogItem* music = document.tree().root()->firstChild();
    const std::vector<const CatalogItem*> items{music};

    // The source itself, under its own name and under a second name (a hard link).
    const std::string link = (dir / "link.tkd").string();
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    for (const std::string& target : {path, link}) {
        prompter.clear();
        EXPECT_FALSE(document.exportSelection(items, target, true)) << target;
        ASSERT_EQ(prompter.shown().size(), 1u);
        EXPECT_EQ(prompter.shown()[0].message.text,
                  Str(102) + "\n'" + target + "' is the catalog the items are exported from.");
    }
    EXPECT_EQ(testing::ReadFile(path), before);

    // A catalog another process is changing.
    const std::string busy = SavedCatalog(dir, "busy.tkd", "theirs");
    const std::string busyBefore = testing::ReadFile(busy);
    {
        LockHolder other(busy);
        prompter.clear();
        EXPECT_FALSE(document.exportSelection(items, busy, true));
        EXPECT_EQ(prompter.shownTexts(), std::vector<std::string>{Str(137) + "\n'" + busy + "'"});
    }
    EXPECT_EQ(testing::ReadFile(busy), busyBefore);

    // An existing file only when asked to replace it.
    prompter.clear();
    EXPECT_FALSE(document.exportSelection(items, busy, false));
    EXPECT_EQ(prompter.shownTexts(),
              std::vector<std::string>{Str(102) + "\n'" + busy + "' already exists."});
    EXPECT_EQ(testing::ReadFile(busy), busyBefore);
    EXPECT_TRUE(document.exportSelection(items, busy, true));
    CatalogDocument exported(prompter);
    ASSERT_TRUE(exported.openCatalogFile(busy));
    EXPECT_EQ(exported.tree().root()->firstChild()->name(), "Music");
}

}  // namespace
}  // namespace shelfmark
