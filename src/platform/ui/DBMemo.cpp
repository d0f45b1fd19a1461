#include "platform/ui/DBMemo.h"

#include "platform/db/Schema.h"
#include "platform/system/Cp1252.h"
#include "platform/ui/FieldLink.h"
#include "platform/ui/Guard.h"

#include <QFocusEvent>
#include <QGroupBox>
#include <QVBoxLayout>
#include <QScopedValueRollback>
#include <QTextCursor>

namespace plat::ui {

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
    if (v == toPlainText())
        return;
    QScopedValueRollback<bool> loading(m_loading, true);
    setPlainText(v);
}

QString DBMemo::allowed(const QString& text) const
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            if (m_singleParagraph)
                c = u' ';
            else
                c = u'\n';
        }
        if (c != u'\n' && (!plat::sys::fitsCp1252(c) || c.category() == QChar::Other_Control))
            continue;
        out += c;
    }
    const int max = maxLength();
    if (max > 0 && out.size() > max)
        out.truncate(max);
    return out;
}

void DBMemo::onTextChanged()
{
    if (m_loading || isReadOnly())
        return;
    const QString typed = toPlainText();
    const QString kept = allowed(typed);
    if (kept != typed) {
        // Put back what may be kept, with the cursor where the typing left it.
        const int position = std::min<int>(textCursor().position(), int(kept.size()));
        QScopedValueRollback<bool> loading(m_loading, true);
        setPlainText(kept);
        QTextCursor c = textCursor();
        c.setPosition(position);
        setTextCursor(c);
    }
    if (m_link->isBound())
        runGuarded([&] { m_link->writeText(kept); }, window());
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
