// A Prompter for tests: answers from a queue and records everything it was shown.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Prompter.h"

namespace shelfmark {

class ScriptedPrompter : public Prompter {
  public:
    struct Shown {
        PromptMessage message;
        PromptAnswer answer;
    };

    // Queued answers are used in order by the messages that offer them; a message that does not
    // offer the next queued answer (an error box while a Yes waits for the question after it)
    // leaves it queued and gets DefaultAnswer(), as does every message once the queue is empty.
    void queueAnswer(PromptAnswer answer) { answers_.push_back(answer); }
    void queueText(std::optional<std::string> text) { texts_.push_back(std::move(text)); }
    void queueHintChecked(bool checked) { hintChecks_.push_back(checked); }

    PromptAnswer show(const PromptMessage& message) override;
    PromptAnswer showHint(PromptHint& hint) override;
    std::optional<std::string> askText(const TextRequest& request) override;

    const std::vector<Shown>& shown() const { return shown_; }
    const std::vector<TextRequest>& textRequests() const { return textRequests_; }
    // The texts of every message shown, in order.
    std::vector<std::string> shownTexts() const;
    void clear() {
        shown_.clear();
        textRequests_.clear();
    }

  private:
    std::deque<PromptAnswer> answers_;
    std::deque<std::optional<std::string>> texts_;
    std::deque<bool> hintChecks_;
    std::vector<Shown> shown_;
    std::vector<TextRequest> textRequests_;
};

}  // namespace shelfmark
