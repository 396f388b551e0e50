// Everything an algorithm shows to the user or asks of the user goes through a Prompter: the
// desktop program shows dialogs, the command-line tool answers from its flags or the terminal,
// and tests script the answers.
#pragma once

#include <optional>
#include <string>

namespace shelfmark {

enum class PromptIcon { None, Error, Warning, Information, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

struct PromptMessage {
    std::string caption;  // empty: the program's name
    std::string text;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
};

// A message with a "do not show again" style check box.
struct PromptHint {
    PromptMessage message;
    std::string checkBoxText;
    bool checked = false;  // in: initial state; out: the state the user left
};

struct TextRequest {
    std::string caption;
    std::string label;
    std::string initialText;
    bool secret = false;  // passwords: not echoed
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box; the answer is one of the buttons offered.
    virtual PromptAnswer show(const PromptMessage& message) = 0;
    // A message with a check box; the check box state is returned in hint.checked.
    virtual PromptAnswer showHint(PromptHint& hint) = 0;
    // A text input; nothing when the user cancels.
    virtual std::optional<std::string> askText(const TextRequest& request) = 0;

    // Convenience forms of show().
    void error(const std::string& text, const std::string& caption = {});
    void information(const std::string& text, const std::string& caption = {});
    void warning(const std::string& text, const std::string& caption = {});
    bool askYesNo(const std::string& text, const std::string& caption = {});
    PromptAnswer askYesNoCancel(const std::string& text, const std::string& caption = {});
    bool askOkCancel(const std::string& text, const std::string& caption = {},
                     PromptIcon icon = PromptIcon::Question);
    bool askRetryCancel(const std::string& text, const std::string& caption = {});
};

// Answers every question with the given default and shows nothing; for batch work where no one
// can answer (messages are dropped).
class SilentPrompter : public Prompter {
public:
    explicit SilentPrompter(PromptAnswer answerToQuestions = PromptAnswer::No) : answer_(answerToQuestions) {}
    PromptAnswer show(const PromptMessage& message) override;
    PromptAnswer showHint(PromptHint& hint) override;
    std::optional<std::string> askText(const TextRequest& request) override;

private:
    PromptAnswer answer_;
};

// The answer a message with these buttons gets when nobody chooses: the "negative" button
// (Ok for a plain message, Cancel, No, Cancel, Cancel).
PromptAnswer DefaultAnswer(PromptButtons buttons);
// Whether `answer` is one of the buttons offered.
bool IsOffered(PromptButtons buttons, PromptAnswer answer);

}  // namespace shelfmark
