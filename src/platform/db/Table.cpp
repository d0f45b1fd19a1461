#include "platform/db/Table.h"

#include "platform/system/Error.h"

#include <QVarLengthArray>
#include <sqlite3.h>
#include <cstring>
#include <limits>
#include <optional>

namespace plat::db {

namespace {

constexpr int kReadAhead = 128;
// A forward walk uses a block well within this.
constexpr qint64 kAheadFreshMs = 1;

QString quoted(const QString& name) { return u'"' + name + u'"'; }

} // namespace

int Record::fieldCount() const { return m_data.isEmpty() ? 0 : int(*reinterpret_cast<const quint32*>(m_data.constData())); }

Record Record::read(const Statement& st, int firstColumn, int count)
{
    // Each column is fetched once as an engine value; its type and bytes are then
    // read from that value, which costs far less than the per-column calls.
    sqlite3_stmt* stmt = st.raw();
    QVarLengthArray<sqlite3_value*, 24> values(count);
    QVarLengthArray<int, 24> types(count);
    qsizetype payload = 0;
    for (int i = 0; i < count; ++i) {
        values[i] = sqlite3_column_value(stmt, firstColumn + i);
        types[i] = sqlite3_value_type(values[i]);
        if (types[i] == SQLITE_INTEGER || types[i] == SQLITE_FLOAT)
            payload += 8;
        else if (types[i] != SQLITE_NULL)
            payload += sqlite3_value_bytes(values[i]);
    }
    const qsizetype header = qsizetype(sizeof(quint32)) * (1 + 2 * count);
    Record r;
    r.m_data = QByteArray(header + payload, Qt::Uninitialized);
    auto* head = reinterpret_cast<quint32*>(r.m_data.data());
    char* out = r.m_data.data() + header;
    head[0] = quint32(count);
    quint32 offset = quint32(header);
    for (int i = 0; i < count; ++i) {
        quint32 len = 0;
        Kind kind = Null;
        switch (types[i]) {
        case SQLITE_INTEGER: {
            const qint64 v = sqlite3_value_int64(values[i]);
            memcpy(out, &v, 8);
            len = 8;
            kind = Integer;
            break;
        }
        case SQLITE_FLOAT: {
            const double v = sqlite3_value_double(values[i]);
            memcpy(out, &v, 8);
            len = 8;
            kind = Real;
            break;
        }
        case SQLITE_NULL:
            break;
        default: {
            const auto* p = sqlite3_value_text(values[i]);
            len = quint32(sqlite3_value_bytes(values[i]));
            if (len)
                memcpy(out, p, len);
            kind = Text;
        }
        }
        head[1 + 2 * i] = offset;
        head[2 + 2 * i] = (len << 2) | kind;
        out += len;
        offset += len;
    }
    r.rowid = sqlite3_column_int64(stmt, 0);
    return r;
}

QVariant Record::value(int index, const FieldDef& def) const
{
    if (index < 0 || index >= fieldCount())
        return def.type == FieldType::Text ? QVariant(QString()) : QVariant();
    const auto* head = reinterpret_cast<const quint32*>(m_data.constData());
    const quint32 offset = head[1 + 2 * index];
    const quint32 len = head[2 + 2 * index] >> 2;
    const auto kind = Kind(head[2 + 2 * index] & 3);
    const char* p = m_data.constData() + offset;
    qint64 i = 0;
    double d = 0;
    switch (kind) {
    case Null:
        return def.type == FieldType::Text ? QVariant(QString()) : QVariant();
    case Integer:
        memcpy(&i, p, 8);
        if (def.type == FieldType::Text)
            return QString::number(i);
        if (def.type == FieldType::Float)
            return double(i);
        return QVariant(i);
    case Real:
        memcpy(&d, p, 8);
        if (def.type == FieldType::Text)
            return QString::number(d, 'g', 15);
        if (def.type == FieldType::Integer || def.type == FieldType::AutoInc)
            return QVariant(qint64(d));
        return QVariant(d);
    case Text: {
        const QString text = QString::fromUtf8(p, len);
        switch (def.type) {
        case FieldType::Date: {
            const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
            return date.isValid() ? QVariant(date) : QVariant();
        }
        case FieldType::Integer:
        case FieldType::AutoInc: {
            bool ok = false;
            const qint64 n = text.trimmed().toLongLong(&ok);
            return ok ? QVariant(n) : QVariant(text);
        }
        case FieldType::Float: {
            bool ok = false;
            const double n = text.trimmed().toDouble(&ok);
            return ok ? QVariant(n) : QVariant();
        }
        case FieldType::Text:
            return text;
        }
        return text;
    }
    }
    return QVariant();
}

Table::Table(Database& db, const QString& tableName, QObject* parent)
    : QObject(parent), m_db(db), m_tableName(tableName)
{
}

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

Statement& Table::cached(const QString& sql) const
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.insert(sql, std::make_shared<Statement>(m_db.prepare(sql)));
    Statement& st = **it;
    st.reset();
    return st;
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
    m_db.handle();   // a closed database is reported before anything else
    const TableDef& def = definition();
    const IndexDef* index = !m_indexFieldNames.isEmpty()
        ? def.indexByFields(m_indexFieldNames.split(u';', Qt::SkipEmptyParts))
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
    dropAhead();
    emit stateChanged();
    emit dataSetChanged();
    emit recordChanged();
}

// ---------------------------------------------------------------- reading

QString Table::selectList() const
{
    QStringList cols{QStringLiteral("rowid")};
    for (const FieldDef& f : definition().fields)
        cols << quoted(f.name);
    return cols.join(u',');
}

QString Table::rangeWhere(QVariantList& params) const
{
    if (!m_rangeActive)
        return QString();
    QStringList parts;
    const QVariantList start = keyForSearch(m_rangeStart);
    if (!start.isEmpty()) {
        parts << m_ordering.compare(QStringLiteral(">="), int(start.size()));
        params << start;
    }
    const QVariantList end = keyForSearch(m_rangeEnd);
    if (!end.isEmpty()) {
        parts << m_ordering.compare(QStringLiteral("<="), int(end.size()));
        params << end;
    }
    return parts.join(QStringLiteral(" AND "));
}

Record Table::readRow(const Statement& st) const { return Record::read(st, 1, int(definition().fields.size())); }

bool Table::fetchOne(const QString& where, const QVariantList& params, bool descending, Record& out) const
{
    QVariantList all;
    QStringList conds;
    const QString range = rangeWhere(all);
    if (!range.isEmpty())
        conds << range;
    if (!where.isEmpty())
        conds << where;
    all << params;
    const QString sql = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT 1")
                            .arg(selectList(), quoted(definition().name),
                                 conds.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND ")),
                                 m_ordering.orderBy({}, descending));
    Statement& st = cached(sql);
    st.bindAll(all);
    if (!st.step())
        return false;
    out = readRow(st);
    st.reset();
    return true;
}

QList<Record> Table::readFrom(const Bookmark* from, int count, bool backward) const
{
    requireOpen();
    QVariantList all;
    QStringList conds;
    const QString range = rangeWhere(all);
    if (!range.isEmpty())
        conds << range;
    if (from && from->isValid()) {
        conds << m_ordering.compare(backward ? QStringLiteral("<") : QStringLiteral(">"));
        all << from->key;
    }
    const QString sql = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT ?")
                            .arg(selectList(), quoted(definition().name),
                                 conds.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND ")),
                                 m_ordering.orderBy({}, backward));
    all << count;
    Statement& st = cached(sql);
    st.bindAll(all);
    QList<Record> out;
    while (st.step())
        out << readRow(st);
    st.reset();
    return out;
}

Bookmark Table::bookmarkOf(const Record& record) const { return Bookmark{keyOf(record), record.rowid}; }

Bookmark Table::bookmark() const
{
    if (!m_hasRecord)
        return Bookmark();
    return bookmarkOf(m_current);
}

int Table::positionOf(const Bookmark& mark) const
{
    requireOpen();
    QVariantList all;
    QStringList conds;
    const QString range = rangeWhere(all);
    if (!range.isEmpty())
        conds << range;
    conds << m_ordering.compare(QStringLiteral("<"));
    all << mark.key;
    Statement& st = cached(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(quoted(definition().name), conds.join(QStringLiteral(" AND "))));
    st.bindAll(all);
    const int n = st.step() ? int(st.int64(0)) : 0;
    st.reset();
    return n;
}

bool Table::gotoBookmark(const Bookmark& mark)
{
    requireOpen();
    if (!mark.isValid())
        return false;
    Record r;
    if (!fetchOne(QStringLiteral("rowid=?"), {mark.rowid}, false, r))
        return false;
    setCurrent(r);
    m_eof = m_bof = false;
    emit recordChanged();
    return true;
}

void Table::setCurrent(const Record& record)
{
    m_current = record;
    m_hasRecord = true;
}

void Table::setNoRecord()
{
    m_current = Record();
    m_hasRecord = false;
    m_eof = m_bof = true;
    dropAhead();
}

// ---------------------------------------------------------------- navigation

void Table::checkBrowse()
{
    switch (m_state) {
    case State::Inactive:
        requireOpen();
        break;
    case State::Edit:
    case State::Insert:
        if (m_modified.contains(true))
            post();
        else
            cancel();
        break;
    case State::SetKey:
        setState(State::Browse);
        break;
    case State::Browse:
        break;
    }
}

void Table::first()
{
    checkBrowse();
    dropAhead();
    Record r;
    if (fetchOne(QString(), {}, false, r)) {
        setCurrent(r);
        m_bof = true;
        m_eof = false;
    } else {
        setNoRecord();
    }
    emit recordChanged();
}

void Table::last()
{
    checkBrowse();
    dropAhead();
    Record r;
    if (fetchOne(QString(), {}, true, r)) {
        setCurrent(r);
        m_eof = true;
        m_bof = false;
    } else {
        setNoRecord();
    }
    emit recordChanged();
}

void Table::next()
{
    checkBrowse();
    if (!m_hasRecord) {
        m_eof = true;
        return;
    }
    // Rows read ahead stay current while this connection changed nothing and,
    // once they are older than a tight walk takes over a block, while no other
    // connection wrote either.
    const qint64 stamp = sqlite3_total_changes64(m_db.handle());
    bool stale = m_ahead.isEmpty() || m_aheadStamp != stamp;
    std::optional<qint64> version;
    if (!stale && m_aheadAge.elapsed() > kAheadFreshMs) {
        version = m_db.dataVersion();
        stale = m_aheadVersion != *version;
        m_aheadAge.start();
    }
    if (stale) {
        const Bookmark here = bookmark();
        m_aheadVersion = version ? *version : m_db.dataVersion();
        m_ahead = readFrom(&here, kReadAhead);
        m_aheadStamp = stamp;
        m_aheadAge.start();
    }
    if (m_ahead.isEmpty()) {
        m_eof = true;
        dropAhead();
        return;
    }
    setCurrent(m_ahead.takeFirst());
    m_eof = m_bof = false;
    emit recordChanged();
}

void Table::prior()
{
    checkBrowse();
    dropAhead();
    if (!m_hasRecord) {
        m_bof = true;
        return;
    }
    Record r;
    if (fetchOne(m_ordering.compare(QStringLiteral("<")), bookmark().key, true, r)) {
        setCurrent(r);
        m_eof = m_bof = false;
        emit recordChanged();
    } else {
        m_bof = true;
    }
}

bool Table::isEmpty() const
{
    requireOpen();
    if (m_hasRecord)
        return false;
    Record r;
    return !fetchOne(QString(), {}, false, r);
}

int Table::recordCount() const
{
    requireOpen();
    QVariantList params;
    const QString range = rangeWhere(params);
    Statement& st = cached(QStringLiteral("SELECT count(*) FROM %1%2")
                              .arg(quoted(definition().name), range.isEmpty() ? QString() : QStringLiteral(" WHERE ") + range));
    st.bindAll(params);
    const int n = st.step() ? int(st.int64(0)) : 0;
    st.reset();
    return n;
}

bool Table::findKey(const QVariantList& keys)
{
    checkBrowse();
    const QVariantList k = keyForSearch(keys);
    if (k.isEmpty())
        return false;
    Record r;
    if (!fetchOne(m_ordering.compare(QStringLiteral("="), int(k.size())), k, false, r))
        return false;
    dropAhead();
    setCurrent(r);
    m_eof = m_bof = false;
    emit recordChanged();
    return true;
}

void Table::findNearest(const QVariantList& keys)
{
    checkBrowse();
    const QVariantList k = keyForSearch(keys);
    if (k.isEmpty()) {
        first();
        return;
    }
    dropAhead();
    Record r;
    if (fetchOne(m_ordering.compare(QStringLiteral(">="), int(k.size())), k, false, r)) {
        setCurrent(r);
        m_eof = m_bof = false;
        emit recordChanged();
        return;
    }
    if (fetchOne(QString(), {}, true, r)) {
        setCurrent(r);
        m_eof = m_bof = false;
    } else {
        setNoRecord();
    }
    emit recordChanged();
}

// ---------------------------------------------------------------- ranges

void Table::setRangeStart()
{
    checkBrowse();
    m_keyBuffers[0] = QVector<QVariant>(definition().fields.size());
    m_keySets[0] = QVector<bool>(definition().fields.size(), false);
    m_keyEditing = 0;
    setState(State::SetKey);
}

void Table::setRangeEnd()
{
    if (m_state != State::SetKey)
        checkBrowse();
    m_keyBuffers[1] = QVector<QVariant>(definition().fields.size());
    m_keySets[1] = QVector<bool>(definition().fields.size(), false);
    m_keyEditing = 1;
    setState(State::SetKey);
}

void Table::applyRange()
{
    requireOpen();
    QVariantList bounds[2];
    for (int b = 0; b < 2; ++b) {
        if (m_keyBuffers[b].isEmpty())
            continue;
        for (const Ordering::Part& p : m_ordering.parts()) {
            if (!m_keySets[b][p.field])
                break;
            bounds[b] << m_keyBuffers[b][p.field];
        }
    }
    setState(State::Browse);
    setRange(bounds[0], bounds[1]);
}

void Table::setRange(const QVariantList& start, const QVariantList& end)
{
    checkBrowse();
    m_rangeStart = start;
    m_rangeEnd = end;
    m_rangeActive = true;
    dropAhead();
    first();
    emit dataSetChanged();
}

void Table::cancelRange()
{
    requireOpen();
    m_keyBuffers[0].clear();
    m_keyBuffers[1].clear();
    if (!m_rangeActive)
        return;
    checkBrowse();
    m_rangeActive = false;
    dropAhead();
    if (!m_hasRecord || !gotoBookmark(bookmark()))
        first();
    emit dataSetChanged();
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

QVariant Table::normalise(const FieldDef& def, const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return def.type == FieldType::Text ? QVariant(QString()) : QVariant();
    switch (def.type) {
    case FieldType::Text: {
        const QString s = value.toString();
        return def.size > 0 ? QVariant(s.left(def.size)) : QVariant(s);
    }
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (value.typeId() == QMetaType::QString)
            return Field::fromText(def, value.toString());
        return QVariant(value.toLongLong());
    case FieldType::Float:
        if (value.typeId() == QMetaType::QString)
            return Field::fromText(def, value.toString());
        return QVariant(value.toDouble());
    case FieldType::Date:
        if (value.typeId() == QMetaType::QString)
            return Field::fromText(def, value.toString());
        return value.toDate().isValid() ? QVariant(value.toDate()) : QVariant();
    }
    return value;
}

void Table::setFieldValue(int index, const QVariant& v)
{
    requireOpen();
    const FieldDef& def = fieldDef(index);
    if (m_state == State::SetKey) {
        m_keyBuffers[m_keyEditing][index] = normalise(def, v);
        m_keySets[m_keyEditing][index] = true;
        return;
    }
    if (m_state != State::Edit && m_state != State::Insert)
        throw Error::database(QStringLiteral("A tabela %1 não está em modo de edição ou inclusão").arg(m_tableName));
    if (def.type == FieldType::AutoInc)
        throw Error::database(QStringLiteral("O campo %1 é numerado pela tabela e não pode ser alterado").arg(def.name));
    const QVariant n = normalise(def, v);
    if (m_buffer[index] == n && m_buffer[index].isNull() == n.isNull())
        return;
    m_buffer[index] = n;
    m_modified[index] = true;
    emit fieldEdited(index);
}

// ---------------------------------------------------------------- editing

void Table::insert()
{
    checkBrowse();
    m_db.beforeWrite();
    const TableDef& def = definition();
    m_buffer = QVector<QVariant>(def.fields.size());
    for (int i = 0; i < def.fields.size(); ++i)
        if (def.fields[i].type == FieldType::Text)
            m_buffer[i] = QString();
    m_modified = QVector<bool>(def.fields.size(), false);
    setState(State::Insert);
    emit recordChanged();
}

void Table::append() { insert(); }

void Table::edit()
{
    requireOpen();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    checkBrowse();
    m_db.beforeWrite();
    if (!m_hasRecord) {
        // Editing an empty table starts a new record, as the user expects.
        insert();
        return;
    }
    Record fresh;
    if (!fetchOne(QStringLiteral("rowid=?"), {m_current.rowid}, false, fresh)) {
        // The record may lie outside the range after another change, or be gone.
        Statement& st = cached(QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(selectList(), quoted(definition().name)));
        st.bind(1, m_current.rowid);
        if (!st.step())
            throw Error::database(QStringLiteral("O registro foi excluído por outro usuário"));
        fresh = readRow(st);
        st.reset();
    }
    setCurrent(fresh);
    m_buffer = QVector<QVariant>(fresh.fieldCount());
    for (int i = 0; i < m_buffer.size(); ++i)
        m_buffer[i] = fresh.value(i, fieldDef(i));
    m_modified = QVector<bool>(m_buffer.size(), false);
    setState(State::Edit);
    emit recordChanged();
}

void Table::post()
{
    requireOpen();
    if (m_state == State::SetKey) {
        applyRange();
        return;
    }
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    const TableDef& def = definition();
    qint64 rowid = m_current.rowid;
    if (m_state == State::Insert) {
        QStringList cols;
        QVariantList params;
        for (int i = 0; i < def.fields.size(); ++i) {
            if (def.fields[i].type == FieldType::AutoInc)
                continue;
            cols << quoted(def.fields[i].name);
            params << m_buffer[i];
        }
        Statement& st = cached(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(quoted(def.name), cols.join(u','), placeholders(int(cols.size()))));
        st.bindAll(params);
        st.exec();
        rowid = m_db.lastInsertRowId();
    } else {
        QStringList sets;
        QVariantList params;
        for (int i = 0; i < def.fields.size(); ++i) {
            if (!m_modified[i])
                continue;
            sets << quoted(def.fields[i].name) + QStringLiteral("=?");
            params << m_buffer[i];
        }
        if (!sets.isEmpty()) {
            params << rowid;
            Statement& st = cached(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(quoted(def.name), sets.join(u',')));
            st.bindAll(params);
            st.exec();
        }
    }
    Statement& st = cached(QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(selectList(), quoted(def.name)));
    st.bind(1, rowid);
    if (st.step())
        setCurrent(readRow(st));
    st.reset();
    m_buffer.clear();
    m_modified.clear();
    m_eof = m_bof = false;
    dropAhead();
    setState(State::Browse);
    emit dataSetChanged();
    emit recordChanged();
}

void Table::cancel()
{
    requireOpen();
    if (m_state == State::Browse)
        return;
    m_buffer.clear();
    m_modified.clear();
    setState(State::Browse);
    emit recordChanged();
}

void Table::remove()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state != State::Browse)
        cancel();
    m_db.beforeWrite();
    if (!m_hasRecord)
        throw Error::database(QStringLiteral("Não há registro para excluir na tabela %1").arg(m_tableName));
    const Bookmark was = bookmark();
    Statement& del = cached(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoted(definition().name)));
    del.bind(1, was.rowid);
    del.exec();
    dropAhead();
    Record r;
    if (fetchOne(m_ordering.compare(QStringLiteral(">")), was.key, false, r)
        || fetchOne(m_ordering.compare(QStringLiteral("<")), was.key, true, r)) {
        setCurrent(r);
        m_eof = m_bof = false;
    } else {
        setNoRecord();
    }
    emit dataSetChanged();
    emit recordChanged();
}

void Table::refresh()
{
    checkBrowse();
    dropAhead();
    m_statements.clear();
    if (m_hasRecord) {
        const Bookmark was = bookmark();
        Record r;
        if (fetchOne(QStringLiteral("rowid=?"), {was.rowid}, false, r)) {
            setCurrent(r);
        } else {
            if (fetchOne(m_ordering.compare(QStringLiteral(">=")), was.key, false, r)
                || fetchOne(QString(), {}, true, r))
                setCurrent(r);
            else
                setNoRecord();
        }
    } else {
        Record r;
        if (fetchOne(QString(), {}, false, r)) {
            setCurrent(r);
            m_eof = m_bof = false;
        }
    }
    emit dataSetChanged();
    emit recordChanged();
}

} // namespace plat::db
