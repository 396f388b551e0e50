// The read as a command runs it: against a document, with the checks before reading, the result
// joining the catalog at commit, and the problems of a volume that cannot be read whole.
#include "reading/engine/ReadSession.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "catalog/DocumentObserver.h"
#include "catalog/TreeWalk.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/reading-engine/EngineTestSupport.h"
#include "tests/reading-session/FileAccess.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::CatalogListing;
using testing::FindListing;
using testing::FindTotal;
using testing::TempDir;

fs::path MakeVolume(const TempDir& dir, const std::string& name = "volume") {
    const fs::path root = dir / name;
    fs::create_directories(root / "Docs" / "Old");
    fs::create_directories(root / "Pics");
    testing::WriteFile(root / "Docs" / "a.txt", "alpha");
    testing::WriteFile(root / "Docs" / "Old" / "b.txt", "beta beta");
    testing::WriteFile(root / "Pics" / "c.jpg", std::string(500, 'c'));
    testing::WriteFile(root / "top.png", "png");
    return root;
}

// Every item of the document with its size, for "nothing changed" checks.
std::vector<std::string> Snapshot(const CatalogTree& tree) {
    std::vector<std::string> lines{std::string(tree.root()->name())};
    for (const ItemAttribute& attribute : tree.root()->attributes())
        lines.push_back("root " + std::to_string(attribute.key()) + "=" +
                        std::to_string(attribute.number()));
    WalkBelow(tree.root(), EnterAll, [&](CatalogItem& item) {
        lines.push_back(tree.pathText(&item, pathmode::Plain) + "|" + std::string(item.name()) +
                        "|" + std::to_string(item.size()));
        return true;
    });
    return lines;
}

// The names of the items observers hear inserted.
struct InsertRecorder : DocumentObserver {
    std::vector<std::string> names;
    void itemInserted(CatalogItem& item) override { names.emplace_back(item.name()); }
};

class ReadSessionTest : public ::testing::Test {
  protected:
    ReadSessionTest() : document(prompter) {
        shelf =
            document.tree().createItem("Shelf", document.tree().root(), Sorted, itemflag::Folder);
    }

    ReadRequest NewDisk(const fs::path& root, const std::string& folder = "Shelf") {
        ReadRequest request;
        request.root = root.string();
        request.folder = folder;
        return request;
    }

    // A complete read through the session; the disk in the document.
    CatalogItem* Read(const ReadRequest& request) {
        ReadSession session(document, prompter);
        if (session.prepare(request) != PrepareResult::Ready)
            return nullptr;
        session.run();
        return session.commit().disk;
    }

    testing::ScopedConfigHome config;
    TempDir dir;
    ScriptedPrompter prompter;
    CatalogDocument document;
    CatalogItem* shelf = nullptr;
};

TEST_F(ReadSessionTest, ANewDiskJoinsTheCatalogOnlyAtCommit) {
    const fs::path root = MakeVolume(dir);
    const std::vector<std::string> before = Snapshot(document.tree());
    InsertRecorder inserted;
    document.addObserver(&inserted);

    ReadSession session(document, prompter);
    ReadRequest request = NewDisk(root, "Shelf\\2024\\May");
    request.createFolders = true;
    request.diskId = 7;
    ASSERT_EQ(session.prepare(request), PrepareResult::Ready);
    EXPECT_EQ(session.job().fields.name, "volume");  // the folder's last component
    EXPECT_EQ(Snapshot(document.tree()), before);
    ASSERT_EQ(session.run(), ReadOutcome::Completed);
    EXPECT_EQ(Snapshot(document.tree()), before);  // the worker filled its own tree
    EXPECT_FALSE(document.isModified());

    const ReadResult result = session.commit();
    ASSERT_NE(result.disk, nullptr);
    EXPECT_EQ(result.disk, document.tree().resolvePath("Shelf\\2024\\May\\volume", nullptr));
    EXPECT_EQ(CatalogListing(result.disk), FindListing(root));
    // One insert step names the first folder made for the disk; observers heard of it once.
    CatalogItem* made = document.tree().resolvePath("Shelf\\2024", nullptr);
    ASSERT_NE(document.newestUndoStep(), nullptr);
    EXPECT_EQ(document.newestUndoStep()->kind, UndoKind::Insert);
    EXPECT_EQ(document.newestUndoStep()->label, "Read Disk");
    EXPECT_EQ(document.newestUndoStep()->items, std::vector<CatalogItem*>{made});
    EXPECT_EQ(inserted.names, std::vector<std::string>{"2024"});
    document.removeObserver(&inserted);
    EXPECT_EQ(session.job().disk, result.disk);  // the job now speaks of the document's items
    EXPECT_EQ(session.job().fields.folder, result.disk->parent());
    EXPECT_EQ(session.job().catalog, &document.tree());
    EXPECT_TRUE(document.isModified());
    // Sizes up to the root's children, counted by find; the counters moved on.
    const uint64_t total = FindTotal(root);
    EXPECT_EQ(result.disk->size(), total);
    EXPECT_EQ(shelf->size(), total);
    EXPECT_EQ(document.tree().resolvePath("Shelf\\2024", nullptr)->size(), total);
    EXPECT_EQ(result.disk->numberAttribute(attr::DiskId), 7u);
    EXPECT_EQ(document.tree().root()->numberAttribute(attr::DiskId), 8u);
    EXPECT_EQ(result.disk->numberAttribute(attr::DiskNumber), 1u);
    EXPECT_EQ(document.tree().root()->numberAttribute(attr::DiskNumber), 2u);

    // A second disk gets the next numbers and the default ID.
    CatalogItem* second = Read(NewDisk(root));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->numberAttribute(attr::DiskId), 8u);
    EXPECT_EQ(second->numberAttribute(attr::DiskNumber), 2u);
    EXPECT_EQ(shelf->size(), 2 * total);
}

TEST_F(ReadSessionTest, ACancelledNewReadLeavesTheCatalogAsItWas) {
    const fs::path root = MakeVolume(dir);
    ASSERT_NE(Read(NewDisk(root)), nullptr);
    const std::vector<std::string> before = Snapshot(document.tree());
    document.setModified(false);

    ReadSession session(document, prompter);
    ReadRequest request = NewDisk(root, "Shelf\\Never");
    request.createFolders = true;
    ASSERT_EQ(session.prepare(request), PrepareResult::Ready);
    session.cancelFlag().request();
    EXPECT_EQ(session.run(), ReadOutcome::Cancelled);
    const ReadResult result = session.commit();
    EXPECT_EQ(result.disk, nullptr);
    EXPECT_EQ(Snapshot(document.tree()), before);  // no disk, no folder, counters as they were
    EXPECT_FALSE(document.isModified());
}

TEST_F(ReadSessionTest, AnUpdateSwapsTheNewContentsIntoTheSameDiskItem) {
    const fs::path root = MakeVolume(dir);
    ReadRequest first = NewDisk(root);
    first.name = "Work";
    first.diskId = 4;
    CatalogItem* disk = Read(first);
    ASSERT_NE(disk, nullptr);
    CatalogTree& tree = document.tree();
    tree.setTextAttribute(tree.resolvePath("Shelf\\Work\\Docs\\a.txt", nullptr), attr::Description,
                          "kept");
    fs::remove_all(root / "Docs" / "Old");
    testing::WriteFile(root / "Pics" / "d.jpg", std::string(1000, 'd'));

    const std::vector<std::string> beforeUpdate = Snapshot(tree);
    ReadSession session(document, prompter);
    ReadRequest update;
    update.root = root.string();
    update.diskToUpdate = "4";
    update.description = "second read";
    ASSERT_EQ(session.prepare(update), PrepareResult::Ready);
    EXPECT_EQ(session.job().fields.name, "Work");  // the disk's own fields by default
    ASSERT_EQ(session.run(), ReadOutcome::Completed);
    // The document still shows the disk as it was until commit.
    EXPECT_NE(tree.resolvePath("Shelf\\Work\\Docs\\Old\\b.txt", nullptr), nullptr);
    const ReadResult result = session.commit();

    EXPECT_TRUE(result.update);
    EXPECT_EQ(result.disk, disk);
    const UndoStep* step = document.newestUndoStep();
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->kind, UndoKind::SubtreeReplacement);
    EXPECT_EQ(step->label, "Update Disk");
    EXPECT_EQ(step->items, std::vector<CatalogItem*>{disk});
    EXPECT_EQ(CatalogListing(disk), FindListing(root));
    EXPECT_EQ(disk->textAttribute(attr::Description), "second read");
    EXPECT_EQ(disk->numberAttribute(attr::DiskId), 4u);
    EXPECT_EQ(
        tree.resolvePath("Shelf\\Work\\Docs\\a.txt", nullptr)->textAttribute(attr::Description),
        "kept");
    EXPECT_EQ(disk->size(), FindTotal(root));
    EXPECT_EQ(shelf->size(), FindTotal(root));
    // The step holds the disk as it was, with its former contents, and undo puts them back.
    const CatalogItem* saved = step->copies.front();
    EXPECT_EQ(saved->textAttribute(attr::Description), std::nullopt);
    EXPECT_NE(tree.resolvePath("Docs\\Old\\b.txt", saved), nullptr);
    EXPECT_EQ(tree.resolvePath("Pics\\d.jpg", saved), nullptr);
    EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(Snapshot(tree), beforeUpdate);
    EXPECT_EQ(shelf->size(), disk->size());
}

TEST_F(ReadSessionTest, ARenamingUpdateMovesTheDiskToItsSortedPlace) {
    const fs::path root = MakeVolume(dir);
    ReadRequest first = NewDisk(root);
    first.name = "Beta";
    CatalogItem* beta = Read(first);
    first.name = "Gamma";
    ASSERT_NE(Read(first), nullptr);
    fs::remove(root / "top.png");

    ReadSession session(document, prompter);
    ReadRequest update;
    update.root = root.string();
    update.diskToUpdate = "Shelf/Beta";
    update.name = "Zeta";
    ASSERT_EQ(session.prepare(update), PrepareResult::Ready);
    session.run();
    EXPECT_EQ(session.commit().disk, beta);
    EXPECT_EQ(beta->name(), "Zeta");
    EXPECT_EQ(CatalogListing(beta), FindListing(root));
    // The renamed disk moved to its sorted place.
    EXPECT_EQ(shelf->firstChild()->name(), "Gamma");
    EXPECT_EQ(shelf->firstChild()->next(), beta);
    EXPECT_EQ(shelf->size(), 2 * FindTotal(root) + 3);
}

TEST_F(ReadSessionTest, NothingIsReadForACatalogThatCannotBeSaved) {
    const fs::path root = MakeVolume(dir);
    const std::vector<std::string> before = Snapshot(document.tree());
    for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
             {(dir / "missing" / "x.tkd").string(), "No such file or directory"},
             {dir.path().string(), "Is a directory"}}) {
        ReadSession session(document, prompter);
        int walked = 0;
        session.setProgressHandler([&](const ReadProgress&) { ++walked; });
        session.setProblemHandler([&](const ReadProblem&) { ++walked; });
        ReadRequest request = NewDisk(root);
        request.catalogPath = path;
        prompter.clear();
        EXPECT_EQ(session.prepare(request), PrepareResult::Failed);
        EXPECT_EQ(session.run(), ReadOutcome::Cancelled);  // a refused read does not run
        EXPECT_EQ(walked, 0);
        ASSERT_EQ(prompter.shownTexts().size(), 1u);
        const std::string message = prompter.shownTexts()[0];
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
        EXPECT_EQ(session.commit().disk, nullptr);
        EXPECT_EQ(Snapshot(document.tree()), before);
    }
    EXPECT_TRUE(fs::is_empty(dir / "volume" / "Pics") == false);
    // Nothing of the probe is left beside a catalog that can be written.
    ReadSession session(document, prompter);
    ReadRequest request = NewDisk(root);
    request.catalogPath = (dir / "cat.tkd").string();
    ASSERT_EQ(session.prepare(request), PrepareResult::Ready);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"volume"});
}

TEST_F(ReadSessionTest, ARootThatCannotBeReadNamesTheReason) {
    ReadSession session(document, prompter);
    EXPECT_EQ(session.prepare(NewDisk(dir / "nonexistent")), PrepareResult::Failed);
    ASSERT_EQ(prompter.shownTexts().size(), 1u);
    EXPECT_EQ(prompter.shownTexts()[0],
              "Error changing to " + (dir / "nonexistent").string() +
                  ": No such file or directory.\nPlease verify that this path is correct and "
                  "try again.");
    testing::WriteFile(dir / "plain.txt", "x");
    prompter.clear();
    EXPECT_EQ(session.prepare(NewDisk(dir / "plain.txt")), PrepareResult::Failed);
    ASSERT_EQ(prompter.shownTexts().size(), 1u);
    EXPECT_NE(prompter.shownTexts()[0].find("Not a directory"), std::string::npos);
}

TEST_F(ReadSessionTest, TargetsThatDoNotExistAreRefused) {
    const fs::path root = MakeVolume(dir);
    ASSERT_NE(Read(NewDisk(root)), nullptr);
    for (const char* folder : {"Nowhere", "Shelf\\volume"}) {
        ReadSession session(document, prompter);
        EXPECT_EQ(session.prepare(NewDisk(root, folder)), PrepareResult::Failed) << folder;
    }
    // One session through every refusal: each attempt starts afresh.
    ReadSession session(document, prompter);
    for (const char* disk : {"99", "Shelf", "Missing", "Shelf\\volume\\Docs", "Shelf\\volume"}) {
        ReadRequest update;
        update.root = root.string();
        update.diskToUpdate = disk;
        update.name = "";
        EXPECT_EQ(session.prepare(update), PrepareResult::Failed) << disk;
    }
    ReadRequest request = NewDisk(root);
    request.name = "";
    EXPECT_EQ(session.prepare(request), PrepareResult::Failed);
    EXPECT_EQ(prompter.shownTexts().back(), "Please fill out this field correctly.");
    request.name = "Second";
    ASSERT_EQ(session.prepare(request), PrepareResult::Ready);
    session.run();
    const ReadResult result = session.commit();
    EXPECT_FALSE(result.update);
    EXPECT_EQ(result.disk, document.tree().resolvePath("Shelf\\Second", nullptr));
    EXPECT_NE(document.tree().resolvePath("Shelf\\volume", nullptr), nullptr);
}

TEST_F(ReadSessionTest, AnUpdateFromAnotherVolumeIsConfirmedFirst) {
    const fs::path root = MakeVolume(dir);
    CatalogItem* disk = Read(NewDisk(root));
    ASSERT_NE(disk, nullptr);
    const uint32_t serial = disk->numberAttribute(attr::VolumeSerial).value_or(0);
    // As if the disk had been read from another volume.
    document.tree().setNumberAttribute(disk, attr::VolumeSerial, serial ^ 0x5A5A0001u);
    const std::vector<std::string> before = Snapshot(document.tree());
    ReadRequest update;
    update.root = root.string();
    update.diskToUpdate = "Shelf\\volume";

    {
        ReadSession session(document, prompter);
        prompter.clear();
        EXPECT_EQ(session.prepare(update), PrepareResult::OtherVolume);
        ASSERT_EQ(prompter.shown().size(), 1u);
        EXPECT_EQ(prompter.shown()[0].message.buttons, PromptButtons::YesNo);
        EXPECT_NE(prompter.shownTexts()[0].find("'volume' was read from the volume"),
                  std::string::npos)
            << prompter.shownTexts()[0];
        EXPECT_EQ(Snapshot(document.tree()), before);
    }
    {
        ReadSession session(document, prompter);
        prompter.queueAnswer(PromptAnswer::Yes);
        ASSERT_EQ(session.prepare(update), PrepareResult::Ready);
    }
    update.otherVolume = true;
    ReadSession session(document, prompter);
    prompter.clear();
    ASSERT_EQ(session.prepare(update), PrepareResult::Ready);
    EXPECT_TRUE(prompter.shown().empty());
    session.run();
    session.commit();
    EXPECT_EQ(disk->numberAttribute(attr::VolumeSerial), serial);  // the volume read now
}

TEST_F(ReadSessionTest, UnreadableFilesAndDirectoriesAreReportedAndCounted) {
    const fs::path root = MakeVolume(dir);
    testing::WriteFile(root / "Docs" / "secret.bin", "hidden");
    fs::create_directories(root / "Closed" / "Inner");
    testing::WriteFile(root / "Closed" / "x.txt", "x");
    ::chmod((root / "Docs" / "secret.bin").c_str(), 0);
    ::chmod((root / "Closed").c_str(), 0);

    testing::ThreadWithoutAccessOverride noOverride;
    if (FILE* probe = std::fopen((root / "Docs" / "secret.bin").c_str(), "r")) {
        std::fclose(probe);
        ::chmod((root / "Closed").c_str(), 0755);
        GTEST_SKIP() << "this thread reads files of mode 000";
    }
    ReadSession session(document, prompter);
    std::vector<ReadProblem> problems;
    session.setProblemHandler([&](const ReadProblem& problem) { problems.push_back(problem); });
    ReadRequest request = NewDisk(root);
    request.options.bCalcCRC32 = true;
    request.options.bCalcMD5 = true;
    ASSERT_EQ(session.prepare(request), PrepareResult::Ready);
    ASSERT_EQ(session.run(), ReadOutcome::Completed);
    const ReadResult result = session.commit();
    ::chmod((root / "Closed").c_str(), 0755);

    EXPECT_EQ(result.problems.files, 1u);
    EXPECT_EQ(result.problems.directories, 1u);
    EXPECT_EQ(ProblemSummary(result.problems), "1 file and 1 directory could not be read");
    ASSERT_EQ(problems.size(), 2u);
    for (const ReadProblem& problem : problems) {
        EXPECT_EQ(problem.error, EACCES);
        EXPECT_NE(problem.message.find(problem.path), std::string::npos) << problem.message;
        EXPECT_NE(problem.message.find("Permission denied"), std::string::npos);
        const fs::path expected = problem.kind == ReadProblem::Kind::UnreadableFile
                                      ? root / "Docs" / "secret.bin"
                                      : root / "Closed";
        EXPECT_EQ(problem.path, expected.string());
    }
    // The read went on: the file is there without checksums, the others have theirs; the
    // closed directory is skipped.
    CatalogTree& tree = document.tree();
    const CatalogItem* secret = tree.resolvePath("Shelf\\volume\\Docs\\secret.bin", nullptr);
    ASSERT_NE(secret, nullptr);
    EXPECT_FALSE(secret->hasAttribute(attr::Crc32));
    EXPECT_FALSE(secret->hasAttribute(attr::Md5));
    EXPECT_EQ(tree.resolvePath("Shelf\\volume\\Docs\\a.txt", nullptr)->numberAttribute(attr::Crc32),
              0xD0E0396Au);  // crc32 of "alpha" (Python's zlib.crc32)
    EXPECT_EQ(tree.resolvePath("Shelf\\volume\\Closed", nullptr), nullptr);
    EXPECT_NE(tree.resolvePath("Shelf\\volume\\Pics\\c.jpg", nullptr), nullptr);
}

TEST(ReadProblems, SummaryCountsFilesAndDirectories) {
    EXPECT_EQ(ProblemSummary({}), "");
    EXPECT_EQ(ProblemSummary({1, 0}), "1 file could not be read");
    EXPECT_EQ(ProblemSummary({3, 0}), "3 files could not be read");
    EXPECT_EQ(ProblemSummary({0, 1}), "1 directory could not be read");
    EXPECT_EQ(ProblemSummary({2, 5}), "2 files and 5 directories could not be read");
}

// An audio CD's track names travel in the read's own job: no other read sees them.
TEST_F(ReadSessionTest, TrackNamesComeFromTheDiscOfThisRead) {
    const fs::path simulation = testing::SourceDir() / "samples" / "cdrom" / "audio-cd.ini";
    if (!fs::exists(simulation))
        GTEST_SKIP() << "no simulated drive sample";
    ReadSession session(document, prompter);
    ReadRequest request;
    request.cdSimulation = simulation.string();
    request.options.bEnableCDText = true;
    request.describeExtensions = "cda";
    ASSERT_EQ(session.prepare(request), PrepareResult::Ready);
    EXPECT_EQ(session.job().discInformation.title(2), "Salt and Rope");
    // A second session for another catalog knows nothing of this disc.
    ScriptedPrompter otherPrompter;
    CatalogDocument other(otherPrompter);
    ReadSession otherSession(other, otherPrompter);
    EXPECT_TRUE(otherSession.job().discInformation.titles.empty());

    session.run();
    const ReadResult result = session.commit();
    ASSERT_NE(result.disk, nullptr);
    EXPECT_EQ(result.disk->name(), "The Tidewater Band - Harbour Lights");
    const CatalogItem* track = document.tree().resolvePath("Track02.cda", result.disk);
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->textAttribute(attr::Description), "Salt and Rope");
}

}  // namespace
}  // namespace shelfmark
