// A read on a worker thread while the owning thread walks the catalog over and over, as a view
// does to paint it. Built with SHELFMARK_SANITIZE=thread, ThreadSanitizer watches every access
// of both threads: the test passes there only when the worker never touches the document's tree.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "catalog/TreeWalk.h"
#include "foundation/Prompter.h"
#include "reading/engine/ReadSession.h"
#include "tests/reading-engine/EngineTestSupport.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;

void MakeVolume(const fs::path& root, int directories, int files) {
    for (int d = 0; d < directories; ++d) {
        const fs::path directory = root / ("dir" + std::to_string(d)) / "inner";
        fs::create_directories(directory);
        for (int f = 0; f < files; ++f)
            testing::WriteFile(directory / ("file" + std::to_string(f) + ".txt"),
                               std::string(static_cast<size_t>(f + d), 'x'));
    }
}

// What a view reads of every item when it paints.
uint64_t Paint(const CatalogTree& tree) {
    uint64_t seen = 0;
    WalkBelow(tree.root(), EnterAll, [&](CatalogItem& item) {
        seen += item.name().size() + item.size() + item.flags() + item.attributes().size();
        if (auto description = item.textAttribute(attr::Description))
            seen += description->size();
        return true;
    });
    return seen;
}

// Runs the session on a worker while this thread paints; the worker waits at its first progress
// report until this thread has painted once, so the two overlap.
uint64_t ReadWhilePainting(ReadSession& session, const CatalogDocument& document) {
    std::atomic<uint64_t> paints{0};
    std::atomic<bool> done{false};
    session.setProgressHandler([&](const ReadProgress&) {
        while (paints.load() == 0)
            std::this_thread::yield();
    });
    std::thread worker([&] {
        session.run();
        done.store(true);
    });
    do {
        Paint(document.tree());
        paints.fetch_add(1);
    } while (!done.load());
    worker.join();
    return paints.load();
}

TEST(ReadSessionThreads, AReadOnAWorkerDoesNotRaceTheTreeBeingPainted) {
    testing::ScopedConfigHome config;
    testing::TempDir dir;
    const fs::path root = dir / "volume";
    MakeVolume(root, 40, 25);
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    document.tree().createItem("Shelf", document.tree().root(), Sorted, itemflag::Folder);

    ReadRequest request;
    request.root = root.string();
    request.folder = "Shelf";
    request.options.bCalcCRC32 = true;
    {
        ReadSession session(document, prompter);
        ASSERT_EQ(session.prepare(request), PrepareResult::Ready);
        EXPECT_GE(ReadWhilePainting(session, document), 1u);
        EXPECT_EQ(session.commit().outcome, ReadOutcome::Completed);
    }
    CatalogItem* disk = document.tree().resolvePath("Shelf\\volume", nullptr);
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(testing::CatalogListing(disk), testing::FindListing(root));

    // An update of the very disk being painted.
    fs::remove_all(root / "dir3");
    MakeVolume(root / "dir3", 2, 10);
    document.tree().setTextAttribute(document.tree().resolvePath("dir1", disk), attr::Description,
                                     "painted");
    ReadRequest update;
    update.root = root.string();
    update.diskToUpdate = "Shelf\\volume";
    {
        ReadSession session(document, prompter);
        ASSERT_EQ(session.prepare(update), PrepareResult::Ready);
        EXPECT_GE(ReadWhilePainting(session, document), 1u);
        EXPECT_EQ(session.commit().disk, disk);
    }
    EXPECT_EQ(testing::CatalogListing(disk), testing::FindListing(root));
    EXPECT_EQ(document.tree().resolvePath("dir1", disk)->textAttribute(attr::Description),
              "painted");
    EXPECT_GT(Paint(document.tree()), 0u);
}

}  // namespace
}  // namespace shelfmark
