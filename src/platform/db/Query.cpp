#include "platform/db/Query.h"

#include "platform/system/Error.h"

#include <QSet>

namespace plat::db {

Query::Query(Database& db, QObject* parent) : QObject(parent), m_db(db) {}

void Query::setSql(const QStringList& lines)
{
    close();
    m_sql = lines;
}

void Query::setParam(const QString& name, const QVariant& value)
{
    const QString key = name.startsWith(u':') ? name : u':' + name;
    for (auto& p : m_named)
        if (p.first == key) {
            p.second = value;
            return;
        }
    m_named.append({key, value});
}

void Query::setParam(int index, const QVariant& value)
{
    for (auto& p : m_positional)
        if (p.first == index) {
            p.second = value;
            return;
        }
    m_positional.append({index, value});
}

void Query::clearParams()
{
    m_named.clear();
    m_positional.clear();
}

Statement Query::prepareBound()
{
    Statement st = m_db.prepare(text());
    for (const auto& p : m_positional)
        st.bind(p.first, p.second);
    for (const auto& p : m_named) {
        const int i = st.parameterIndex(p.first);
        if (i > 0)
            st.bind(i, p.second);
    }
    return st;
}

// The result's fields, from the columns the statement gives (the table
// layer's sort columns left out); returns the statement column of each field.
QVector<Query::Column> Query::readColumns(const Statement& st)
{
    m_fields.clear();
    QSet<QString> seen;
    QVector<Column> visible;
    for (int c = 0; c < st.columnCount(); ++c) {
        const QString column = st.columnName(c);
        const QString table = st.originTable(c);
        const QString origin = st.originColumn(c);
        if (!table.isEmpty() && isSortColumnName(origin))
            continue; // ordering columns of the table layer are not data
        FieldDef def;
        def.name = column;
        bool typed = false;
        if (!table.isEmpty() && m_db.hasTable(table)) {
            if (const FieldDef* f = m_db.table(table).field(origin)) {
                def = *f;
                def.name = column;
                typed = true;
            }
        } else {
            def.type = FieldType::Integer; // computed columns: refined from the first value
            def.size = 0;
        }
        QString unique = def.name.toUpper();
        if (seen.contains(unique)) {
            int k = 1;
            while (seen.contains(QStringLiteral("%1_%2").arg(def.name.toUpper()).arg(k)))
                ++k;
            unique = QStringLiteral("%1_%2").arg(def.name.toUpper()).arg(k);
            def.name = unique;
        }
        seen.insert(unique);
        m_fields << def;
        visible << Column{c, typed};
    }
    return visible;
}

void Query::readRows(Statement& st, QVector<Column> columns)
{
    while (st.step()) {
        QVector<QVariant> row(m_fields.size());
        for (int i = 0; i < m_fields.size(); ++i) {
            const StoredValue v = st.stored(columns[i].index);
            FieldDef& def = m_fields[i];
            if (!columns[i].typed && v.kind != StoredValue::Null) {
                // A computed column takes the type of its first value.
                if (v.kind == StoredValue::Real)
                    def.type = FieldType::Float;
                else if (v.kind == StoredValue::Text)
                    def.type = FieldType::Text;
                columns[i].typed = true;
            }
            row[i] = decodeStored(def.type, v);
        }
        m_rows << row;
    }
}

void Query::open()
{
    close();
    Statement st = prepareBound();
    const QVector<Column> columns = readColumns(st);
    readRows(st, columns);
    m_open = true;
    m_pos = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    emit stateChanged();
    emit dataSetChanged();
    emit recordChanged();
}

void Query::execSql()
{
    m_db.beforeWrite();
    close();
    Statement st = prepareBound();
    st.exec();
}

void Query::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_rows.clear();
    m_fields.clear();
    m_pos = -1;
    m_eof = m_bof = true;
    emit stateChanged();
    emit dataSetChanged();
    emit recordChanged();
}

void Query::first()
{
    if (!m_open)
        throw Error::database(QStringLiteral("A consulta está fechada"));
    m_pos = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    emit recordChanged();
}

void Query::last()
{
    if (!m_open)
        throw Error::database(QStringLiteral("A consulta está fechada"));
    m_pos = int(m_rows.size()) - 1;
    m_eof = true;
    m_bof = m_rows.isEmpty();
    emit recordChanged();
}

void Query::next()
{
    if (!m_open || m_rows.isEmpty())
        return;
    if (m_pos + 1 >= m_rows.size()) {
        m_eof = true;
        return;
    }
    ++m_pos;
    m_eof = m_bof = false;
    emit recordChanged();
}

void Query::prior()
{
    if (!m_open || m_rows.isEmpty())
        return;
    if (m_pos <= 0) {
        m_bof = true;
        return;
    }
    --m_pos;
    m_eof = m_bof = false;
    emit recordChanged();
}

void Query::moveTo(int row)
{
    if (!m_open || row < 0 || row >= m_rows.size())
        return;
    m_pos = row;
    m_eof = m_bof = false;
    emit recordChanged();
}

QStringList Query::fieldNames() const
{
    QStringList names;
    for (const FieldDef& f : m_fields)
        names << f.name;
    return names;
}

int Query::fieldIndexOf(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Field Query::field(const QString& name)
{
    const int i = fieldIndexOf(name);
    if (i < 0)
        throw Error::database(QStringLiteral("%1: campo '%2' não encontrado").arg(objectName(), name));
    return Field(this, i);
}

QVariant Query::value(const QString& name) const
{
    const int i = fieldIndexOf(name);
    if (i < 0)
        throw Error::database(QStringLiteral("%1: campo '%2' não encontrado").arg(objectName(), name));
    return fieldValue(i);
}

QVariant Query::fieldValue(int index) const
{
    if (!m_open)
        throw Error::database(QStringLiteral("A consulta está fechada"));
    if (m_pos < 0)
        return m_fields.at(index).type == FieldType::Text ? QVariant(QString()) : QVariant();
    return m_rows.at(m_pos).at(index);
}

void Query::setFieldValue(int, const QVariant&)
{
    throw Error::database(QStringLiteral("O resultado de uma consulta não pode ser alterado"));
}

} // namespace plat::db
