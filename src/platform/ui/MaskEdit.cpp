#include "platform/ui/MaskEdit.h"

#include "platform/system/Cp1252.h"
#include "platform/ui/Messages.h"
#include "platform/ui/TypedText.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QValidator>

#include <utility>

namespace plat::ui {

namespace {

// Focus changes that mean the user went to another control of the window. A
// window losing the activation (a message box, another program) or a menu
// opening is not leaving the box.
bool leavesTheBox(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason;
}

} // namespace

// Judges every change of the text (typing, pasting, dropping, undoing) before
// the box takes it; a refused change is taken back by the box itself.
class MaskEdit::TextFilter : public QValidator {
public:
    explicit TextFilter(MaskEdit* box) : QValidator(box), m_box(box) {}
    State validate(QString& input, int& pos) const override { return m_box->filter(input, pos); }

private:
    MaskEdit* m_box;
};

MaskEdit::MaskEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new TextFilter(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { m_before = text; });
    connect(this, &QLineEdit::inputRejected, this, [this] {
        if (m_refused)
            reportRefusal(this, *std::exchange(m_refused, std::nullopt));
    });
    connect(this, &QLineEdit::textEdited, this, [this] { emit valueEdited(value()); });
}

QValidator::State MaskEdit::filter(QString& input, int& pos) const
{
    using plat::sys::LineBreaks;
    if (m_case == CharCase::Upper)
        input = plat::sys::upperCp1252(input);
    if (!m_mask.isEmpty()) {
        // One character a position: nothing to compose.
        const plat::sys::Refusal r = m_loading ? plat::sys::Refusal() : plat::sys::firstRefused(input, LineBreaks::Refused);
        if (r)
            m_refused = r.character;
        return r ? QValidator::Invalid : QValidator::Acceptable;
    }
    if (m_loading) {
        // A stored value is shown as it is, whatever it holds.
        input = input.normalized(QString::NormalizationForm_C);
        return QValidator::Acceptable;
    }
    const TypedText kept = judgeTyped(m_before, input, pos, m_maxLength, LineBreaks::Refused);
    if (kept.refusal) {
        m_refused = kept.refusal.character;
        return QValidator::Invalid;
    }
    input = kept.text;
    pos = kept.cursor;
    return QValidator::Acceptable;
}

void MaskEdit::setMaxLength(int length)
{
    m_maxLength = length > 0 && length < 32767 ? length : 0;
    // The box takes any length; the filter cuts the edit once it is composed.
    QLineEdit::setMaxLength(32767);
}

int MaskEdit::maxLength() const { return m_mask.isEmpty() && m_maxLength > 0 ? m_maxLength : QLineEdit::maxLength(); }

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
    QScopedValueRollback<bool> loading(m_loading, true);
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
