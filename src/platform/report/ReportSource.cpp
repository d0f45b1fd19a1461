#include "platform/report/ReportSource.h"

#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/system/Error.h"

namespace plat::report {

using plat::Error;
using plat::db::Field;

void ReportSource::follow(const QVariant&)
{
    throw Error::layout(QStringLiteral("Esta origem de dados não pode ser ligada a um mestre"));
}

namespace {

// Field positions are looked up once per name; a name the rows do not carry
// is the report definition's fault and is reported by name.
int lookUp(QHash<QString, int>& cache, const plat::db::FieldSource& source, const QString& field)
{
    const QString key = field.toUpper();
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    const int index = source.fieldIndexOf(field);
    if (index < 0)
        throw Error::layout(QStringLiteral("%1: campo '%2' não encontrado").arg(source.sourceName(), field));
    cache.insert(key, index);
    return index;
}

} // namespace

// ------------------------------------------------------------------ table

void TableSource::first()
{
    m_none = false;
    m_table.first();
}

void TableSource::next()
{
    if (!m_none)
        m_table.next();
}

bool TableSource::eof() const { return m_none || m_table.eof(); }

bool TableSource::hasRow() const { return !m_none && m_table.hasRecord(); }

int TableSource::indexOf(const QString& field) const { return lookUp(m_fields, m_table, field); }

QString TableSource::text(const QString& field) const
{
    const int index = indexOf(field);
    if (!hasRow())
        return QString();
    return Field::toText(m_table.fieldDef(index), m_table.fieldValue(index));
}

QVariant TableSource::value(const QString& field) const
{
    const int index = indexOf(field);
    return hasRow() ? m_table.fieldValue(index) : QVariant();
}

void TableSource::follow(const QVariant& key)
{
    if (!key.isValid() || key.isNull()) {
        m_none = true;
        return;
    }
    const QStringList keys = m_table.keyFields();
    if (!keys.isEmpty() && keys.first().compare(m_keyField, Qt::CaseInsensitive) == 0) {
        m_table.setRange({key}, {key});
        m_none = !m_table.hasRecord();
        return;
    }
    const plat::db::FieldDef* def = m_table.definition().field(m_keyField);
    if (keys.isEmpty() && def && def->type == plat::db::FieldType::AutoInc) {
        bool ok = false;
        const qint64 number = key.toLongLong(&ok);
        m_none = !ok || !m_table.gotoBookmark(plat::db::Bookmark{{number}, number});
        return;
    }
    throw Error::layout(
        QStringLiteral("%1: a ligação pelo campo '%2' precisa de uma ordem por esse campo").arg(m_table.tableName(), m_keyField));
}

// ------------------------------------------------------------------ query

void QuerySource::first() { m_query.first(); }

void QuerySource::next() { m_query.next(); }

bool QuerySource::eof() const { return m_query.eof(); }

int QuerySource::indexOf(const QString& field) const { return lookUp(m_fields, m_query, field); }

QString QuerySource::text(const QString& field) const
{
    const int index = indexOf(field);
    if (eof() && m_query.isEmpty())
        return QString();
    return Field::toText(m_query.fieldDef(index), m_query.fieldValue(index));
}

QVariant QuerySource::value(const QString& field) const
{
    const int index = indexOf(field);
    if (eof() && m_query.isEmpty())
        return QVariant();
    return m_query.fieldValue(index);
}

} // namespace plat::report
