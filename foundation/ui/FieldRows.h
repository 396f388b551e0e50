// The rows of settings pages and dialogs: a label marked with a text key (see DialogTexts.h)
// whose mnemonic moves the focus to its field, placed beside or above the field.
//
//     auto* form = new QFormLayout(page);
//     AddFormRow(form, 1, hostEdit);        // "&Host:" [host]
//     AddInlineRow(pageLayout, 0, spinBox); // "&Recent files:" [spin] <stretch>
//     AddLabelAbove(pageLayout, 5, email);  // "&E-mail:" over [email]
#pragma once

class QBoxLayout;
class QFormLayout;
class QLabel;
class QWidget;

namespace shelfmark {

// A label with text key `key` and `field` as its buddy, a child of the field's parent.
QLabel* MakeBuddyLabel(int key, QWidget* field);

// The label left of `field` in `form`.
QLabel* AddFormRow(QFormLayout* form, int key, QWidget* field);

// One row in `layout`: the label, `field` and a stretch, so the field keeps its own width.
QLabel* AddInlineRow(QBoxLayout* layout, int key, QWidget* field);

// The label over `field` in `layout`; `stretch` is the field's share of spare room.
QLabel* AddLabelAbove(QBoxLayout* layout, int key, QWidget* field, int stretch = 0);

}  // namespace shelfmark
