#include "cli/TerminalPrompter.h"

#include <iostream>

#include "foundation/LanguageTexts.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::cli {

namespace {

// "The database file has been modified since you opened it. ... reload it now?"
constexpr int kReloadQuestion = 138;

}  // namespace

void TerminalPrompter::answer(std::string question, PromptAnswer answer) {
    answers_.emplace_back(std::move(question), answer);
}

void TerminalPrompter::reloadChangedCatalogs() {
    answer(Str(kReloadQuestion), PromptAnswer::Yes);
}

PromptAnswer TerminalPrompter::show(const PromptMessage& message) {
    for (const auto& [question, answer] : answers_) {
        if (question == message.text && IsOffered(message.buttons, answer))
            return answer;
    }
    // Message texts are laid out for dialogs; on a terminal they become one line.
    std::string line;
    line.reserve(message.text.size());
    for (char c : message.text) {
        const char shown = (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
        if (shown == ' ' && !line.empty() && line.back() == ' ')
            continue;
        line += shown;
    }
    beforeMessage();
    std::cerr << "shelfmark-cli: " << text::ForTerminal(line) << '\n';
    return DefaultAnswer(message.buttons);
}

PromptMessage CountingPrompter::WithCaption(const PromptMessage& message) {
    PromptMessage shown = message;
    if (!shown.caption.empty())
        shown.text = shown.caption + ": " + shown.text;
    return shown;
}

PromptAnswer CountingPrompter::show(const PromptMessage& message) {
    if (message.icon == PromptIcon::Error)
        ++errors;
    return TerminalPrompter::show(WithCaption(message));
}

}  // namespace shelfmark::cli
