#include "platform/ui/FieldLink.h"

#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/system/Error.h"

#include <QScopedValueRollback>

namespace plat::ui {

using plat::db::DataSource;
using plat::db::Field;
using plat::db::FieldDef;
using plat::db::FieldSource;
using plat::db::Table;

FieldLink::FieldLink(QObject* parent) : QObject(parent) {}

DataSource* FieldLink::dataSource() const { return m_source; }

void FieldLink::setDataSource(DataSource* source)
{
    if (m_source == source)
        return;
    m_source = source;
    relink();
}

void FieldLink::setFieldName(const QString& name)
{
    m_fieldName = name;
    resolve();
    emit definitionChanged();
    emit changed();
}

void FieldLink::relink()
{
    for (const auto& c : m_links)
        disconnect(c);
    m_links.clear();
    if (m_source) {
        m_links << connect(m_source, &DataSource::recordChanged, this, &FieldLink::onRecordChanged);
        m_links << connect(m_source, &DataSource::stateChanged, this, &FieldLink::onRecordChanged);
        m_links << connect(m_source, &DataSource::fieldEdited, this, &FieldLink::onFieldEdited);
        auto rebind = [this] {
            const int was = m_index;
            resolve();
            if (was != m_index)
                emit definitionChanged();
            onRecordChanged();
        };
        m_links << connect(m_source, &DataSource::dataSetChanged, this, rebind);
        m_links << connect(m_source, &DataSource::dataSetReplaced, this, [this] {
            resolve();
            emit definitionChanged();
            onRecordChanged();
        });
    }
    resolve();
    emit definitionChanged();
    emit changed();
}

FieldSource* FieldLink::source() const { return m_source ? m_source->source() : nullptr; }

Table* FieldLink::table() const { return m_source ? m_source->table() : nullptr; }

void FieldLink::resolve()
{
    FieldSource* s = source();
    m_index = -1;
    if (!s || m_fieldName.isEmpty())
        return;
    // A table knows its fields while closed; a query only once it has run.
    if (!m_source->isOpen() && !table())
        return;
    m_index = s->fieldIndexOf(m_fieldName);
}

bool FieldLink::isBound() const { return m_index >= 0 && m_source && m_source->isOpen(); }

const FieldDef* FieldLink::fieldDef() const
{
    FieldSource* s = source();
    if (!s || m_index < 0)
        return nullptr;
    return &s->fieldDef(m_index);
}

QString FieldLink::text() const
{
    if (!isBound())
        return QString();
    FieldSource* s = source();
    return Field::toText(s->fieldDef(m_index), s->fieldValue(m_index));
}

void FieldLink::writeText(const QString& text)
{
    if (!isBound())
        throw plat::Error::database(QStringLiteral("O campo %1 não está disponível").arg(m_fieldName));
    QScopedValueRollback<bool> writing(m_writing, true);
    FieldSource* s = source();
    const QVariant value = Field::fromText(s->fieldDef(m_index), text);
    if (Table* t = table(); t && t->state() == Table::State::Browse)
        t->edit();
    s->setFieldValue(m_index, value);
}

void FieldLink::onRecordChanged()
{
    if (!m_writing)
        emit changed();
}

void FieldLink::onFieldEdited(int index)
{
    if (index == m_index && !m_writing)
        emit changed();
}

} // namespace plat::ui
