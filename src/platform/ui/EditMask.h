#pragma once

#include <QChar>
#include <QString>
#include <QVector>

namespace plat::ui {

// A field's edit mask in the legacy notation, translated for QLineEdit.
//
// The legacy notation is "mask;save;blank": save "1" (the default) keeps the
// literal characters in the stored value, "0" drops them; blank is the
// character shown for a position not yet typed ("_" by default). In the mask,
// 0 is a required digit and 9 an optional one (Qt has them the other way
// round), L/l a letter, A/a a letter or digit, C/c any character (upper case
// required, lower case optional), # an optional digit or sign, > and < turn
// what follows into capitals or small letters and <> stops that, \ makes the
// next character a literal, _ is a literal blank, and ! (optional characters
// shown as leading blanks) has no effect on what is stored.
//
// A masked box holds one character per position. QLineEdit::text() drops the
// positions not typed, so the stored value is built from displayText()
// instead: every position kept, a position not typed stored as a blank. A
// stored value goes back into the box with the blank character in its blank
// positions, or QLineEdit would close the gaps.
class EditMask {
public:
    EditMask() = default;
    static EditMask fromLegacy(const QString& legacy);

    bool isEmpty() const { return m_positions.isEmpty(); }
    QString legacy() const { return m_legacy; }
    QString qtInputMask() const { return m_qtMask; } // for QLineEdit::setInputMask
    QChar blank() const { return m_blank; }
    bool savesLiterals() const { return m_saveLiterals; }

    int length() const { return int(m_positions.size()); }

    // The value to store from what the box shows.
    QString storedValue(const QString& displayText) const;
    // The text to hand to QLineEdit::setText() for a stored value; empty for an
    // empty value.
    QString editText(const QString& stored) const;
    // What the box shows with nothing typed ("___.___.___-__").
    QString emptyDisplay() const;
    // The value stored with nothing typed ("   .   .   -  ").
    QString emptyValue() const { return storedValue(emptyDisplay()); }
    // True when no required position of the shown text is left blank.
    bool requiredFilled(const QString& displayText) const;

private:
    struct Position {
        QChar literal_char; // the literal itself, for literal positions
        bool literal = false;
        bool required = false;
    };
    QString m_legacy;
    QString m_qtMask;
    QChar m_blank = u'_';
    bool m_saveLiterals = true;
    QVector<Position> m_positions;
};

} // namespace plat::ui
