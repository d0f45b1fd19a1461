#pragma once

#include "platform/ui/EditMask.h"

#include <QLineEdit>

namespace plat::ui {

// A one-line edit box with the program's rules for typed text: the legacy edit
// mask, optional conversion to capitals, only characters that Windows-1252 can
// carry, and the check made when the user leaves the box.
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
    void applyMask();
    void leave();
    void refuse(const QString& error);

    EditMask m_mask;
    CharCase m_case = CharCase::Normal;
    QString m_enterValue;
    bool m_leaving = false;
};

} // namespace plat::ui
