// Language texts for Qt dialogs. A dialog names the language section it belongs to (its window
// name, "Dlg_MakeFolder", "Sht_AddGeneral", ...), marks each widget with the key of its text,
// and ApplyDialogTexts fills every marked widget from LanguageTexts: the active language file's
// value, else the built-in English text. Called again after a language change, it relabels.
//
//     auto* label = new QLabel(this);
//     SetTextKey(label, 0);            // "&Name:"
//     SetTextKey(this, 1);             // the dialog's own caption
//     ApplyDialogTexts(this, "Dlg_MakeFolder");
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace shelfmark {

// UTF-8 conversions between the library's texts and Qt's.
QString ToQString(std::string_view text);
std::string ToUtf8(const QString& text);

// The text of (section, key) as the language file or the built-in table gives it.
QString DialogText(std::string_view section, int key);
// The same for a Strings key (messages, column titles).
QString StringsText(int key);

// Marks `widget` to take the text of `key` of its dialog's section. What is set depends on the
// widget: a window its title, a page inside a QTabWidget its tab text, a group box its title,
// a label or button its text, a line edit its placeholder. Returns the widget for chaining.
template <typename W>
W* SetTextKey(W* widget, int key);
void SetTextKeyOf(QWidget* widget, int key);

// Fills `root` and every marked widget below it from `section`. Widgets that carry their own
// section (a page reused in several dialogs, see SetTextSection) keep theirs.
void ApplyDialogTexts(QWidget* root, std::string_view section);
// Makes the widgets below `page` use `section`, whatever dialog the page is shown in.
void SetTextSection(QWidget* page, std::string_view section);

template <typename W>
W* SetTextKey(W* widget, int key) {
    SetTextKeyOf(widget, key);
    return widget;
}

}  // namespace shelfmark
