#include "platform/ui/DBEdit.h"

#include "platform/system/Error.h"
#include "platform/ui/FieldLink.h"
#include "platform/ui/Guard.h"

namespace plat::ui {

using plat::db::FieldType;

DBEdit::DBEdit(QWidget* parent) : MaskEdit(parent), m_link(new FieldLink(this))
{
    connect(m_link, &FieldLink::definitionChanged, this, &DBEdit::applyDefinition);
    connect(m_link, &FieldLink::changed, this, &DBEdit::load);
    connect(this, &MaskEdit::valueEdited, this, &DBEdit::write);
}

DBEdit::DBEdit(plat::db::DataSource* source, const QString& field, QWidget* parent) : DBEdit(parent)
{
    setDataField(field);
    setDataSource(source);
}

void DBEdit::setDataSource(plat::db::DataSource* source) { m_link->setDataSource(source); }
void DBEdit::setDataField(const QString& field) { m_link->setFieldName(field); }
plat::db::DataSource* DBEdit::dataSource() const { return m_link->dataSource(); }

void DBEdit::applyDefinition()
{
    const plat::db::FieldDef* def = m_link->fieldDef();
    if (!def)
        return;
    setEditMask(def->mask);
    if (def->mask.isEmpty())
        setMaxLength(def->type == FieldType::Text && def->size > 0 ? def->size : 32767);
}

void DBEdit::load()
{
    const QString v = m_link->text();
    m_pending = false;
    if (hasFocus() && v == value())
        return;
    setValue(v);
}

void DBEdit::write(const QString& value)
{
    if (!m_link->isBound())
        return;
    const plat::db::FieldDef* def = m_link->fieldDef();
    if (def && def->type != FieldType::Text) {
        // A date or number being typed converts only once complete.
        try {
            m_link->writeText(value);
            m_pending = false;
        } catch (const plat::Error&) {
            m_pending = true;
        }
        return;
    }
    runGuarded([&] { m_link->writeText(value); }, window());
}

bool DBEdit::acceptLeave(QString* error)
{
    if (!MaskEdit::acceptLeave(error))
        return false;
    try {
        writePending();
        return true;
    } catch (const plat::Error& e) {
        *error = e.message();
        return false;
    }
}

void DBEdit::writePending()
{
    if (!m_pending)
        return;
    m_link->writeText(value());
    m_pending = false;
}

void DBEdit::commitPendingText()
{
    try {
        writePending();
    } catch (const plat::Error&) {
        setFocus();
        throw;
    }
}

void commitPendingEdits(QWidget* form)
{
    for (DBEdit* box : form->findChildren<DBEdit*>())
        box->commitPendingText();
}

void DBEdit::abandonChanges()
{
    MaskEdit::abandonChanges();
    m_pending = false;
    if (m_link->isBound())
        runGuarded([&] { m_link->writeText(value()); }, window());
}

} // namespace plat::ui
