#include "foundation/ScriptedPrompter.h"

namespace shelfmark {

PromptAnswer ScriptedPrompter::show(const PromptMessage& message) {
    PromptAnswer answer = DefaultAnswer(message.buttons);
    if (!answers_.empty() && IsOffered(message.buttons, answers_.front())) {
        answer = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back({message, answer});
    return answer;
}

PromptAnswer ScriptedPrompter::showHint(PromptHint& hint) {
    if (!hintChecks_.empty()) {
        hint.checked = hintChecks_.front();
        hintChecks_.pop_front();
    }
    return show(hint.message);
}

std::optional<std::string> ScriptedPrompter::askText(const TextRequest& request) {
    textRequests_.push_back(request);
    if (texts_.empty())
        return std::nullopt;
    std::optional<std::string> text = std::move(texts_.front());
    texts_.pop_front();
    return text;
}

std::vector<std::string> ScriptedPrompter::shownTexts() const {
    std::vector<std::string> texts;
    texts.reserve(shown_.size());
    for (const Shown& entry : shown_)
        texts.push_back(entry.message.text);
    return texts;
}

}  // namespace shelfmark
