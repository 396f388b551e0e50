#include "foundation/ui/DialogTexts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

#include "foundation/LanguageTexts.h"

namespace shelfmark {

namespace {

constexpr const char* kKeyProperty = "shelfmarkTextKey";
constexpr const char* kSectionProperty = "shelfmarkTextSection";

// A page of a QTabWidget sits in the tab widget's internal stack.
QTabWidget* OwningTabWidget(QWidget* page) {
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

void ApplyText(QWidget* widget, const QString& text) {
    if (widget->isWindow()) {
        widget->setWindowTitle(text);
    } else if (QTabWidget* tabs = OwningTabWidget(widget)) {
        tabs->setTabText(tabs->indexOf(widget), text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setPlaceholderText(text);
    } else {
        widget->setWindowTitle(text);
    }
}

// The section a widget's text comes from: the nearest own section on the way up to `root`.
std::string SectionOf(QWidget* widget, QWidget* root, const std::string& rootSection) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant own = w->property(kSectionProperty);
        if (own.isValid())
            return own.toString().toStdString();
        if (w == root)
            break;
    }
    return rootSection;
}

void ApplyOne(QWidget* widget, QWidget* root, const std::string& section) {
    const QVariant key = widget->property(kKeyProperty);
    if (!key.isValid())
        return;
    const QString text = DialogText(SectionOf(widget, root, section), key.toInt());
    if (!text.isEmpty())
        ApplyText(widget, text);
}

}  // namespace

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

QString DialogText(std::string_view section, int key) {
    return ToQString(LanguageTexts::Instance().text(section, key));
}

QString StringsText(int key) {
    return ToQString(Str(key));
}

void SetTextKeyOf(QWidget* widget, int key) {
    widget->setProperty(kKeyProperty, key);
}

void SetTextSection(QWidget* page, std::string_view section) {
    page->setProperty(kSectionProperty, ToQString(section));
}

void ApplyDialogTexts(QWidget* root, std::string_view section) {
    const std::string rootSection(section);
    ApplyOne(root, root, rootSection);
    for (QWidget* child : root->findChildren<QWidget*>())
        ApplyOne(child, root, rootSection);
}

}  // namespace shelfmark
