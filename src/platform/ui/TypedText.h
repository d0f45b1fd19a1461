#pragma once

#include "platform/system/TextEntry.h"

#include <QString>

class QWidget;

namespace plat::ui {

// What a box keeps of an edit the user made (typing, pasting, dropping): the
// text composed into NFC, the part that changed checked against the
// characters that may enter, and the box's size applied to that part, so
// that a pasted accent written apart becomes the accented letter before the
// size is counted. Text the box already held is not judged again. Where line
// breaks are refused, those that end the edit (a copied spreadsheet cell
// brings one) are dropped.
struct TypedText {
    QString text;               // what the box keeps: the text before when refused
    int cursor = 0;             // where the cursor goes in it
    plat::sys::Refusal refusal; // the first character that refused the edit
};
// before: the box's text before the edit; after: with the edit, cursor in it.
// maxLength 0: no size.
TypedText judgeTyped(const QString& before, const QString& after, int cursor, int maxLength, plat::sys::LineBreaks breaks);

// The name the user knows a box by: its accessible name, the label that is
// its buddy, or the title of the group box around it; empty when none.
QString fieldCaption(const QWidget* box);

// Beeps and, once the event that brought the character has been handled,
// shows in the general error report that the box refused it, naming the
// field: "Nome: tem o caractere ...". Refusals that come while one is waiting
// to be shown are not shown again.
void reportRefusal(QWidget* box, char32_t character);

} // namespace plat::ui
