#pragma once

#include "platform/ui/EditMask.h"

#include <QLineEdit>
#include <QValidator>

#include <optional>

namespace plat::ui {

// A one-line edit box with the program's rules for typed text: the legacy edit
// mask, optional conversion to capitals, the text composed into NFC and only
// characters that may enter the register (what Windows-1252 carries, no
// control character), and the check made when the user leaves the box. A
// typed or pasted character that may not enter refuses the whole edit: a
// beep, and the general error report names the box's field and the character.
//
// Leaving the box (focus going to another control of the window; a window
// change does not count) with a changed text whose required positions are not
// all typed is refused: a beep, the focus stays, and the general error report
// shows "Invalid input value.  Use escape key to abandon changes". Esc then
// brings back the value the box had when it was entered.
class MaskEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class CharCase { Normal, Upper };

    explicit MaskEdit(QWidget* parent = nullptr);

    void setEditMask(const QString& legacyMask);
    const EditMask& editMask() const { return m_mask; }
    void setCharCase(CharCase charCase);
    CharCase charCase() const { return m_case; }
    // At most this many characters, counted once the text is composed, so
    // that a pasted accent written apart from its letter takes no place of
    // its own. A masked box has its mask's size.
    void setMaxLength(int length);
    int maxLength() const;

    // The text as it is stored: with a mask, every position, a position not
    // typed as a blank. setValue() loads such a value; it counts as no change.
    QString value() const;
    void setValue(const QString& value);

    static QString invalidInputText();

signals:
    void entered();                         // the box received the focus
    void exited();                          // the box was left and its text accepted
    void valueEdited(const QString& value); // the user changed the text

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // The checks made on leaving; a refusal sets *error to the message shown.
    virtual bool acceptLeave(QString* error);
    // Esc: back to the value the box had when it was entered.
    virtual void abandonChanges();

private:
    class TextFilter;
    QValidator::State filter(QString& input, int& pos) const;
    void applyMask();
    void leave();
    void refuse(const QString& error);

    EditMask m_mask;
    CharCase m_case = CharCase::Normal;
    QString m_enterValue;
    bool m_leaving = false;
    int m_maxLength = 0;
    QString m_before;                          // the text the edit being judged started from
    bool m_loading = false;                    // setValue(): a stored value, not an edit
    mutable std::optional<char32_t> m_refused; // what the last refused edit brought
};

} // namespace plat::ui
