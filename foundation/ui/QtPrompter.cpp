#include "foundation/ui/QtPrompter.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/LanguageTexts.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

constexpr std::string_view kCommonSection = "Dlg_Common";
// Keys of "Dlg_Common": the buttons every message box shares.
enum CommonKey { kOk = 0, kCancel = 1, kYes = 3, kNo = 4, kRetry = 5 };

struct ButtonChoice {
    PromptAnswer answer;
    QMessageBox::ButtonRole role;
    int key;
};

std::vector<ButtonChoice> ButtonsOf(PromptButtons buttons) {
    const ButtonChoice ok{PromptAnswer::Ok, QMessageBox::AcceptRole, kOk};
    const ButtonChoice cancel{PromptAnswer::Cancel, QMessageBox::RejectRole, kCancel};
    const ButtonChoice yes{PromptAnswer::Yes, QMessageBox::YesRole, kYes};
    const ButtonChoice no{PromptAnswer::No, QMessageBox::NoRole, kNo};
    const ButtonChoice retry{PromptAnswer::Retry, QMessageBox::AcceptRole, kRetry};
    switch (buttons) {
    case PromptButtons::Ok:
        return {ok};
    case PromptButtons::OkCancel:
        return {ok, cancel};
    case PromptButtons::YesNo:
        return {yes, no};
    case PromptButtons::YesNoCancel:
        return {yes, no, cancel};
    case PromptButtons::RetryCancel:
        return {retry, cancel};
    }
    return {ok};
}

QMessageBox::Icon IconOf(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Error:
        return QMessageBox::Critical;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Shows the box (with an optional check box) and maps the clicked button to its answer.
PromptAnswer Run(QWidget* parent, const PromptMessage& message, QCheckBox* checkBox) {
    QMessageBox box(IconOf(message.icon), PromptCaption(message.caption), ToQString(message.text),
                    QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("promptBox"));
    const std::vector<ButtonChoice> choices = ButtonsOf(message.buttons);
    std::vector<std::pair<QAbstractButton*, PromptAnswer>> answers;
    const PromptAnswer escapeAnswer = DefaultAnswer(message.buttons);
    for (const ButtonChoice& choice : choices) {
        QPushButton* button = box.addButton(DialogText(kCommonSection, choice.key), choice.role);
        answers.emplace_back(button, choice.answer);
        if (choice.answer == escapeAnswer)
            box.setEscapeButton(button);
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(answers.front().first));
    if (checkBox != nullptr)
        box.setCheckBox(checkBox);
    box.exec();
    for (const auto& [button, answer] : answers)
        if (box.clickedButton() == button)
            return answer;
    return escapeAnswer;
}

}  // namespace

QString PromptCaption(const std::string& caption) {
    return caption.empty() ? ToQString(kApplicationName) : ToQString(caption);
}

PromptAnswer QtPrompter::show(const PromptMessage& message) {
    return Run(parent_, message, nullptr);
}

PromptAnswer QtPrompter::showHint(PromptHint& hint) {
    // The box takes ownership of the check box; its state is read before the box goes away.
    auto* checkBox = new QCheckBox(ToQString(hint.checkBoxText));
    checkBox->setChecked(hint.checked);
    bool checked = hint.checked;
    QObject::connect(checkBox, &QCheckBox::toggled, [&checked](bool on) { checked = on; });
    const PromptAnswer answer = Run(parent_, hint.message, checkBox);
    hint.checked = checked;
    return answer;
}

std::optional<std::string> QtPrompter::askText(const TextRequest& request) {
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("textRequest"));
    dialog.setWindowTitle(PromptCaption(request.caption));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(ToQString(request.label), &dialog);
    label->setWordWrap(true);
    auto* edit = new QLineEdit(ToQString(request.initialText), &dialog);
    if (request.secret)
        edit->setEchoMode(QLineEdit::Password);
    label->setBuddy(edit);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(DialogText(kCommonSection, kOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(DialogText(kCommonSection, kCancel), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    edit->selectAll();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ToUtf8(edit->text());
}

}  // namespace shelfmark
