// The command-line tool's Prompter: messages go to standard error as one line each; nobody is
// there to answer, so every question gets its default (No / Cancel), unless the command has
// chosen the answer to that question beforehand.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/Prompter.h"

namespace shelfmark::cli {

class TerminalPrompter : public Prompter {
  public:
    PromptAnswer show(const PromptMessage& message) override;
    PromptAnswer showHint(PromptHint& hint) override { return show(hint.message); }
    std::optional<std::string> askText(const TextRequest&) override { return std::nullopt; }

    // The question with exactly this text gets `answer` (when offered), without being printed.
    void answer(std::string question, PromptAnswer answer);
    // For commands that change a catalog: when the file changed since it was read, it is read
    // again and the command's change is made on what is there now.
    void reloadChangedCatalogs();

  protected:
    // Called before a message is printed, e.g. to clear a progress line.
    virtual void beforeMessage() {}

  private:
    std::vector<std::pair<std::string, PromptAnswer>> answers_;
};

// For commands that act on several items: each message shows its caption (the item's path) in
// front of its text, and the errors shown are counted, so that the command can exit with a
// failure (and save nothing) when any was reported.
class CountingPrompter : public TerminalPrompter {
  public:
    int errors = 0;
    PromptAnswer show(const PromptMessage& message) override;

  protected:
    // The message with "caption: " in front of its text.
    static PromptMessage WithCaption(const PromptMessage& message);
};

}  // namespace shelfmark::cli
