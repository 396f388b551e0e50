// ncdu exports in and out: the real exports in the shared corpora, files written by hand, and
// Debian's ncdu reading what we write.
#include <gtest/gtest.h>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include "catalog/TreeWalk.h"
#include "exchange/ForeignImport.h"
#include "exchange/NcduFormat.h"
#include "tests/exchange/ImportFixture.h"

namespace shelfmark {
namespace {

using testing::At;

using testing::FileSizes;

std::string Corpus(const char* name) {
    return testing::ImportCorpus(std::string("ncdu/") + name);
}

using NcduImport = testing::ImportFixture;

TEST_F(NcduImport, TheOddTreeArrivesWithItsNamesSizesAndDates) {
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(import({Corpus("odd-extended.json")}), EditStatus::Done)
        << (report.failed.empty() ? "" : report.failed[0]);
    ASSERT_EQ(report.imported.size(), 1u);
    const CatalogItem* disk = report.imported[0];
    EXPECT_EQ(disk->name(), "root");
    EXPECT_EQ(disk->mediaType(), MediaType::HardDisk);
    EXPECT_EQ(disk->date(), 1796719911);  // the export's time
    EXPECT_EQ(disk->numberAttribute(attr::DiskNumber), 1u);

    EXPECT_EQ(at("Scans\\root\\sub\\sparse.img")->size(), 1048576u);
    EXPECT_EQ(at("Scans\\root\\sub\\old-1969.txt")->date(), -14182940);  // wrapped by ncdu
    EXPECT_EQ(at("Scans\\root\\sub\\deeper\\x.dat")->date(), 0);  // 2038: past 32 bits
    EXPECT_EQ(at("Scans\\root\\sub\\deeper\\x.dat")->size(), 3000u);
    EXPECT_EQ(at("Scans\\root\\sub\\old-1969.txt")->size(), 4u);
    EXPECT_TRUE(at("Scans\\root\\empty dir")->isDirectory());
    // A name that is not UTF-8 enters as names read from a disk do (Windows-1252).
    EXPECT_NE(at("Scans\\root\\sub\\latin1-\xC3\xA9t\xC3\xA9.txt"), nullptr);
    EXPECT_NE(at("Scans\\root\\sub\\tab\tand\nnewline.txt"), nullptr);
    EXPECT_NE(at("Scans\\root\\sub\\name \"with\" quotes & backslash\\\\.txt"), nullptr);
    EXPECT_NE(at("Scans\\root\\\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9 \xE3\x83\x87\xE3\x82\xA3"
                 "\xE3\x83\xAC\xE3\x82\xAF\xE3\x83\x88\xE3\x83\xAA\\na\xC3\xAFve caf\xC3\xA9.txt"),
              nullptr);
    // Both names of a hard link, the fifo (no sizes at all) and the symlink (its own length).
    EXPECT_EQ(at("Scans\\root\\sub\\a.fifo")->size(), 0u);
    EXPECT_EQ(at("Scans\\root\\dir with spaces\\symlink.bin")->size(), 21u);
    // Directories carry the total of the files below them: 6+21 + 14 + 6+4+3+10000+1048576+5+4
    // + 10000+3000.
    EXPECT_EQ(at("Scans\\root\\sub\\deeper")->size(), 13000u);
    EXPECT_EQ(disk->size(), 1071639u);
    EXPECT_EQ(folder->size(), disk->size());
    EXPECT_TRUE(testing::WrongFolderSizes(document.tree()).empty());
    EXPECT_EQ(document.undoStepCount(), 1u);
    EXPECT_EQ(document.newestUndoStep()->label, "Import other catalogs");

    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(folder->firstChildIgnoringLock(), nullptr);
    EXPECT_EQ(folder->size(), 0u);
}

TEST_F(NcduImport, ExcludedEntriesAndOtherFileSystems) {
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(import({Corpus("odd-exclude-extended.json"), Corpus("mounts-x-othfs.json")}),
              EditStatus::Done);
    ASSERT_EQ(report.imported.size(), 2u);
    ASSERT_EQ(report.notes.size(), 1u);
    EXPECT_NE(report.notes[0].find("1 entries ncdu had excluded were left out"), std::string::npos);
    EXPECT_EQ(at("Scans\\root\\sub\\excluded.tmp"), nullptr);
    // A mount point ncdu did not cross is an empty directory.
    const CatalogItem* mnt = at("Scans\\xfs\\mnt");
    ASSERT_NE(mnt, nullptr);
    EXPECT_TRUE(mnt->isDirectory());
    EXPECT_EQ(mnt->firstChild(), nullptr);
    // Two disks, two internal numbers.
    EXPECT_NE(report.imported[0]->numberAttribute(attr::DiskNumber),
              report.imported[1]->numberAttribute(attr::DiskNumber));
}

TEST_F(NcduImport, ABrokenFileAddsNothingAndSaysWhere) {
    const std::string good = (dir / "good.json").string();
    testing::WriteFile(good,
                       "[1,2,{\"progname\":\"ncdu\",\"progver\":\"1.18\",\"timestamp\":5},\n"
                       "[{\"name\":\"/mnt/a\"},\n{\"name\":\"f\",\"asize\":7}]]");
    struct Broken {
        const char* text;
        const char* where;
    };
    const Broken cases[] = {
        // Cut short half way: the directory read so far must not arrive.
        {"[1,2,{\"progname\":\"ncdu\"},\n[{\"name\":\"/x\"},\n{\"name\":\"f\",\"asize\":7},\n[{\"n",
         "line 4, column 5"},
        {"[1,2,{\"progname\":\"ncdu\"},\n[{\"name\":\"/x\"},\n{\"name\":\"f\",\"asize\":-7}]]",
         "line 3, column 21"},
        {"[1,2,{\"progname\":\"ncdu\"},\n[{\"name\":\"/x\"},\n{\"asize\":7}]]", "line 3, column 1"},
        {"[2,0,{\"progname\":\"ncdu\"},[{\"name\":\"/x\"}]]", "line 1, column 2"},
        {"[1,2,{\"progname\":\"ncdu\"},\n[{\"name\":\"/x\"},\n7]]", "line 3, column 1"},
    };
    for (const Broken& broken : cases) {
        const std::string bad = (dir / "bad.json").string();
        testing::WriteFile(bad, broken.text);
        EXPECT_EQ(import({bad, good}, ForeignFormat::Ncdu), EditStatus::Done) << broken.text;
        ASSERT_EQ(report.failed.size(), 1u);
        EXPECT_EQ(report.failed[0].rfind(bad + ": " + broken.where + ": ", 0), 0u)
            << report.failed[0];
        ASSERT_EQ(report.imported.size(), 1u);
        EXPECT_EQ(report.imported[0]->name(), "a");
    }
    // A NUL no file name can hold becomes the replacement character.
    const std::string nul = (dir / "nul.json").string();
    testing::WriteFile(nul, "[1,2,{\"progname\":\"ncdu\"},[{\"name\":\"/r\"},{\"name\":\"a\\u0000b\"}]]");
    ASSERT_EQ(import({nul}), EditStatus::Done);
    EXPECT_EQ(report.imported[0]->firstChild()->name(), "a\xEF\xBF\xBD" "b");
    document.undo(false);

    // Only the good file's disks, once per round.
    EXPECT_EQ(document.tree().countItems(folder), 2u * std::size(cases));

    // Nothing readable at all: the catalog is unchanged and carries no undo step.
    const size_t steps = document.undoStepCount();
    EXPECT_EQ(import({(dir / "missing.json").string()}), EditStatus::Unchanged);
    EXPECT_NE(report.failed.at(0).find("No such file or directory"), std::string::npos);
    testing::WriteFile(dir / "plain.txt", "hello");
    EXPECT_EQ(import({(dir / "plain.txt").string()}), EditStatus::Unchanged);
    EXPECT_NE(report.failed.at(0).find("not a catalog format"), std::string::npos);
    EXPECT_EQ(document.undoStepCount(), steps);
}

// The export read back by our reader and by Debian's ncdu gives the same files and sizes.
TEST_F(NcduImport, ExportRoundTripsThroughNcdu) {
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(import({Corpus("usr-share-doc-a-to-k.json"), Corpus("odd-basic.json")}),
              EditStatus::Done);
    for (const CatalogItem* disk : report.imported) {
        const std::map<std::string, uint64_t> before = FileSizes(disk);
        ASSERT_GT(before.size(), 10u);
        const std::string out = (dir / "out.json").string();
        testing::WriteFile(out, WriteNcduExport(*disk, 1000));

        CatalogTree second;
        second.resetToNewCatalog();
        ForeignTreeBuilder builder(second, second.root());
        ForeignReadError error;
        ASSERT_TRUE(ReadNcduExport(testing::ReadFile(out), builder, error)) << error.describe();
        builder.finish();
        EXPECT_EQ(FileSizes(builder.disks()[0]), before);
        EXPECT_EQ(builder.disks()[0]->size(), disk->size());

        if (!testing::HaveProgram("ncdu"))
            continue;
        const std::string again = (dir / "again.json").string();
        ASSERT_EQ(testing::RunCommand("ncdu -f " + testing::ShellQuote(out) + " -o " +
                                      testing::ShellQuote(again) + " 2>&1")
                      .exitCode,
                  0);
        CatalogTree third;
        third.resetToNewCatalog();
        ForeignTreeBuilder fromNcdu(third, third.root());
        ASSERT_TRUE(ReadNcduExport(testing::ReadFile(again), fromNcdu, error))
            << error.describe();
        fromNcdu.finish();
        EXPECT_EQ(FileSizes(fromNcdu.disks()[0]), before);
        EXPECT_EQ(fromNcdu.disks()[0]->name(), disk->name());
    }
}

TEST(NcduExport, FoldersDisksAndLockedContents) {
    CatalogTree tree;
    tree.resetToNewCatalog();
    testing::BuildEditCatalog(tree);
    CatalogItem* music = At(tree, "Music");
    ASSERT_NE(music, nullptr);
    const std::string all = WriteNcduExport(*music, 42);
    EXPECT_EQ(all.rfind("[1,2,{\"progname\":\"shelfmark\",\"progver\":\"", 0), 0u);
    EXPECT_NE(all.find("\"timestamp\":42},\n[{\"name\":\"Music\""), std::string::npos);
    EXPECT_NE(all.find("[{\"name\":\"Rock One\""), std::string::npos);
    EXPECT_NE(all.find("{\"name\":\"track1.mp3\",\"asize\":600,\"dsize\":4096"),
              std::string::npos);
    // An archive is the file it is; its entries stay inside.
    EXPECT_NE(all.find("{\"name\":\"songs.zip\""), std::string::npos);
    EXPECT_EQ(all.find("a.txt"), std::string::npos);

    const uint8_t check[] = {1, 2, 3, 4};
    tree.setBlockAttribute(music, attr::PasswordCheck, check);
    const std::string locked = WriteNcduExport(*music, 42);
    EXPECT_EQ(locked.find("Rock"), std::string::npos);
    EXPECT_EQ(locked.substr(locked.find('\n')), "\n[{\"name\":\"Music\",\"mtime\":1600000000}]]\n");
}

}  // namespace
}  // namespace shelfmark
