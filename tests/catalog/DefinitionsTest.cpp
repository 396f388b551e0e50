// Category and extra-information definitions: the blocks against bytes written out by hand, the
// name tables and column rows, the migration from Categories.tkp, the two editors (questions,
// removal from items, undo back to the saved bytes) and the extra-information apply rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/CategoryOperations.h"
#include "catalog/ColumnDescriptors.h"
#include "catalog/DefinitionEditors.h"
#include "catalog/Definitions.h"
#include "catalog/ExtraInfoOperations.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::At;
using testing::SavedBytes;
using Bytes = std::vector<uint8_t>;

Bytes FromString(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

TEST(DefinitionBlocks, CategoryBlockReadsShortAnsiAndWideNames) {
    // next 9; "Music" (3); sub "Café" in Windows-1252 (5); wide "Über" (7) as 255, 254, 4, UTF-16LE.
    const Bytes block = FromString(std::string("\x09\x01\x03\x05Music\x02\x05\x04" "Caf\xE9", 16) +
                                   std::string("\x01\x07\xFF\xFE\x04\xDC\0b\0e\0r\0", 13));
    const CategoryDefinitions definitions = ParseCategoryBlock(block);
    EXPECT_EQ(definitions.nextId, 9);
    ASSERT_EQ(definitions.entries.size(), 3u);
    EXPECT_EQ(definitions.entries[0], (CategoryEntry{1, 3, "Music"}));
    EXPECT_EQ(definitions.entries[1], (CategoryEntry{2, 5, "Caf\xC3\xA9"}));
    EXPECT_EQ(definitions.entries[2], (CategoryEntry{1, 7, "\xC3\x9C" "ber"}));
    // Cut inside the wide name: the entries before it stay.
    const CategoryDefinitions cut = ParseCategoryBlock(std::span(block).first(block.size() - 3));
    EXPECT_EQ(cut.entries.size(), 2u);
    EXPECT_TRUE(ParseCategoryBlock({}).entries.empty());
}

TEST(DefinitionBlocks, WritingCutsLongNamesAtACharacterBoundary) {
    CategoryDefinitions definitions;
    definitions.nextId = 2;
    definitions.entries.push_back({1, 1, std::string(253, 'a') + "\xC3\xA9" + "zz"});
    const Bytes block = EncodeCategoryBlock(definitions);
    ASSERT_EQ(block.size(), 1u + 3u + 253u);
    EXPECT_EQ(block[3], 253);  // the two-byte character would end past byte 254: it goes whole
    const Bytes exact = EncodeCategoryBlock({1, {{2, 4, "Rock"}}});
    EXPECT_EQ(exact, FromString(std::string("\x01\x02\x04\x04Rock")));
}

TEST(DefinitionBlocks, ExtraBlockKeepsOnlyUserKeysOnceEach) {
    const Bytes block = FromString(std::string("\x04\xB2\x05Shelf\x41\x01x\x70\x06Rating\xB2\x01y"));
    const std::vector<ExtraDefinition> definitions = ParseExtraBlock(block);
    ASSERT_EQ(definitions.size(), 2u);
    EXPECT_EQ(definitions[0], (ExtraDefinition{0xB2, "Shelf"}));
    EXPECT_EQ(definitions[1], (ExtraDefinition{0x70, "Rating"}));
    EXPECT_EQ(EncodeExtraBlock(definitions),
              FromString(std::string("\x02\xB2\x05Shelf\x70\x06Rating")));
    std::vector<ExtraDefinition> many(40, {0x70, "n"});
    EXPECT_EQ(EncodeExtraBlock(many)[0], 32);
}

TEST(CategoryAssignment, IdentifiersMoveDownAndTheLastRemovalDropsTheValue) {
    const uint32_t threeSeven = 0x00000703;  // bytes 03 07 00 00
    EXPECT_EQ(PackCategoryIds({3, 7, 0, 0}), threeSeven);
    EXPECT_EQ(RemoveCategoryIds(threeSeven, Bytes{3}), 0x07u);
    EXPECT_EQ(RemoveCategoryIds(threeSeven, Bytes{3, 7}), 0u);
    EXPECT_EQ(RemoveCategoryIds(0x04030201, Bytes{2}), 0x00040301u);
    // The list ends at the first zero byte: a byte after it is no identifier.
    EXPECT_EQ(RemoveCategoryIds(0x09000201, Bytes{}), 0x0201u);
}

TEST(ExtraNumbers, HexAfter0xElseDecimal) {
    EXPECT_EQ(ParseExtraNumber("0x1A"), 26u);
    EXPECT_EQ(ParseExtraNumber("010"), 10u);
    EXPECT_EQ(ParseExtraNumber("4294967295"), 4294967295u);
    EXPECT_FALSE(ParseExtraNumber("4294967296"));
    EXPECT_FALSE(ParseExtraNumber("0x"));
    EXPECT_FALSE(ParseExtraNumber("12a"));
    EXPECT_FALSE(ParseExtraNumber("-1"));
    EXPECT_FALSE(ParseExtraNumber(""));
}

TEST(ColumnTable, BuiltinRowsAndUserRowsAfterThem) {
    ColumnTable table;
    ASSERT_EQ(table.size(), kBuiltinColumnCount);
    EXPECT_EQ(table.row(3).key, 0x02);
    EXPECT_EQ(table.row(3).title, "Modified");
    EXPECT_EQ(table.row(9).titleKey, 0);  // CRC32 is shown as is
    const ColumnDescriptor& thumbnail = table.row(25);
    EXPECT_EQ(thumbnail.key, attr::Thumbnail);
    for (uint16_t flags = 1; flags < 0x80; ++flags)
        EXPECT_FALSE(ColumnOffered(thumbnail, flags));
    table.appendUserRow(0xB1, "Shelf");
    table.appendUserRow(0x70, "Rating");
    EXPECT_EQ(table.indexOfKey(0xB1), 26);
    EXPECT_EQ(table.row(27).align, 1);
    EXPECT_EQ(table.row(26).align, 0);
    EXPECT_EQ(table.row(27).mask, 127);
    table.clearUserRows();
    EXPECT_EQ(table.size(), kBuiltinColumnCount);
    EXPECT_EQ(table.findKey(0x70), nullptr);
}

class Definitions : public ::testing::Test {
  protected:
    Definitions() {
        testing::BuildEditCatalog(document.tree());
        definitions.attach(document, (dir / "Categories.tkp").string());
    }
    CatalogTree& tree() { return document.tree(); }
    CatalogItem* root() { return tree().root(); }
    void setCategories(const char* path, uint32_t value) {
        tree().setNumberAttribute(At(tree(), path), attr::Categories, value);
    }
    uint32_t categoriesOf(const char* path) {
        return At(tree(), path)->numberAttribute(attr::Categories).value_or(0);
    }

    testing::TempDir dir;
    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
    CatalogDefinitions definitions;
};

TEST_F(Definitions, MigrationFromTheProfileInFileOrder) {
    testing::WriteFile(dir / "Categories.tkp",
                       "[FileInfo]\nNextCategory=12\n[Categories]\nMusic=a=b=3\nFilms=7\n"
                       "[Films]\nDrama=8\n[Music]\nRock=x=5\nJazz=6\n[music]\nNot=9\n");
    definitions.load(document, (dir / "Categories.tkp").string());
    const Bytes expected = FromString(std::string("\x0C") + "\x01\x03\x05Music" +
                                      "\x02\x05\x04Rock" + "\x02\x06\x04Jazz" +
                                      "\x01\x07\x05" "Films" + "\x02\x08\x05" "Drama");
    const auto block = root()->blockAttribute(attr::CategoryDefinitions);
    ASSERT_TRUE(block);
    EXPECT_EQ(Bytes(block->begin(), block->end()), expected);
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(definitions.categoryName(5), "Rock");
    EXPECT_EQ(definitions.categoryName(4), "#0004");
    EXPECT_EQ(definitions.categoryName(9), "#0009");
}

TEST_F(Definitions, ANewCatalogTakesTheProfileToo) {
    testing::WriteFile(dir / "Categories.tkp", "[Categories]\nBooks=2\n");
    document.newCatalog();
    EXPECT_EQ(CategoryDefinitionsOf(*root()).entries, (std::vector<CategoryEntry>{{1, 2, "Books"}}));
    EXPECT_EQ(definitions.categoryName(2), "Books");
    EXPECT_TRUE(document.isModified());
}

TEST_F(Definitions, NoProfileGivesAnEmptyBlockAndNoChange) {
    definitions.load(document, (dir / "missing.tkp").string());
    const auto block = root()->blockAttribute(attr::CategoryDefinitions);
    ASSERT_TRUE(block);
    EXPECT_EQ(Bytes(block->begin(), block->end()), Bytes{1});
    EXPECT_FALSE(document.isModified());
}

TEST_F(Definitions, FieldNamesWithAndWithoutDefinitions) {
    tree().setBlockAttribute(root(), attr::ExtraInfoDefinitions,
                             FromString(std::string("\x01\x70\x06Rating")));
    definitions.reload(*root());
    EXPECT_EQ(definitions.extraName(0x70), "Rating");
    EXPECT_EQ(definitions.extraName(0xB2), "#002");
    EXPECT_EQ(definitions.extraName(0x7F), "#015");
    EXPECT_EQ(definitions.extraName(attr::SerialNumber), "Serial number");
    EXPECT_EQ(definitions.extraKeyNamed("rating"), 0x70);
    EXPECT_EQ(definitions.extraKeyNamed("md5"), attr::Md5);
    EXPECT_FALSE(definitions.extraKeyNamed("#002"));  // no definition to name
    EXPECT_EQ(definitions.columns().size(), kBuiltinColumnCount + 1);
    EXPECT_EQ(definitions.columns().row(26).title, "Rating");
}

TEST_F(Definitions, CategoryDeleteQuestionOutcomes) {
    tree().setBlockAttribute(root(), attr::CategoryDefinitions,
                             EncodeCategoryBlock({8, {{1, 3, "Music"}, {2, 7, "Rock"}}}));
    definitions.reload(*root());
    setCategories("Music\\Rock", 0x0703);
    const std::string before = SavedBytes(tree());

    {  // Cancel: the entry stays, nothing changes.
        CategoryEditor editor(document);
        prompter.queueAnswer(PromptAnswer::Cancel);
        EXPECT_FALSE(editor.remove(7, prompter));
        EXPECT_EQ(editor.definitions().entries.size(), 2u);
        EXPECT_EQ(editor.commit(document), EditStatus::Unchanged);
        EXPECT_EQ(SavedBytes(tree()), before);
    }
    {  // No: the definition goes, items keep the identifier, shown as a number name.
        CategoryEditor editor(document);
        prompter.queueAnswer(PromptAnswer::No);
        EXPECT_TRUE(editor.remove(7, prompter));
        EXPECT_EQ(editor.commit(document), EditStatus::Done);
        EXPECT_EQ(categoriesOf("Music\\Rock"), 0x0703u);
        EXPECT_EQ(definitions.categoryText(*At(tree(), "Music\\Rock")), "Music, #0007");
        EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
        EXPECT_EQ(SavedBytes(tree()), before);
        EXPECT_EQ(definitions.categoryName(7), "Rock");
    }
    {  // Yes on the category: its sub-category goes too, and both leave the items.
        CategoryEditor editor(document);
        prompter.queueAnswer(PromptAnswer::Yes);
        EXPECT_TRUE(editor.remove(3, prompter));
        EXPECT_TRUE(editor.definitions().entries.empty());
        EXPECT_EQ(editor.commit(document), EditStatus::Done);
        EXPECT_FALSE(At(tree(), "Music\\Rock")->hasAttribute(attr::Categories));
        EXPECT_EQ(document.undoStepCount(), 1u);
        EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
        EXPECT_EQ(SavedBytes(tree()), before);
        EXPECT_EQ(definitions.categoryName(3), "Music");
    }
    const auto texts = prompter.shownTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0],
              "This category is assigned to some items. Do you also want to remove these "
              "assignments?");
}

TEST_F(Definitions, UnassignedCategoryGetsThePlainQuestion) {
    CategoryEditor editor(document);
    const auto id = editor.addCategory("Books");
    ASSERT_TRUE(id);
    prompter.queueAnswer(PromptAnswer::No);
    EXPECT_FALSE(editor.remove(*id, prompter));
    EXPECT_EQ(prompter.shownTexts().back(), "Do you really want to delete 'Books'?");
    EXPECT_TRUE(editor.remove(*id, prompter, false));
}

TEST_F(Definitions, LockedSubtreesKeepTheirAssignments) {
    tree().setBlockAttribute(root(), attr::CategoryDefinitions,
                             EncodeCategoryBlock({4, {{1, 3, "Music"}}}));
    setCategories("Music\\Rock", 3);
    setCategories("Backup\\B1\\Docs", 3);
    tree().setBlockAttribute(At(tree(), "Backup"), attr::PasswordCheck, Bytes(16, 1));
    CategoryEditor editor(document);
    EXPECT_TRUE(editor.removeWithoutAsking(3, true));
    EXPECT_EQ(editor.commit(document), EditStatus::Done);
    EXPECT_FALSE(At(tree(), "Music\\Rock")->hasAttribute(attr::Categories));
    // The path resolver does not enter locked items either: go through the raw links.
    const CatalogItem* docs = At(tree(), "Backup")->firstChildIgnoringLock()->firstChildIgnoringLock();
    EXPECT_EQ(docs->numberAttribute(attr::Categories), 3u);
}

TEST_F(Definitions, NewIdentifiersPastTheLastOneTakeTheLowestFree) {
    tree().setBlockAttribute(root(), attr::CategoryDefinitions,
                             EncodeCategoryBlock({255, {{1, 1, "a"}, {1, 3, "c"}}}));
    CategoryEditor editor(document);
    EXPECT_EQ(editor.addCategory("x"), 255);
    EXPECT_EQ(editor.addCategory("y"), 2);
    EXPECT_EQ(editor.addSubCategory(3, "z"), 4);
    EXPECT_FALSE(editor.addSubCategory(4, "under a sub-category"));
    EXPECT_EQ(editor.definitions().entries[2].name, "z");  // right after its category
    for (int i = 0; i < 250; ++i)
        EXPECT_TRUE(editor.addCategory("more"));
    EXPECT_FALSE(editor.addCategory("full"));
}

TEST_F(Definitions, ExtraEditorKeysAndRemovalWithUndo) {
    tree().setTextAttribute(At(tree(), "Music\\Rock"), 0xB0, "shelf 1");
    tree().setBlockAttribute(root(), attr::ExtraInfoDefinitions,
                             EncodeExtraBlock(std::vector<ExtraDefinition>{{0xB0, "Shelf"}}));
    definitions.reload(*root());
    const std::string before = SavedBytes(tree());
    ExtraInfoEditor editor(document);
    EXPECT_EQ(editor.addText("Box"), 0xB1);
    EXPECT_EQ(editor.addNumber("Rating"), 0x70);
    prompter.queueAnswer(PromptAnswer::Yes);
    EXPECT_TRUE(editor.remove(0xB0, prompter));
    EXPECT_EQ(editor.commit(document), EditStatus::Done);
    EXPECT_FALSE(At(tree(), "Music\\Rock")->hasAttribute(0xB0));
    EXPECT_EQ(definitions.columns().size(), kBuiltinColumnCount + 2);
    EXPECT_EQ(definitions.columns().row(26).title, "Box");
    EXPECT_EQ(definitions.columns().row(27).title, "Rating");
    EXPECT_EQ(document.newestUndoStep()->label, "User-defined Extra Information");
    EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(SavedBytes(tree()), before);
    EXPECT_EQ(definitions.columns().size(), kBuiltinColumnCount + 1);
    EXPECT_EQ(definitions.extraName(0xB0), "Shelf");

    // A field made again on the freed key does not inherit the old field's values.
    ExtraInfoEditor again(document);
    EXPECT_TRUE(again.removeWithoutAsking(0xB0, true));
    EXPECT_EQ(again.addText("Drawer"), 0xB0);
    EXPECT_EQ(again.commit(document), EditStatus::Done);
    EXPECT_FALSE(At(tree(), "Music\\Rock")->hasAttribute(0xB0));
    EXPECT_EQ(definitions.extraName(0xB0), "Drawer");
}

TEST_F(Definitions, ApplyRulesForNumbersTextsAndTheThumbnail) {
    CatalogItem* song = At(tree(), "Music\\Rock\\Rock One\\Album\\track1.mp3");
    tree().setTextAttribute(song, attr::Artist, "Old");
    tree().setNumberAttribute(song, 0x71, 5);
    tree().setTextAttribute(song, attr::Description, "kept");
    const std::string before = SavedBytes(tree());
    ExtraInfoChange change;
    for (const ExtraInfoRow& row : ExtraInfoRowsOf(*song))
        change.listedKeys.push_back(row.key);
    EXPECT_EQ(change.listedKeys, (Bytes{attr::Artist, 0x71}));
    change.rows = {{attr::Artist, ""}, {0x71, "0"}, {0x70, "0x1A"}, {attr::Title, "T"},
                   {attr::Thumbnail, ""}};
    int encoded = 0;
    change.thumbnail = [&encoded] {
        ++encoded;
        return std::optional(Bytes{0xFF, 0xD8});
    };
    CatalogItem* const items[] = {song};
    EXPECT_EQ(ApplyExtraInfo(document, items, change), EditStatus::Done);
    EXPECT_EQ(encoded, 1);
    EXPECT_FALSE(song->hasAttribute(attr::Artist));
    EXPECT_FALSE(song->hasAttribute(0x71));
    EXPECT_EQ(song->numberAttribute(0x70), 26u);
    EXPECT_EQ(song->textAttribute(attr::Title), "T");
    EXPECT_EQ(song->textAttribute(attr::Description), "kept");
    ASSERT_TRUE(song->blockAttribute(attr::Thumbnail));
    EXPECT_EQ(song->blockAttribute(attr::Thumbnail)->size(), 2u);
    EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(SavedBytes(tree()), before);

    change.rows = {{0x70, "ten"}};
    EXPECT_EQ(ApplyExtraInfo(document, items, change), EditStatus::Unchanged);
    EXPECT_EQ(SavedBytes(tree()), before);
}

}  // namespace
}  // namespace shelfmark
