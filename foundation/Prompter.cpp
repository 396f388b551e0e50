#include "foundation/Prompter.h"

namespace shelfmark {

void Prompter::error(const std::string& text, const std::string& caption) {
    show({caption, text, PromptIcon::Error, PromptButtons::Ok});
}

void Prompter::information(const std::string& text, const std::string& caption) {
    show({caption, text, PromptIcon::Information, PromptButtons::Ok});
}

void Prompter::warning(const std::string& text, const std::string& caption) {
    show({caption, text, PromptIcon::Warning, PromptButtons::Ok});
}

bool Prompter::askYesNo(const std::string& text, const std::string& caption) {
    return show({caption, text, PromptIcon::Question, PromptButtons::YesNo}) == PromptAnswer::Yes;
}

PromptAnswer Prompter::askYesNoCancel(const std::string& text, const std::string& caption) {
    return show({caption, text, PromptIcon::Question, PromptButtons::YesNoCancel});
}

bool Prompter::askOkCancel(const std::string& text, const std::string& caption, PromptIcon icon) {
    return show({caption, text, icon, PromptButtons::OkCancel}) == PromptAnswer::Ok;
}

bool Prompter::askRetryCancel(const std::string& text, const std::string& caption) {
    return show({caption, text, PromptIcon::Warning, PromptButtons::RetryCancel}) == PromptAnswer::Retry;
}

PromptAnswer DefaultAnswer(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::Ok:
        return PromptAnswer::Ok;
    case PromptButtons::YesNo:
        return PromptAnswer::No;
    case PromptButtons::OkCancel:
    case PromptButtons::YesNoCancel:
    case PromptButtons::RetryCancel:
        break;
    }
    return PromptAnswer::Cancel;
}

bool IsOffered(PromptButtons buttons, PromptAnswer answer) {
    switch (buttons) {
    case PromptButtons::Ok:
        return answer == PromptAnswer::Ok;
    case PromptButtons::OkCancel:
        return answer == PromptAnswer::Ok || answer == PromptAnswer::Cancel;
    case PromptButtons::YesNo:
        return answer == PromptAnswer::Yes || answer == PromptAnswer::No;
    case PromptButtons::YesNoCancel:
        return answer == PromptAnswer::Yes || answer == PromptAnswer::No || answer == PromptAnswer::Cancel;
    case PromptButtons::RetryCancel:
        return answer == PromptAnswer::Retry || answer == PromptAnswer::Cancel;
    }
    return false;
}

PromptAnswer SilentPrompter::show(const PromptMessage& message) {
    return IsOffered(message.buttons, answer_) ? answer_ : DefaultAnswer(message.buttons);
}

PromptAnswer SilentPrompter::showHint(PromptHint& hint) { return show(hint.message); }

std::optional<std::string> SilentPrompter::askText(const TextRequest&) { return std::nullopt; }

}  // namespace shelfmark
