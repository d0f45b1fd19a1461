#pragma once

#include <QString>
#include <QStringView>

namespace plat::sys {

// The gate for text that enters the register from anywhere (a typed or pasted
// box, a spreadsheet cell): the text is composed into Unicode NFC, so that a
// letter written as a base letter and a combining accent is stored as the one
// accented letter, and it may hold only characters the files exchanged with
// the agency can carry. A character outside Windows-1252, a control character
// (C0, DEL, C1) or a NUL cannot enter; the place that takes the text refuses
// it, naming the field.

// Whether CR and LF are part of the text (a project title may hold a line
// break) or control characters like the rest.
enum class LineBreaks { Refused, Kept };

// The first character of a text that cannot enter: its offset in the text
// (in UTF-16 units) and the character itself, a whole code point.
struct Refusal {
    qsizetype position = -1;
    char32_t character = 0;
    explicit operator bool() const { return position >= 0; }
};

bool canEnter(char32_t c, LineBreaks breaks);
// The first character at or after from that cannot enter; none when all can.
Refusal firstRefused(QStringView text, LineBreaks breaks, qsizetype from = 0);

struct EnteredText {
    QString text;    // composed (NFC)
    Refusal refusal; // the first character of text that cannot enter
};
EnteredText enterText(const QString& raw, LineBreaks breaks = LineBreaks::Refused);

// What the user is told about a character that cannot enter, after the
// field's name: "tem o caractere "ŝ" (U+015D), que não pode ser gravado".
QString refusalText(char32_t c);

} // namespace plat::sys
