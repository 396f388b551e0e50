// The categories, categorize and extra commands, run as a user runs them, with the file's bytes
// checked through the reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/Definitions.h"
#include "foundation/Prompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

class CategoryCli : public ::testing::Test {
  protected:
    CategoryCli() {
        testing::WriteFile(config.configDir() / "Categories.tkp",
                           "[FileInfo]\nNextCategory=9\n[Categories]\nMusic=3\nFilms=7\n"
                           "[Music]\nRock=5\n");
        SilentPrompter prompter;
        CatalogDocument document(prompter);
        testing::BuildEditCatalog(document.tree());
        EXPECT_TRUE(document.saveCatalogFile(path()));
    }
    std::string path() const { return (dir / "c.tkd").string(); }
    testing::CommandResult cli(const std::string& command, const std::string& rest) const {
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " " + command + " " +
                          ShellQuote(path()) + " " + rest + " </dev/null 2>" +
                          ShellQuote((dir / "stderr").string()));
    }
    std::string errors() const { return ReadFile(dir / "stderr"); }
    CatalogItem* load(CatalogTree& tree, const char* at) const {
        return testing::LoadAt(path(), tree, at);
    }

    testing::ScopedConfigHome config;
    testing::TempDir dir;
};

TEST_F(CategoryCli, DefinitionsComeFromTheProfileAndChangeAsAsked) {
    const std::string before = ReadFile(path());
    auto listed = cli("categories", "");
    EXPECT_EQ(listed.out, "Music [3]\n  Rock [5]\nFilms [7]\n");
    EXPECT_EQ(ReadFile(path()), before);  // listing saves nothing
    ASSERT_EQ(cli("categories", "--add Jazz --under music").exitCode, 0) << errors();
    ASSERT_EQ(cli("categories", "--add Books").exitCode, 0) << errors();
    ASSERT_EQ(cli("categories", "--rename Books Novels").exitCode, 0) << errors();
    EXPECT_EQ(cli("categories", "").out,
              "Music [3]\n  Rock [5]\n  Jazz [9]\nFilms [7]\nNovels [10]\n");
    EXPECT_EQ(cli("categories", "--add X --under Rock").exitCode, 1);
    EXPECT_EQ(cli("categories", "--delete Nothing").exitCode, 1);
    EXPECT_EQ(cli("categories", "--add ROCK").exitCode, 1);
    EXPECT_EQ(cli("categories", "--under Music").exitCode, 2);
}

TEST_F(CategoryCli, AssignmentsAtMostFourAndRemovedWithTheirCategory) {
    ASSERT_EQ(cli("categorize", "Music/Rock Backup --set Rock,Films,Music").exitCode, 0)
        << errors();
    CatalogTree first;
    EXPECT_EQ(load(first, "Music\\Rock")->numberAttribute(attr::Categories), 0x030705u);
    EXPECT_EQ(testing::At(first, "Backup")->numberAttribute(attr::Categories), 0x030705u);
    EXPECT_EQ(cli("categorize", "Backup --set Rock,Films,Music,Rock,Films").exitCode, 2);
    EXPECT_EQ(cli("categorize", "Backup --set Nope").exitCode, 1);
    EXPECT_NE(cli("dump", "--format text").out.find("    categories: Rock, Films, Music\n"),
              std::string::npos);

    ASSERT_EQ(cli("categories", "--delete Films --keep-assignments").exitCode, 0) << errors();
    EXPECT_NE(cli("dump", "").out.find("\"categories\": [\"Rock\", \"#0007\", \"Music\"]"),
              std::string::npos);
    // Deleting Music takes Rock with it, and both leave every item.
    ASSERT_EQ(cli("categories", "--delete Music").exitCode, 0) << errors();
    CatalogTree second;
    EXPECT_EQ(load(second, "Music\\Rock")->numberAttribute(attr::Categories), 0x07u);
    ASSERT_EQ(cli("categorize", "Music/Rock --clear").exitCode, 0) << errors();
    CatalogTree third;
    EXPECT_FALSE(load(third, "Music\\Rock")->hasAttribute(attr::Categories));
}

TEST_F(CategoryCli, ExtraFieldsDefinedSetAndDeleted) {
    ASSERT_EQ(cli("extra", "--define-number Rating").exitCode, 0) << errors();
    ASSERT_EQ(cli("extra", "--define-text Shelf").exitCode, 0) << errors();
    EXPECT_EQ(cli("extra", "").out, "Rating\tnumber\t0x70\nShelf\ttext\t0xB0\n");
    EXPECT_EQ(cli("extra", "--define-text rating").exitCode, 1);
    EXPECT_EQ(cli("extra", "--define-number Artist").exitCode, 1);
    const char* disk = "Music/Rock/'Rock One'";
    ASSERT_EQ(cli("extra", std::string(disk) +
                               " --set Rating=0x1A --set shelf=B2 --set 'Serial number=S-1'")
                  .exitCode,
              0)
        << errors();
    EXPECT_EQ(cli("extra", disk).out, "Rating: 26\nShelf: B2\nSerial number: S-1\n");
    ASSERT_EQ(cli("extra", std::string(disk) + " --set Rating=010 --set Shelf=").exitCode, 0)
        << errors();
    EXPECT_EQ(cli("extra", disk).out, "Serial number: S-1\nRating: 10\n");
    EXPECT_EQ(cli("extra", std::string(disk) + " --set Rating=ten").exitCode, 1);
    EXPECT_EQ(cli("extra", std::string(disk) + " --set Nothing=1").exitCode, 1);
    ASSERT_EQ(cli("extra", "--delete Rating").exitCode, 0) << errors();
    EXPECT_EQ(cli("extra", "").out, "Shelf\ttext\t0xB0\n");
    CatalogTree tree;
    EXPECT_FALSE(load(tree, "Music\\Rock\\Rock One")->hasAttribute(0x70));
    EXPECT_EQ(ExtraDefinitionsOf(*tree.root()), (std::vector<ExtraDefinition>{{0xB0, "Shelf"}}));
}

TEST_F(CategoryCli, ThumbnailIsStoredAsAScaledJpeg) {
    if (!testing::HaveProgram("convert"))
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const std::string image = (dir / "red.jpg").string();
    ASSERT_EQ(RunCommand("convert -size 200x100 xc:red " + ShellQuote(image)).exitCode, 0);
    ASSERT_EQ(cli("extra", "Music/Rock/'Rock One'/cover.jpg --thumbnail " + ShellQuote(image))
                  .exitCode,
              0)
        << errors();
    CatalogTree tree;
    const auto jpeg = load(tree, "Music\\Rock\\Rock One\\cover.jpg")->blockAttribute(attr::Thumbnail);
    ASSERT_TRUE(jpeg);
    testing::WriteFile(dir / "thumb.jpg",
                       std::string_view(reinterpret_cast<const char*>(jpeg->data()), jpeg->size()));
    EXPECT_EQ(RunCommand("identify -format %wx%h " + ShellQuote((dir / "thumb.jpg").string())).out,
              "64x32");
    EXPECT_EQ(cli("extra", "Music/Rock/'Rock One'/cover.jpg --thumbnail /nonexistent").exitCode, 1);
}

TEST_F(CategoryCli, ThumbnailsOfOtherPictureKindsAreStoredAsJpeg) {
    if (!testing::HaveProgram("convert"))
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    if (!std::filesystem::exists(std::string(SHELFMARK_PLUGIN_BUILD_DIR) + "/hvsm_images.so"))
        GTEST_SKIP() << "the image plug-in was not built";
    const std::string withPlugin = "SHELFMARK_PLUGIN_PATH=" + ShellQuote(SHELFMARK_PLUGIN_BUILD_DIR);
    for (const char* kind : {"png", "gif", "bmp", "webp"}) {
        const std::string image = (dir / (std::string("blue.") + kind)).string();
        ASSERT_EQ(RunCommand("convert -size 50x200 xc:blue " + ShellQuote(image)).exitCode, 0);
        ASSERT_EQ(RunCommand(withPlugin + " " + SHELFMARK_CLI_PATH + " extra " + ShellQuote(path()) +
                             " Loose --thumbnail " + ShellQuote(image) + " 2>" +
                             ShellQuote((dir / "stderr").string()))
                      .exitCode,
                  0)
            << kind << ": " << errors();
        CatalogTree tree;
        const auto jpeg = load(tree, "Loose")->blockAttribute(attr::Thumbnail);
        ASSERT_TRUE(jpeg) << kind;
        const std::filesystem::path stored = dir / "thumb.jpg";
        testing::WriteFile(stored, std::string_view(reinterpret_cast<const char*>(jpeg->data()),
                                                    jpeg->size()));
        EXPECT_EQ(RunCommand("identify -format %m:%wx%h " + ShellQuote(stored.string())).out,
                  "JPEG:16x64")
            << kind;
    }
    // Text is no picture, and without the plug-in only JPEG is read.
    const std::string text = (dir / "notes.png").string();
    testing::WriteFile(text, "not a picture");
    EXPECT_EQ(cli("extra", "Loose --thumbnail " + ShellQuote(text)).exitCode, 1);
    EXPECT_NE(errors().find("No plugin found to handle this file type."), std::string::npos)
        << errors();
}

TEST_F(CategoryCli, BatchLinesCategorizeAndSetExtraInformationWithUndo) {
    const std::filesystem::path script = dir / "script";
    testing::WriteFile(script, "categorize Loose Music/Jazz --set Rock,Films\n"
                               "extra Loose --set Artist=Ann --set 'Serial number=S-9'\n"
                               "# the second categorize is taken back, the first stays\n"
                               "categorize Music/Jazz --clear\n"
                               "undo\n"
                               "extra Music/Jazz --set Comment=later\n");
    ASSERT_EQ(cli("batch", ShellQuote(script.string())).exitCode, 0) << errors();
    CatalogTree tree;
    const CatalogItem* loose = load(tree, "Loose");
    EXPECT_EQ(loose->numberAttribute(attr::Categories), 0x0705u);
    EXPECT_EQ(loose->textAttribute(attr::Artist), "Ann");
    EXPECT_EQ(loose->textAttribute(attr::SerialNumber), "S-9");
    const CatalogItem* jazz = testing::At(tree, "Music\\Jazz");
    EXPECT_EQ(jazz->numberAttribute(attr::Categories), 0x0705u);
    EXPECT_EQ(jazz->textAttribute(attr::Comment), "later");

    // A line that fails leaves the file as it was, edits before it included.
    const std::string before = ReadFile(path());
    for (const char* bad : {"categorize Loose --set Nope\n", "extra Loose\n",
                            "extra Loose --set Nothing=1\n", "categorize Loose --set Rock --clear\n",
                            "categorize --clear\n"}) {
        testing::WriteFile(script, std::string("categorize Backup --clear\nextra Backup "
                                               "--set Artist=Bob\n") + bad);
        EXPECT_NE(cli("batch", ShellQuote(script.string())).exitCode, 0) << bad;
        EXPECT_NE(errors().find("batch stopped at line 3"), std::string::npos) << errors();
        EXPECT_EQ(ReadFile(path()), before) << bad;
    }
}

}  // namespace
}  // namespace shelfmark
