// A Prompter that shows Qt message boxes: the desktop program hands one to every operation it
// runs, so the operation's messages and questions appear as the desktop's own dialogs.
//
// Buttons carry the language texts of section "Dlg_Common" (OK, Cancel, Yes, No, Retry). The
// affirmative button (OK, Yes, Retry) is the default; Escape and closing the box give the
// answer DefaultAnswer() names for the button set, the same answer a script gets.
#pragma once

#include <QPointer>
#include <QWidget>

#include "foundation/Prompter.h"

namespace shelfmark {

class QtPrompter : public Prompter {
  public:
    // Boxes are modal to `parent` (the window that runs the operation); null: application-modal.
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }
    QWidget* parent() const { return parent_; }

    PromptAnswer show(const PromptMessage& message) override;
    PromptAnswer showHint(PromptHint& hint) override;
    std::optional<std::string> askText(const TextRequest& request) override;

  private:
    QPointer<QWidget> parent_;
};

// The caption a message box shows: the message's own, else the program's name.
QString PromptCaption(const std::string& caption);

}  // namespace shelfmark
