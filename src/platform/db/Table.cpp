#include "platform/db/Table.h"

#include "platform/system/Error.h"

namespace plat::db {

Table::Table(Database& db, const QString& tableName, QObject* parent) : QObject(parent), m_db(db), m_tableName(tableName) {}

Table::~Table() { m_db.unregisterOpen(this); }

const TableDef& Table::definition() const
{
    if (!m_def)
        const_cast<Table*>(this)->m_def = &m_db.table(m_tableName);
    return *m_def;
}

void Table::requireOpen() const
{
    if (m_state == State::Inactive)
        throw Error::database(QStringLiteral("A tabela %1 está fechada").arg(m_tableName));
}

void Table::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged();
}

// ---------------------------------------------------------------- ordering

QStringList Table::keyFields() const
{
    QStringList names;
    if (m_index)
        for (const QString& f : m_index->fields)
            names << f;
    return names;
}

void Table::resolveOrdering(const IndexDef* index)
{
    m_index = index;
    m_ordering = index ? Ordering(definition(), index->fields) : Ordering();
}

QVariantList Table::keyOf(const Record& record) const
{
    return m_ordering.keyOf([&](int field) { return record.value(field, fieldDef(field)); }, record.rowid);
}

QVariantList Table::keyForSearch(const QVariantList& keys) const
{
    const TableDef& def = definition();
    QVariantList values;
    const int n = std::min<int>(keys.size(), m_ordering.parts().size());
    for (int i = 0; i < n; ++i)
        values << normalise(def.fields[m_ordering.parts()[i].field], keys[i]);
    return m_ordering.searchKey(values);
}

void Table::setIndexName(const QString& name)
{
    const IndexDef* index = nullptr;
    if (m_state != State::Inactive || m_db.hasTable(m_tableName)) {
        index = definition().indexByName(name);
        if (!index && !name.trimmed().isEmpty())
            throw Error::database(QStringLiteral("Índice não encontrado: %1").arg(name));
    }
    m_indexName = name;
    m_indexFieldNames.clear();
    if (m_state == State::Inactive)
        return;
    checkBrowse();
    m_rangeActive = false;
    resolveOrdering(index);
    dropAhead();
    if (m_hasRecord && !gotoBookmark(Bookmark{keyOf(m_current), m_current.rowid}))
        first();
    emit dataSetChanged();
    emit recordChanged();
}

void Table::setIndexFieldNames(const QString& fields)
{
    QStringList names;
    for (const QString& n : fields.split(u';', Qt::SkipEmptyParts))
        names << n.trimmed();
    const IndexDef* index = nullptr;
    if (m_state != State::Inactive || m_db.hasTable(m_tableName)) {
        index = names.isEmpty() ? definition().indexByName(QString()) : definition().indexByFields(names);
        if (!index)
            throw Error::database(QStringLiteral("Não há índice para os campos %1").arg(fields));
    }
    m_indexFieldNames = fields;
    m_indexName.clear();
    if (m_state == State::Inactive)
        return;
    checkBrowse();
    m_rangeActive = false;
    resolveOrdering(index);
    dropAhead();
    if (m_hasRecord && !gotoBookmark(Bookmark{keyOf(m_current), m_current.rowid}))
        first();
    emit dataSetChanged();
    emit recordChanged();
}

// ---------------------------------------------------------------- open / close

void Table::open()
{
    if (m_state != State::Inactive)
        return;
    m_db.ensureOpen(); // a closed database is reported before anything else
    const TableDef& def = definition();
    const IndexDef* index = !m_indexFieldNames.isEmpty() ? def.indexByFields(m_indexFieldNames.split(u';', Qt::SkipEmptyParts))
                                                         : def.indexByName(m_indexName);
    if (!index)
        throw Error::database(
            QStringLiteral("Índice não encontrado: %1").arg(m_indexFieldNames.isEmpty() ? m_indexName : m_indexFieldNames));
    resolveOrdering(index);
    m_rangeActive = false;
    dropAhead();
    m_state = State::Browse;
    try {
        first();
    } catch (...) {
        m_state = State::Inactive;
        throw;
    }
    m_db.registerOpen(this, def.name);
    emit stateChanged();
    emit dataSetChanged();
}

void Table::close()
{
    if (m_state == State::Inactive)
        return;
    m_state = State::Inactive;
    m_db.unregisterOpen(this);
    m_rangeActive = false;
    m_hasRecord = false;
    m_current = Record();
    m_eof = m_bof = true;
    m_statements.clear();
    m_selectList.clear();
    dropAhead();
    emit stateChanged();
    emit dataSetChanged();
    emit recordChanged();
}

// ---------------------------------------------------------------- fields

int Table::fieldIndexOf(const QString& name) const
{
    const int i = definition().fieldIndex(name.trimmed());
    if (i < 0 || m_declared.isEmpty())
        return i;
    for (const QString& d : m_declared)
        if (d.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const FieldDef& Table::fieldDef(int index) const { return definition().fields.at(index); }

Field Table::field(const QString& name)
{
    const int i = fieldIndexOf(name);
    if (i < 0)
        throw Error::database(QStringLiteral("%1: campo '%2' não encontrado").arg(m_tableName, name));
    return Field(this, i);
}

QVariant Table::value(const QString& name) const
{
    const int i = fieldIndexOf(name);
    if (i < 0)
        throw Error::database(QStringLiteral("%1: campo '%2' não encontrado").arg(m_tableName, name));
    return fieldValue(i);
}

void Table::setValue(const QString& name, const QVariant& v) { field(name).setValue(v); }

QVariant Table::fieldValue(int index) const
{
    requireOpen();
    switch (m_state) {
    case State::Edit:
    case State::Insert:
        return m_buffer.value(index);
    case State::SetKey:
        return m_keyBuffers[m_keyEditing].value(index);
    default:
        if (!m_hasRecord)
            return fieldDef(index).type == FieldType::Text ? QVariant(QString()) : QVariant();
        return m_current.value(index, fieldDef(index));
    }
}

} // namespace plat::db
