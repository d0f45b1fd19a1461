#include "platform/ui/DBMemo.h"

#include "platform/db/Schema.h"
#include "platform/ui/FieldLink.h"
#include "platform/ui/Guard.h"
#include "platform/ui/TypedText.h"

#include <QFocusEvent>
#include <QGroupBox>
#include <QVBoxLayout>
#include <QScopedValueRollback>
#include <QTextCursor>

namespace plat::ui {

using plat::sys::LineBreaks;

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent), m_link(new FieldLink(this))
{
    setTabChangesFocus(true);
    connect(m_link, &FieldLink::changed, this, &DBMemo::load);
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::onTextChanged);
}

DBMemo::DBMemo(plat::db::DataSource* source, const QString& field, QWidget* parent) : DBMemo(parent)
{
    setDataField(field);
    setDataSource(source);
}

void DBMemo::setDataSource(plat::db::DataSource* source) { m_link->setDataSource(source); }
void DBMemo::setDataField(const QString& field) { m_link->setFieldName(field); }
plat::db::DataSource* DBMemo::dataSource() const { return m_link->dataSource(); }

int DBMemo::maxLength() const
{
    if (m_maxLength > 0)
        return m_maxLength;
    const plat::db::FieldDef* def = m_link->fieldDef();
    return def && def->size > 0 ? def->size : 0;
}

void DBMemo::load()
{
    const QString v = m_link->text();
    if (v != toPlainText()) {
        QScopedValueRollback<bool> loading(m_loading, true);
        setPlainText(v);
    }
    m_before = toPlainText();
}

// The memo's line breaks as the field keeps them: LF, or a blank in a memo of
// one paragraph.
QString DBMemo::withLineBreaks(const QString& text) const
{
    QString out = text;
    for (QChar& c : out)
        if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = m_singleParagraph ? u' ' : u'\n';
    return out;
}

void DBMemo::onTextChanged()
{
    if (m_loading || isReadOnly())
        return;
    const QString typed = toPlainText();
    const TypedText kept = judgeTyped(m_before, withLineBreaks(typed), textCursor().position(), maxLength(),
                                      m_singleParagraph ? LineBreaks::Refused : LineBreaks::Kept);
    if (kept.text != typed) {
        // Put back what may be kept, with the cursor where the edit left it.
        QScopedValueRollback<bool> loading(m_loading, true);
        setPlainText(kept.text);
        QTextCursor c = textCursor();
        c.setPosition(std::min<int>(kept.cursor, int(kept.text.size())));
        setTextCursor(c);
    }
    m_before = kept.text;
    if (kept.refusal)
        reportRefusal(this, kept.refusal.character);
    else if (m_link->isBound())
        runGuarded([&] { m_link->writeText(kept.text); }, window());
}

void DBMemo::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit entered();
}

ReadOnlyMemoBox readOnlyMemoBox(const QString& caption, plat::db::DataSource* source, const QString& field, int lines,
                                Qt::FocusPolicy focus, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    auto* memo = new DBMemo(source, field, box);
    memo->setReadOnly(true);
    memo->setFocusPolicy(focus); // never a tab stop
    memo->setFixedHeight(memo->fontMetrics().lineSpacing() * lines + 12);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(memo);
    return {box, memo};
}

} // namespace plat::ui
