// The rules the editing dialogs call: the properties page's name and description, the Set
// Password confirmation and the four-category limit. Undo must give back the saved bytes.
#include <gtest/gtest.h>

#include "catalog/CategoryOperations.h"
#include "catalog/PasswordOperations.h"
#include "catalog/PropertiesOperations.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/EditTestCatalog.h"

namespace shelfmark {
namespace {

using testing::At;
using testing::SavedBytes;

class DialogRules : public ::testing::Test {
  protected:
    DialogRules() { testing::BuildEditCatalog(document.tree()); }

    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
};

TEST_F(DialogRules, PropertiesChangeNameAndDescriptionInOneUndoableStep) {
    CatalogItem* disk = At(document.tree(), "Music\\Rock\\Rock One");
    const std::string before = SavedBytes(document.tree());
    EXPECT_EQ(PropertiesOf(*disk).name, "Rock One");

    EXPECT_EQ(SetItemProperties(document, disk, {"Rock Two", "Live in Köln"}), EditStatus::Done);
    EXPECT_EQ(disk->name(), "Rock Two");
    EXPECT_EQ(disk->textAttribute(attr::Description).value_or(""), "Live in Köln");
    EXPECT_TRUE(document.isModified());
    ASSERT_EQ(document.undoStepCount(), 1u);
    EXPECT_EQ(document.newestUndoStep()->label.value_or(""), "Properties");

    // Clearing the description removes the attribute.
    EXPECT_EQ(SetItemProperties(document, disk, {"Rock Two", ""}), EditStatus::Done);
    EXPECT_FALSE(disk->hasAttribute(attr::Description));

    // The same values again change nothing; an empty name is refused with a message.
    EXPECT_EQ(SetItemProperties(document, disk, {"Rock Two", ""}), EditStatus::Unchanged);
    EXPECT_EQ(SetItemProperties(document, disk, {"", "x"}), EditStatus::Unchanged);
    EXPECT_EQ(prompter.shownTexts(),
              std::vector<std::string>{"Please fill out this field correctly."});
    EXPECT_EQ(document.undoStepCount(), 2u);

    EXPECT_EQ(document.undo(), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(document.undo(), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(SavedBytes(document.tree()), before);
}

TEST_F(DialogRules, PasswordConfirmationMustMatchExactly) {
    EXPECT_TRUE(PasswordsConfirmed("", "", prompter));
    EXPECT_TRUE(PasswordsConfirmed("Geheim", "Geheim", prompter));
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_FALSE(PasswordsConfirmed("Geheim", "geheim", prompter));
    EXPECT_FALSE(PasswordsConfirmed("a", "a ", prompter));
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].message.text, "Passwords do not match!");
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);
}

TEST_F(DialogRules, AtMostFourCategoriesFitAnItem) {
    const uint8_t four[] = {9, 3, 200, 1};
    const auto ids = ChosenCategoryIds(four, prompter);
    ASSERT_TRUE(ids.has_value());
    // Stored lowest byte first, in the order ticked.
    EXPECT_EQ(PackCategoryIds(*ids), 0x01C80309u);
    EXPECT_EQ(PackCategoryIds(*ChosenCategoryIds({}, prompter)), 0u);
    EXPECT_TRUE(prompter.shown().empty());

    const uint8_t five[] = {1, 2, 3, 4, 5};
    EXPECT_FALSE(ChosenCategoryIds(five, prompter).has_value());
    EXPECT_EQ(
        prompter.shownTexts(),
        std::vector<std::string>{"Not more than four categories can be assigned to an item."});
}

}  // namespace
}  // namespace shelfmark
