#include "catalog/OpenOnMedium.h"

#include <gtest/gtest.h>

#include "catalog/CatalogDocument.h"
#include "catalog/InsertDiskPrompt.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog-medium/MediumCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::AddDisk;
using testing::AddPath;
using testing::MakeVolume;

class CancelDialog : public InsertDiskDialog {
  public:
    bool run(InsertDiskPrompt& prompt) override {
        asked.push_back(prompt.request().diskName);
        prompt.cancel();
        return false;
    }
    std::vector<std::string> asked;
};

// A folder stands in for a mounted volume: its path is the volume's mount point.
class OpenOnMediumTest : public ::testing::Test {
  protected:
    OpenOnMediumTest() : document(prompter) {
        mount = std::filesystem::canonical(dir.path()).string();
        std::filesystem::create_directories(dir / "base" / "docs");
        testing::WriteFile(dir / "base" / "docs" / "a.txt", "a");
        testing::WriteFile(dir / "base" / "b.txt", "b");
        drives = {MakeVolume("/", DriveType::Fixed, 1),
                  MakeVolume(mount, DriveType::Removable, 77)};
        CatalogTree& tree = document.tree();
        stick = AddDisk(tree, tree.root(), "Stick", MediaType::Removable, 77, 0, "base", "LBL");
        other = AddDisk(tree, tree.root(), "Other", MediaType::Removable, 78);
    }
    OpenOnMediumResult open(std::vector<CatalogItem*> items) {
        return OpenOnMedium(document, items, drives, &dialog,
                            [this](const std::string& path, std::string& error) {
                                opened.push_back(path);
                                if (path.find("fail") != std::string::npos) {
                                    error = "cannot open '" + path + "': no application";
                                    return false;
                                }
                                return true;
                            });
    }

    testing::TempDir dir;
    std::string mount;
    ScriptedPrompter prompter;
    CatalogDocument document;
    std::vector<Volume> drives;
    CancelDialog dialog;
    CatalogItem* stick = nullptr;
    CatalogItem* other = nullptr;
    std::vector<std::string> opened;
};

TEST_F(OpenOnMediumTest, OpensFilesAtTheirRealPaths) {
    CatalogTree& tree = document.tree();
    CatalogItem* a = AddPath(tree, stick, "docs\\a.txt");
    CatalogItem* b = AddPath(tree, stick, "b.txt");
    const OpenOnMediumResult result = open({a, b});
    EXPECT_EQ(opened,
              (std::vector<std::string>{mount + "/base/docs/a.txt", mount + "/base/b.txt"}));
    EXPECT_EQ(result.opened, 2u);
    EXPECT_FALSE(result.refused);
    EXPECT_FALSE(result.notFound);
    EXPECT_EQ(result.containerToShow, nullptr);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_TRUE(dialog.asked.empty());
}

TEST_F(OpenOnMediumTest, ContainersAndArchiveEntriesAreNotOpened) {
    CatalogTree& tree = document.tree();
    CatalogItem* docs = AddPath(tree, stick, "docs", itemflag::Directory);
    CatalogItem* zip = AddPath(tree, stick, "pack.zip", itemflag::Archive);
    CatalogItem* inside = AddPath(tree, zip, "inner.txt");
    CatalogItem* b = AddPath(tree, stick, "b.txt");
    const OpenOnMediumResult result = open({docs, inside, zip, b});
    EXPECT_EQ(result.containerToShow, docs);
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(opened, (std::vector<std::string>{mount + "/base/b.txt"}));
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].message.text,
              "This command cannot be used with an item of this kind.");
    EXPECT_EQ(prompter.shown()[0].message.caption, "LBL:\\base\\pack.zip\\inner.txt");
    EXPECT_EQ(prompter.shown()[1].message.text, "Only one directory can be opened.");
    EXPECT_EQ(prompter.shown()[1].message.caption, "LBL:\\base\\pack.zip");
}

TEST_F(OpenOnMediumTest, AFileGoneFromTheMediumIsReported) {
    CatalogTree& tree = document.tree();
    CatalogItem* gone = AddPath(tree, stick, "docs\\gone.txt");
    CatalogItem* below = AddPath(tree, stick, "b.txt\\x");  // a "directory" that is a file now
    CatalogItem* fails = AddPath(tree, stick, "fail.txt");
    testing::WriteFile(dir / "base" / "fail.txt", "f");
    const OpenOnMediumResult result = open({gone, below, fails});
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(result.opened, 0u);
    EXPECT_EQ(opened, (std::vector<std::string>{mount + "/base/fail.txt"}));
    EXPECT_EQ(
        prompter.shownTexts(),
        (std::vector<std::string>{"Path '" + mount + "/base/docs/gone.txt' not found.",
                                  "Path '" + mount + "/base/b.txt/x' not found.",
                                  "cannot open '" + mount + "/base/fail.txt': no application"}));
    EXPECT_EQ(prompter.shown()[2].message.caption, mount + "/base/fail.txt");
}

TEST_F(OpenOnMediumTest, ADiskNotFoundEndsTheCommand) {
    CatalogTree& tree = document.tree();
    CatalogItem* first = AddPath(tree, other, "x.txt");
    CatalogItem* b = AddPath(tree, stick, "b.txt");
    const OpenOnMediumResult result = open({first, b});
    EXPECT_TRUE(result.notFound);
    EXPECT_EQ(dialog.asked, (std::vector<std::string>{"Other"}));
    EXPECT_TRUE(opened.empty());

    // Disk by disk in the order of first appearance: the stick's files are opened first.
    dialog.asked.clear();
    CatalogItem* a = AddPath(tree, stick, "docs\\a.txt");
    const OpenOnMediumResult second = open({b, first, a});
    EXPECT_TRUE(second.notFound);
    EXPECT_EQ(second.opened, 2u);
    EXPECT_EQ(opened,
              (std::vector<std::string>{mount + "/base/b.txt", mount + "/base/docs/a.txt"}));
}

TEST_F(OpenOnMediumTest, AShortcutOpensItsTarget) {
    CatalogTree& tree = document.tree();
    CatalogItem* b = AddPath(tree, stick, "b.txt");
    CatalogItem* link =
        tree.createItem("Shortcut to b.txt", tree.root(), Sorted, itemflag::Shortcut);
    tree.setTextAttribute(link, attr::ShortcutTarget, tree.pathText(b, pathmode::Reference));
    CatalogItem* broken = tree.createItem("Broken", tree.root(), Sorted, itemflag::Shortcut);
    tree.setTextAttribute(broken, attr::ShortcutTarget, "{Disk00FF}:\\none");
    const OpenOnMediumResult result = open({link, broken});
    EXPECT_EQ(opened, (std::vector<std::string>{mount + "/base/b.txt"}));
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(prompter.shownTexts(), (std::vector<std::string>{"This item was not found."}));
}

}  // namespace
}  // namespace shelfmark
