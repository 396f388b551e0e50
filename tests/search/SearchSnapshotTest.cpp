// The snapshot scan against the plain tree walk on random catalogs and random criteria, and the
// snapshot following the document's changes.
#include <gtest/gtest.h>

#include <random>

#include "catalog/CatalogDocument.h"
#include "catalog/DeleteOperations.h"
#include "catalog/MoveCopyOperations.h"
#include "catalog/RenameOperations.h"
#include "catalog/TreeWalk.h"
#include "foundation/CancelFlag.h"
#include "foundation/Prompter.h"
#include "reading/engine/ReadSession.h"
#include "search/SearchSnapshot.h"
#include "search/SearchWalk.h"
#include "tests/search/SearchTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::search {
namespace {

using testing::Add;
using testing::Names;
using Strings = std::vector<std::string>;

constexpr int64_t kNow = 1'700'000'000;

// Name pieces with shared substrings, upper and lower case and a folded pair (É/é).
const char* const kPieces[] = {"a", "B", "ab", "Ca", "car", "Red", "red", "\xC3\x89", "\xC3\xA9",
                               "x", ".", "mp3", " ", "zz"};
const char* const kPatternPieces[] = {"a", "b", "ab", "car", "red", "\xC3\xA9", "x", ".", "mp3",
                                      " ", "*", "?", "zz", "  "};

class RandomCatalog {
  public:
    explicit RandomCatalog(uint32_t seed) : random_(seed) {}

    std::string Name(const char* const* pieces, size_t count, int most) {
        std::string name;
        const int n = 1 + Pick(most);
        for (int i = 0; i < n; ++i)
            name += pieces[Pick(int(count))];
        return name;
    }

    void Fill(CatalogTree& tree, CatalogItem* parent, int depth, int& budget) {
        const int children = Pick(7);
        for (int c = 0; c < children && budget > 0; ++c, --budget) {
            static const uint16_t kKinds[] = {0, 0, 0, 0, itemflag::Directory, itemflag::Archive,
                                              itemflag::Folder, DiskFlags(MediaType::CdRom)};
            const uint16_t flags = kKinds[Pick(8)];
            CatalogItem* item = Add(tree, parent, Name(kPieces, std::size(kPieces), 3).c_str(),
                                    flags, uint64_t(Pick(5)) << (Pick(2) * 10),
                                    int32_t(kNow - Pick(200) * 86400 + Pick(3) * 86400));
            if (Pick(4) == 0)
                tree.setTextAttribute(item, attr::Description, Name(kPieces, std::size(kPieces), 4));
            if (Pick(5) == 0)
                tree.setTextAttribute(item, attr::Artist, Name(kPieces, std::size(kPieces), 2));
            if (Pick(5) == 0)
                tree.setNumberAttribute(item, attr::TrackNumber, uint32_t(Pick(10)));
            if (Pick(6) == 0)
                tree.setNumberAttribute(item, attr::Categories, uint32_t(Pick(4)) | uint32_t(Pick(4)) << 8);
            if (item->isContainer() && depth < 6) {
                if (Pick(8) == 0) {
                    const uint8_t check[] = {7};
                    tree.setBlockAttribute(item, attr::PasswordCheck, check);
                    if (Pick(2) == 0)
                        tree.setNumberAttribute(item, attr::Unlocked, 1);
                }
                Fill(tree, item, depth + 1, budget);
            }
        }
    }

    // About `items` items straight below the root.
    void FillRoot(CatalogTree& tree, int items) {
        while (items > 0)
            Fill(tree, tree.root(), 0, items);
    }

    // Disks of `items` items each.
    void FillDisks(CatalogTree& tree, int disks, int items) {
        for (int disk = 0; disk < disks; ++disk) {
            int budget = items;
            CatalogItem* d = Add(tree, tree.root(), "disk", DiskFlags(MediaType::HardDisk));
            while (budget > 0)
                Fill(tree, d, 0, budget);
        }
    }

    SearchCriteria Criteria() {
        SearchCriteria c = InitialCriteria(kNow);
        c.text = Name(kPatternPieces, std::size(kPatternPieces), 2);
        c.caseSensitive = Pick(4) == 0;
        c.wholeString = Pick(4) == 0;
        c.wordMode = WordMode(Pick(3));
        c.inDescription = Pick(3) != 0;
        c.inExtraInfo = Pick(3) == 0;
        c.files = Pick(5) != 0;
        c.directories = Pick(5) != 0;
        c.disks = Pick(5) != 0;
        c.folders = Pick(5) != 0;
        c.dateMode = Pick(2) ? DateMode(Pick(4)) : DateMode::AllFiles;
        c.date1 = kNow - Pick(200) * 86400;
        c.date2 = kNow - Pick(200) * 86400;
        c.months = std::to_string(1 + Pick(6));
        c.days = std::to_string(1 + Pick(150));
        if (Pick(3) == 0) {
            c.sizeText = std::to_string(Pick(5));
            c.sizeShift = Pick(2) * 10;
            c.sizeOperator = SizeOperator(Pick(3));
        }
        for (int n = Pick(3) == 0 ? 1 + Pick(2) : 0; n > 0; --n)
            SelectCategory(c, uint8_t(1 + Pick(3)));
        c.excludeCategories = Pick(2) == 0;
        if (Pick(3) == 0)
            c.conditions.push_back({attr::TrackNumber, ConditionOperator(Pick(4)), uint32_t(Pick(10)),
                                    uint32_t(Pick(10)), {}});
        if (Pick(4) == 0)
            c.conditions.push_back({attr::Artist, Pick(2) ? ConditionOperator::Contains
                                                          : ConditionOperator::Matches,
                                    0, 0, Name(kPatternPieces, std::size(kPatternPieces), 2)});
        return c;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  private:
    std::mt19937 random_;
};

// Every container of the tree, the root first.
std::vector<const CatalogItem*> Containers(const CatalogTree& tree) {
    std::vector<const CatalogItem*> out{tree.root()};
    WalkBelow(tree.root(), EnterAll, [&](CatalogItem& item) {
        if (item.isContainer())
            out.push_back(&item);
        return true;
    });
    return out;
}

TEST(SearchSnapshot, FindsWhatTheTreeWalkFinds) {
    SilentPrompter prompter;
    size_t compared = 0, nonEmpty = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        CatalogDocument document(prompter);
        CatalogTree& tree = document.tree();
        RandomCatalog random(seed);
        random.FillRoot(tree, 400 + random.Pick(400));
        SearchSnapshot snapshot(document);
        // The same catalog through the trigram index, which small catalogs otherwise go without.
        SearchSnapshot indexed(document);
        indexed.setTrigramThreshold(0);
        const std::vector<const CatalogItem*> starts = Containers(tree);
        for (int q = 0; q < 60; ++q) {
            const SearchCriteria criteria = random.Criteria();
            const PreparedSearch search = PrepareSearch(criteria, kNow);
            const CatalogItem& start =
                random.Pick(2) ? *tree.root() : *starts[size_t(random.Pick(int(starts.size())))];
            const auto expected = SearchTree(search, start);
            for (unsigned threads : {1u, 2u, 3u}) {
                ASSERT_EQ(snapshot.search(search, start, nullptr, threads), expected)
                    << "seed " << seed << " query " << q << " text '" << criteria.text << "' threads " << threads;
                ASSERT_EQ(indexed.search(search, start, nullptr, threads), expected)
                    << "indexed: seed " << seed << " query " << q << " text '" << criteria.text << "' threads " << threads;
            }
            ++compared;
            nonEmpty += !expected.empty();
        }
    }
    // The random criteria must find something often enough to mean anything.
    EXPECT_GT(nonEmpty, compared / 4);
}

TEST(SearchSnapshot, SplitsLargeRangesBetweenThreads) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    RandomCatalog random(99);
    // Enough items for several threads, with deep nesting across the split points.
    random.FillDisks(tree, 4, 60000);
    SearchSnapshot snapshot(document);
    snapshot.setTrigramThreshold(0);
    for (int q = 0; q < 30; ++q) {
        const PreparedSearch search = PrepareSearch(random.Criteria(), kNow);
        const auto expected = SearchTree(search, *tree.root());
        EXPECT_EQ(snapshot.search(search, *tree.root(), nullptr, 2), expected) << q;
        EXPECT_EQ(snapshot.search(search, *tree.root(), nullptr, 4), expected) << q;
    }
    EXPECT_LT(snapshot.bytesPerItem(), 40u);
}

// Runs in most names with nothing else asked: names are taken a batch at a time, and the
// items whose names fail, the texts, and the locked folders across the batches must still come
// out as the walk gives them.
TEST(SearchSnapshot, CommonRunsWithDefaultsOverManyBatches) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    RandomCatalog random(4242);
    random.FillDisks(tree, 3, 12000);
    SearchSnapshot snapshot(document);
    for (const char* text : {"a", "A", "ca", "r", "\xC3\xA9", "ab", "red"}) {
        for (int variant = 0; variant < 3; ++variant) {
            SearchCriteria criteria = InitialCriteria(kNow);
            criteria.text = text;
            criteria.inDescription = variant != 1;
            criteria.inExtraInfo = variant == 2;
            const PreparedSearch search = PrepareSearch(criteria, kNow);
            const auto expected = SearchTree(search, *tree.root());
            ASSERT_GT(expected.size(), 1000u) << text;
            for (unsigned threads : {1u, 2u, 3u})
                EXPECT_EQ(snapshot.search(search, *tree.root(), nullptr, threads), expected)
                    << text << " variant " << variant << " threads " << threads;
        }
    }
}

TEST(SearchSnapshot, SeesRenamesDeletesAndReads) {
    testing::ScopedConfigHome config;
    testing::TempDir dir;
    SilentPrompter prompter(PromptAnswer::Yes);
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    CatalogItem* disk = Add(tree, tree.root(), "Disk", DiskFlags(MediaType::HardDisk));
    CatalogItem* file = Add(tree, disk, "holiday.jpg");
    Add(tree, disk, "other.txt");
    SearchSnapshot snapshot(document);
    auto find = [&](const char* text) {
        SearchCriteria criteria = InitialCriteria(kNow);
        criteria.text = text;
        return Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root()));
    };
    EXPECT_EQ(find("holiday"), (Strings{"holiday.jpg"}));
    EXPECT_FALSE(snapshot.stale());

    ASSERT_EQ(RenameItem(document, file, "Summer.jpg"), EditStatus::Done);
    EXPECT_EQ(find("holiday"), Strings{});
    EXPECT_EQ(find("summer"), (Strings{"Summer.jpg"}));

    CatalogItem* const doomed[] = {file};
    ASSERT_EQ(DeleteItems(document, doomed, {.undoable = true, .askFirst = false}), EditStatus::Done);
    EXPECT_EQ(find("summer"), Strings{});
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(find("summer"), (Strings{"Summer.jpg"}));

    std::filesystem::create_directories(dir / "vol" / "Photos");
    testing::WriteFile(dir / "vol" / "Photos" / "summer-read.png", "png");
    ReadRequest request;
    request.root = (dir / "vol").string();
    request.name = "Read";
    ReadSession session(document, prompter);
    ASSERT_EQ(session.prepare(request), PrepareResult::Ready);
    session.run();
    session.commit();
    EXPECT_EQ(find("summer"), (Strings{"Summer.jpg", "summer-read.png"}));

    // Reading the disk again, renamed and with a file gone and one new.
    std::filesystem::remove(dir / "vol" / "Photos" / "summer-read.png");
    testing::WriteFile(dir / "vol" / "Photos" / "summer-again.png", "png");
    ReadRequest update;
    update.root = (dir / "vol").string();
    update.diskToUpdate = "Read";
    update.name = "A read again";
    ReadSession again(document, prompter);
    ASSERT_EQ(again.prepare(update), PrepareResult::Ready);
    again.run();
    again.commit();
    EXPECT_EQ(find("summer"), (Strings{"summer-again.png", "Summer.jpg"}));
    EXPECT_EQ(find("again"), (Strings{"A read again", "summer-again.png"}));
    // Every change but the update's resorting of the disks was followed in place.
    EXPECT_LE(snapshot.builds(), 2u);
}

// Every item of the tree with a subtree that can be edited: not the root.
std::vector<CatalogItem*> EditableItems(CatalogTree& tree) {
    std::vector<CatalogItem*> out;
    WalkBelow(tree.root(), EnterAll, [&](CatalogItem& item) {
        out.push_back(&item);
        return true;
    });
    return out;
}

TEST(SearchSnapshot, FollowsEditsInPlace) {
    SilentPrompter prompter(PromptAnswer::Yes);
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        CatalogDocument document(prompter);
        CatalogTree& tree = document.tree();
        RandomCatalog random(seed * 7919);
        random.FillRoot(tree, 300 + random.Pick(300));
        // A few folders to move and copy into.
        std::vector<CatalogItem*> folders;
        for (int f = 0; f < 3; ++f)
            folders.push_back(Add(tree, tree.root(), ("folder" + std::to_string(f)).c_str(), itemflag::Folder));
        SearchSnapshot snapshot(document);
        snapshot.setTrigramThreshold(seed % 2 ? 0 : SIZE_MAX);
        snapshot.refresh();
        // AllWords with an empty text finds every item: the whole pre-order, compared item by item.
        SearchCriteria everything = InitialCriteria(kNow);
        everything.wordMode = WordMode::AllWords;
        for (int step = 0; step < 40; ++step) {
            std::vector<CatalogItem*> items = EditableItems(tree);
            CatalogItem* item = items[size_t(random.Pick(int(items.size())))];
            CatalogItem* const one[] = {item};
            switch (random.Pick(6)) {
                case 0:
                    RenameItem(document, item, random.Name(kPieces, std::size(kPieces), 4));
                    break;
                case 1:
                    DeleteItems(document, one, {.undoable = true, .askFirst = false});
                    break;
                case 2:
                    MoveToFolder(document, one, folders[size_t(random.Pick(3))]);
                    break;
                case 3:
                    CopyToFolder(document, one, folders[size_t(random.Pick(3))]);
                    break;
                case 4:
                    document.undo(false);
                    break;
                case 5:
                    tree.setTextAttribute(item, attr::Description, random.Name(kPieces, std::size(kPieces), 3));
                    tree.setSize(item, uint64_t(random.Pick(5)) << 10);
                    document.notifyChanged(*item);
                    break;
            }
            ASSERT_EQ(snapshot.search(PrepareSearch(everything, kNow), *tree.root()),
                      SearchTree(PrepareSearch(everything, kNow), *tree.root()))
                << "seed " << seed << " step " << step;
            for (int q = 0; q < 5; ++q) {
                const PreparedSearch search = PrepareSearch(random.Criteria(), kNow);
                ASSERT_EQ(snapshot.search(search, *tree.root(), nullptr, 2), SearchTree(search, *tree.root()))
                    << "seed " << seed << " step " << step << " query " << q;
            }
        }
        // Renames, deletes, moves, copies and undos were followed without building again.
        EXPECT_EQ(snapshot.builds(), 1u) << "seed " << seed;
    }
}

// Catalogs of every shape (one disk, many, deep, flat, empty; locked and non-container
// subtrees) give the same columns and trigram indexes whether built on one thread or several, and
// the several-thread build goes on following edits in place.
TEST(SearchSnapshot, BuildsTheSameOnOneThreadOrSeveral) {
    SilentPrompter prompter(PromptAnswer::Yes);
    for (uint32_t seed = 1; seed <= 16; ++seed) {
        CatalogDocument document(prompter);
        CatalogTree& tree = document.tree();
        RandomCatalog random(seed * 31);
        const int shape = int(seed % 4);
        if (shape == 0) {
            random.FillDisks(tree, 1 + random.Pick(3), 300 + random.Pick(2000));
        } else if (shape == 1) {
            // A flat directory of many files beside a few small disks.
            CatalogItem* flat = Add(tree, tree.root(), "flat", DiskFlags(MediaType::CdRom));
            for (int f = 0; f < 3000; ++f)
                Add(tree, flat, random.Name(kPieces, std::size(kPieces), 3).c_str());
            random.FillDisks(tree, 3, 50);
        } else if (shape == 2) {
            random.FillRoot(tree, 200 + random.Pick(800));
        }  // shape 3: the root alone
        SearchSnapshot one(document);
        one.setTrigramThreshold(0);
        one.refresh(1);
        // A literal of three bytes builds the trigram indexes too.
        SearchCriteria criteria = InitialCriteria(kNow);
        criteria.text = "car";
        const PreparedSearch search = PrepareSearch(criteria, kNow);
        const auto expected = SearchTree(search, *tree.root());
        ASSERT_EQ(one.search(search, *tree.root(), nullptr, 1), expected) << seed;
        for (const unsigned threads : {2u, 3u}) {
            SearchSnapshot several(document);
            several.setTrigramThreshold(0);
            several.refresh(threads);
            EXPECT_EQ(several.search(search, *tree.root(), nullptr, threads), expected) << seed << " " << threads;
            EXPECT_TRUE(several.sameContents(one)) << "seed " << seed << " threads " << threads;
        }
        if (shape == 3)
            continue;
        // Edits followed in place from the several-thread build: the whole pre-order still right.
        SearchSnapshot several(document);
        several.refresh(3);
        SearchCriteria everything = InitialCriteria(kNow);
        everything.wordMode = WordMode::AllWords;
        for (int step = 0; step < 10; ++step) {
            std::vector<CatalogItem*> items = EditableItems(tree);
            CatalogItem* item = items[size_t(random.Pick(int(items.size())))];
            CatalogItem* const doomed[] = {item};
            if (step % 2)
                RenameItem(document, item, random.Name(kPieces, std::size(kPieces), 4));
            else
                DeleteItems(document, doomed, {.undoable = true, .askFirst = false});
            ASSERT_EQ(several.search(PrepareSearch(everything, kNow), *tree.root(), nullptr, 2),
                      SearchTree(PrepareSearch(everything, kNow), *tree.root()))
                << "seed " << seed << " step " << step;
        }
        EXPECT_EQ(several.builds(), 1u) << seed;
    }
}

// A chain of directories deeper than the build cuts, each with files beside the next one, ending
// in a wide directory; built on several threads and then changed in place, the columns are those
// a fresh build of the changed tree gives.
TEST(SearchSnapshot, DeepChainsBuildAndChangeAsAFreshBuild) {
    SilentPrompter prompter(PromptAnswer::Yes);
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    CatalogItem* folder = Add(tree, tree.root(), "Folder", itemflag::Folder);
    CatalogItem* parent = Add(tree, folder, "Deep", DiskFlags(MediaType::HardDisk));
    std::vector<CatalogItem*> chain;
    for (int level = 0; level < 14; ++level) {
        Add(tree, parent, ("file " + std::to_string(level)).c_str(), 0, uint64_t(level));
        parent = Add(tree, parent, ("dir " + std::to_string(level)).c_str(), itemflag::Directory);
        Add(tree, parent, "\xC3\x89t\xC3\xA9.txt");
        chain.push_back(parent);
    }
    for (int f = 0; f < 4000; ++f)
        tree.setTextAttribute(Add(tree, parent, ("wide " + std::to_string(f)).c_str()), attr::Description, "car");
    CatalogItem* other = Add(tree, tree.root(), "Other", DiskFlags(MediaType::CdRom));
    Add(tree, other, "inside other");
    SearchSnapshot one(document);
    one.refresh(1);
    for (const unsigned threads : {2u, 3u, 7u}) {
        SearchSnapshot several(document);
        several.refresh(threads);
        EXPECT_TRUE(several.sameContents(one)) << threads;
    }
    SearchSnapshot several(document);
    several.refresh(2);
    CatalogItem* const moved[] = {other};
    ASSERT_EQ(MoveToFolder(document, moved, folder), EditStatus::Done);
    CatalogItem* const deleted[] = {chain[5]};
    ASSERT_EQ(DeleteItems(document, deleted, {.undoable = true, .askFirst = false}), EditStatus::Done);
    ASSERT_EQ(RenameItem(document, chain[2], "renamed"), EditStatus::Done);
    SearchSnapshot fresh(document);
    fresh.refresh(1);
    EXPECT_TRUE(several.sameContents(fresh));
    EXPECT_EQ(several.builds(), 1u);
}

TEST(SearchSnapshot, NarrowedSearchesStayOutOfLockedAndNonContainerSubtrees) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    CatalogItem* disk = Add(tree, tree.root(), "Disk", DiskFlags(MediaType::HardDisk));
    CatalogItem* safe = Add(tree, disk, "Target safe", itemflag::Directory);
    Add(tree, safe, "target inside.txt");
    CatalogItem* file = Add(tree, disk, "target file.bin");
    Add(tree, file, "target below a file.txt");
    CatalogItem* open = Add(tree, disk, "open", itemflag::Directory);
    Add(tree, open, "TARGET open.txt");
    const uint8_t check[] = {7};
    tree.setBlockAttribute(safe, attr::PasswordCheck, check);
    for (const size_t threshold : {size_t(0), SIZE_MAX}) {
        SearchSnapshot snapshot(document);
        snapshot.setTrigramThreshold(threshold);
        SearchCriteria criteria = InitialCriteria(kNow);
        criteria.text = "target";
        const PreparedSearch search = PrepareSearch(criteria, kNow);
        // The locked directory itself is found, nothing inside it or below the file.
        EXPECT_EQ(Names(snapshot.search(search, *tree.root())),
                  (Strings{"Target safe", "target file.bin", "TARGET open.txt"}));
        // Unlocking needs no notice: the lock is asked of the item at each search.
        tree.setNumberAttribute(safe, attr::Unlocked, 1);
        EXPECT_EQ(Names(snapshot.search(search, *tree.root())),
                  (Strings{"Target safe", "target inside.txt", "target file.bin", "TARGET open.txt"}));
        EXPECT_EQ(snapshot.search(search, *tree.root()), SearchTree(search, *tree.root()));
        tree.removeAttribute(safe, attr::Unlocked);
    }
}

TEST(SearchSnapshot, TextConditionsReadTheTextsAsTheyNowAre) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    CatalogItem* disk = Add(tree, tree.root(), "Disk", DiskFlags(MediaType::HardDisk));
    CatalogItem* song = Add(tree, disk, "song.mp3");
    Add(tree, disk, "other.mp3");
    SearchSnapshot snapshot(document);
    SearchCriteria criteria = InitialCriteria(kNow);
    criteria.text = "mp3";
    criteria.conditions.push_back({attr::Artist, ConditionOperator::Contains, 0, 0, "BEATLES"});
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root())), Strings{});
    tree.setTextAttribute(song, attr::Artist, "The Beatles");
    document.notifyChanged(*song);
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root())), (Strings{"song.mp3"}));
    // Case-sensitive: the value as stored decides.
    criteria.caseSensitive = true;
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root())), Strings{});
    criteria.conditions[0].text = "Beatles";
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root())), (Strings{"song.mp3"}));
    // A text found only in another attribute with extra information on, and a numeric condition.
    criteria = InitialCriteria(kNow);
    criteria.text = "beatles";
    criteria.inExtraInfo = true;
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root())), (Strings{"song.mp3"}));
    criteria.conditions.push_back({attr::TrackNumber, ConditionOperator::GreaterThan, 2, 0, {}});
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root())), Strings{});
    tree.setNumberAttribute(song, attr::TrackNumber, 3);
    document.notifyChanged(*song);
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root())), (Strings{"song.mp3"}));
    tree.removeAttribute(song, attr::Artist);
    document.notifyChanged(*song);
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root())), Strings{});
    EXPECT_EQ(snapshot.builds(), 1u);
}

TEST(SearchSnapshot, AWordAcrossTwoNamesIsNoHit) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    CatalogItem* disk = Add(tree, tree.root(), "Disk", DiskFlags(MediaType::HardDisk));
    Add(tree, disk, "xab");
    Add(tree, disk, "cy");
    Add(tree, disk, "BCBC");
    Add(tree, disk, "b");
    Add(tree, disk, "cab");
    SearchSnapshot snapshot(document);
    SearchCriteria criteria = InitialCriteria(kNow);
    criteria.text = "bc";
    const PreparedSearch search = PrepareSearch(criteria, kNow);
    EXPECT_EQ(Names(snapshot.search(search, *tree.root())), (Strings{"BCBC"}));
    EXPECT_EQ(Names(SearchTree(search, *tree.root())), (Strings{"BCBC"}));
}

// Literals whose bytes are in most names, over names of 1 to 200 bytes so that names start and
// end at every place of the 64-byte words the scan marks, and the last name ends the arena.
TEST(SearchSnapshot, CommonLiteralsOverNamesOfEveryLength) {
    SilentPrompter prompter;
    std::mt19937 random(2026);
    const char* const pieces[] = {"a", "b", "A", "B", "\xC3\xA9", "\xC3\x89", " "};
    for (int round = 0; round < 6; ++round) {
        CatalogDocument document(prompter);
        CatalogTree& tree = document.tree();
        CatalogItem* disk = Add(tree, tree.root(), "Disk", DiskFlags(MediaType::HardDisk));
        size_t withA = 0;
        int count = 0;
        for (int n = 0; n < 3000; ++n) {
            const size_t length = 1 + random() % (n % 7 == 0 ? 200 : 12);
            std::string name;
            while (name.size() < length)
                name += pieces[random() % std::size(pieces)];
            // Dates over twenty years, so that the date filter leaves about half.
            Add(tree, n % 5 ? disk : tree.root(), name.c_str(), 0, 0, int32_t(kNow - int64_t(n) * 2 * 86400));
            withA += name.find_first_of("aA") != std::string::npos;
            ++count;
        }
        SearchSnapshot snapshot(document);
        for (const char* text : {"a", "b", "ab", "ba", "aab", "bbb", "\xC3\xA9", "b\xC3\xA9", "a b", "\xC3\xA9\xC3\xA9" "a"}) {
            for (int variant = 0; variant < 3; ++variant) {
                SearchCriteria criteria = InitialCriteria(kNow);
                criteria.text = text;
                criteria.wholeString = variant == 1;
                if (variant == 2) {
                    criteria.dateMode = DateMode::WithinDays;
                    criteria.days = "3650";
                }
                const PreparedSearch search = PrepareSearch(criteria, kNow);
                const auto expected = SearchTree(search, *tree.root());
                for (unsigned threads : {1u, 2u, 3u}) {
                    ASSERT_EQ(snapshot.search(search, *tree.root(), nullptr, threads), expected)
                        << "round " << round << " text '" << text << "' variant " << variant << " threads "
                        << threads;
                }
                if (std::string_view(text) == "a" && variant == 0) {
                    EXPECT_EQ(expected.size(), withA) << count;
                }
            }
        }
    }
}

// A letter in most names: names that hold it are found without reading their texts, a name
// without it only through a text the search reads, nothing inside a locked folder, and the
// kinds left out stay out.
TEST(SearchSnapshot, ACommonLetterFindsNamesAndTextsInTreeOrder) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    CatalogItem* disk = Add(tree, tree.root(), "Data", DiskFlags(MediaType::HardDisk));
    CatalogItem* track = Add(tree, disk, "track.mp3");
    tree.setTextAttribute(track, attr::Description, "zzz");
    CatalogItem* notes = Add(tree, disk, "notes");
    tree.setTextAttribute(notes, attr::Description, "A plan");
    CatalogItem* song = Add(tree, disk, "song.ogg");
    tree.setTextAttribute(song, attr::Artist, "Abba");
    CatalogItem* safe = Add(tree, disk, "Safe", itemflag::Directory);
    Add(tree, safe, "banana");
    const uint8_t check[] = {7};
    tree.setBlockAttribute(safe, attr::PasswordCheck, check);
    CatalogItem* folder = Add(tree, disk, "Papers", itemflag::Directory);
    Add(tree, folder, "tax.pdf");
    Add(tree, folder, "\xC3\x89T\xC3\x89");
    SearchSnapshot snapshot(document);
    SearchCriteria criteria = InitialCriteria(kNow);
    criteria.text = "a";
    auto found = [&] {
        const PreparedSearch search = PrepareSearch(criteria, kNow);
        EXPECT_EQ(snapshot.search(search, *tree.root(), nullptr, 1), SearchTree(search, *tree.root()));
        return Names(snapshot.search(search, *tree.root(), nullptr, 1));
    };
    EXPECT_EQ(found(), (Strings{"Data", "track.mp3", "notes", "Safe", "Papers", "tax.pdf"}));
    criteria.inExtraInfo = true;
    EXPECT_EQ(found(), (Strings{"Data", "track.mp3", "notes", "song.ogg", "Safe", "Papers", "tax.pdf"}));
    criteria.inDescription = criteria.inExtraInfo = false;
    EXPECT_EQ(found(), (Strings{"Data", "track.mp3", "Safe", "Papers", "tax.pdf"}));
    criteria.files = false;
    EXPECT_EQ(found(), (Strings{"Data", "Safe", "Papers"}));
    criteria.files = true;
    criteria.text = "\xC3\xA9";
    EXPECT_EQ(found(), (Strings{"\xC3\x89T\xC3\x89"}));
}

TEST(SearchSnapshot, CancelKeepsTheHitsBeforeIt) {
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    CatalogItem* disk = Add(tree, tree.root(), "Disk", DiskFlags(MediaType::HardDisk));
    Add(tree, disk, "a");
    SearchSnapshot snapshot(document);
    CancelFlag cancel;
    cancel.request();
    SearchCriteria criteria = InitialCriteria(kNow);
    criteria.text = "*";
    EXPECT_EQ(Names(snapshot.search(PrepareSearch(criteria, kNow), *tree.root(), &cancel)),
              (Strings{"Disk"}));
}

}  // namespace
}  // namespace shelfmark::search
