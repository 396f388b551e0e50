#include "foundation/Prompter.h"

#include <gtest/gtest.h>

#include "foundation/ScriptedPrompter.h"

namespace shelfmark {
namespace {

TEST(Prompter, DefaultAnswerIsTheNegativeButton) {
    EXPECT_EQ(DefaultAnswer(PromptButtons::Ok), PromptAnswer::Ok);
    EXPECT_EQ(DefaultAnswer(PromptButtons::OkCancel), PromptAnswer::Cancel);
    EXPECT_EQ(DefaultAnswer(PromptButtons::YesNo), PromptAnswer::No);
    EXPECT_EQ(DefaultAnswer(PromptButtons::YesNoCancel), PromptAnswer::Cancel);
    EXPECT_EQ(DefaultAnswer(PromptButtons::RetryCancel), PromptAnswer::Cancel);
    EXPECT_TRUE(IsOffered(PromptButtons::YesNoCancel, PromptAnswer::No));
    EXPECT_FALSE(IsOffered(PromptButtons::YesNo, PromptAnswer::Cancel));
    EXPECT_FALSE(IsOffered(PromptButtons::Ok, PromptAnswer::Yes));
}

TEST(Prompter, ConvenienceFormsChooseIconAndButtons) {
    ScriptedPrompter prompter;
    prompter.queueAnswer(PromptAnswer::Yes);
    prompter.queueAnswer(PromptAnswer::Cancel);
    prompter.error("Cannot open file for writing.", "x.tkd");
    EXPECT_TRUE(prompter.askYesNo("Do you really want to cancel the process?"));
    EXPECT_EQ(prompter.askYesNoCancel("Save changes to x?"), PromptAnswer::Cancel);
    // The queue is used up: questions get their default.
    EXPECT_FALSE(prompter.askOkCancel("Insert the disk"));
    EXPECT_FALSE(prompter.askRetryCancel("Retry?"));
    prompter.information("Done");
    ASSERT_EQ(prompter.shown().size(), 6u);
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);
    EXPECT_EQ(prompter.shown()[0].message.caption, "x.tkd");
    EXPECT_EQ(prompter.shown()[1].message.buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.shown()[2].message.buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(prompter.shown()[3].answer, PromptAnswer::Cancel);
    EXPECT_EQ(prompter.shown()[5].message.icon, PromptIcon::Information);
    EXPECT_EQ(prompter.shownTexts().back(), "Done");
}

TEST(Prompter, ErrorBoxDoesNotEatTheAnswerOfALaterQuestionWhenOkIsQueued) {
    ScriptedPrompter prompter;
    prompter.queueAnswer(PromptAnswer::Ok);
    prompter.queueAnswer(PromptAnswer::Yes);
    prompter.error("first");
    EXPECT_TRUE(prompter.askYesNo("second"));
}

TEST(Prompter, HintsAndTextInput) {
    ScriptedPrompter prompter;
    prompter.queueHintChecked(true);
    PromptHint hint{
        {"", "This is a file in format v2.1.", PromptIcon::Information, PromptButtons::Ok},
        "Do not show again",
        false};
    EXPECT_EQ(prompter.showHint(hint), PromptAnswer::Ok);
    EXPECT_TRUE(hint.checked);
    PromptHint second = hint;
    second.checked = false;
    prompter.showHint(second);
    EXPECT_FALSE(second.checked);  // no queued state: left as it was

    prompter.queueText(std::string("secret"));
    prompter.queueText(std::nullopt);
    EXPECT_EQ(prompter.askText({"Password", "&Password:", "", true}), "secret");
    EXPECT_EQ(prompter.askText({"Name", "&Name:", "x", false}), std::nullopt);
    EXPECT_EQ(prompter.askText({"Name", "&Name:", "x", false}), std::nullopt);
    ASSERT_EQ(prompter.textRequests().size(), 3u);
    EXPECT_TRUE(prompter.textRequests()[0].secret);
}

TEST(Prompter, SilentPrompterAnswersOnlyWithOfferedButtons) {
    SilentPrompter yes(PromptAnswer::Yes);
    EXPECT_TRUE(yes.askYesNo("?"));
    EXPECT_FALSE(yes.askOkCancel("?"));
    EXPECT_EQ(yes.askText({"c", "l", "i", false}), std::nullopt);
    SilentPrompter no;
    EXPECT_FALSE(no.askYesNo("?"));
}

}  // namespace
}  // namespace shelfmark
