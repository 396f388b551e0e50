#include "cli/TerminalPrompter.h"

#include <iostream>

#include "foundation/Utf8Text.h"

namespace shelfmark::cli {

PromptAnswer TerminalPrompter::show(const PromptMessage& message) {
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

}  // namespace shelfmark::cli
