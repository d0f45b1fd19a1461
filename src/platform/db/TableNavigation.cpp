// A table cursor's reading: the statements over its ordering and key range,
// moving through the records, look-ups and ranges.
#include "platform/db/Table.h"

#include "platform/system/Error.h"

namespace plat::db {

namespace {

constexpr int kReadAhead = 128;

} // namespace

// ---------------------------------------------------------------- reading

QString Table::selectList() const
{
    if (m_selectList.isEmpty()) {
        QStringList cols{QStringLiteral("rowid")};
        for (const FieldDef& f : definition().fields)
            cols << quoted(f.name);
        m_selectList = cols.join(u',');
    }
    return m_selectList;
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
    Statement& st = cached(
        QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(quoted(definition().name), conds.join(QStringLiteral(" AND "))));
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

void Table::first() { moveToEnd(false); }

void Table::last() { moveToEnd(true); }

void Table::moveToEnd(bool last)
{
    checkBrowse();
    dropAhead();
    Record r;
    if (fetchOne(QString(), {}, last, r)) {
        setCurrent(r);
        m_bof = !last;
        m_eof = last;
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
    // Rows read ahead stay current while the database's read stamp is the one
    // they were read at: no change through this connection, no commit by
    // another connection of the program, no commit of another program read
    // past since. A commit of another program is seen from the next block on.
    if (m_ahead.isEmpty() || m_db.readStamp() != m_aheadStamp) {
        const Bookmark here = bookmark();
        m_ahead = readFrom(&here, kReadAhead);
        m_aheadStamp = m_db.readStamp();
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

} // namespace plat::db
