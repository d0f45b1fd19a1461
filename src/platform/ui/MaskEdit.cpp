#include "platform/ui/MaskEdit.h"

#include "platform/system/Cp1252.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QValidator>

namespace plat::ui {

namespace {

// Keeps out what Windows-1252 cannot carry and, when asked, turns letters into
// capitals as they are typed (accented letters included).
class TextFilter : public QValidator {
public:
    TextFilter(bool upper, QObject* parent) : QValidator(parent), m_upper(upper) {}

    State validate(QString& input, int&) const override
    {
        for (QChar& c : input) {
            if (!plat::sys::fitsCp1252(c))
                return Invalid;
            if (m_upper)
                c = plat::sys::upperCp1252(c);
        }
        return Acceptable;
    }

private:
    bool m_upper;
};

// Focus changes that mean the user went to another control of the window. A
// window losing the activation (a message box, another program) or a menu
// opening is not leaving the box.
bool leavesTheBox(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason;
}

} // namespace

MaskEdit::MaskEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new TextFilter(false, this));
    connect(this, &QLineEdit::textEdited, this, [this] { emit valueEdited(value()); });
}

QString MaskEdit::invalidInputText() { return QStringLiteral("Invalid input value.  Use escape key to abandon changes"); }

void MaskEdit::setEditMask(const QString& legacyMask)
{
    const QString keep = value();
    m_mask = EditMask::fromLegacy(legacyMask);
    applyMask();
    setValue(keep);
}

void MaskEdit::setCharCase(CharCase charCase)
{
    m_case = charCase;
    const QValidator* old = validator();
    setValidator(new TextFilter(charCase == CharCase::Upper, this));
    delete old;
    applyMask();
}

void MaskEdit::applyMask()
{
    if (m_mask.isEmpty()) {
        setInputMask(QString());
        return;
    }
    // Capitals in a masked box come from the mask itself.
    setInputMask(m_case == CharCase::Upper ? u'>' + m_mask.qtInputMask() : m_mask.qtInputMask());
}

QString MaskEdit::value() const { return m_mask.isEmpty() ? text() : m_mask.storedValue(displayText()); }

void MaskEdit::setValue(const QString& value)
{
    setText(m_mask.isEmpty() ? value : m_mask.editText(value));
    setModified(false);
    if (!m_mask.isEmpty())
        home(false); // typing starts at the first position
}

void MaskEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Coming back after a refused leave is no new entry: Esc still goes back
    // to the value from before.
    if (!leavesTheBox(event->reason()) || m_leaving)
        return;
    m_enterValue = value();
    if (!m_mask.isEmpty() && m_enterValue == m_mask.emptyValue() && !hasSelectedText())
        home(false);
    emit entered();
}

void MaskEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (leavesTheBox(event->reason()) && window()->isVisible())
        leave();
}

void MaskEdit::leave()
{
    if (m_leaving)
        return;
    QScopedValueRollback<bool> busy(m_leaving, true);
    QString error;
    if (!acceptLeave(&error)) {
        refuse(error);
        return;
    }
    emit exited();
}

bool MaskEdit::acceptLeave(QString* error)
{
    if (isModified() && !m_mask.isEmpty() && !m_mask.requiredFilled(displayText())) {
        *error = invalidInputText();
        return false;
    }
    return true;
}

void MaskEdit::refuse(const QString& error)
{
    QApplication::beep();
    setFocus(Qt::OtherFocusReason);
    showError(error, window());
}

void MaskEdit::abandonChanges()
{
    setValue(m_enterValue);
    selectAll();
}

void MaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && isModified() && value() != m_enterValue) {
        abandonChanges();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace plat::ui
