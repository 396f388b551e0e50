// The command-line tool's Prompter: messages go to standard error as one line each; nobody is
// there to answer, so every question gets its default (No / Cancel).
#pragma once

#include <optional>
#include <string>

#include "foundation/Prompter.h"

namespace shelfmark::cli {

class TerminalPrompter : public Prompter {
  public:
    PromptAnswer show(const PromptMessage& message) override;
    PromptAnswer showHint(PromptHint& hint) override { return show(hint.message); }
    std::optional<std::string> askText(const TextRequest&) override { return std::nullopt; }

  protected:
    // Called before a message is printed, e.g. to clear a progress line.
    virtual void beforeMessage() {}
};

}  // namespace shelfmark::cli
