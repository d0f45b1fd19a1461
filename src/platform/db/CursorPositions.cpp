#include "platform/db/CursorPositions.h"

#include "platform/db/Ordering.h"
#include "platform/db/Scan.h"

#include <algorithm>

namespace plat::db {

void CursorPositions::clear()
{
    m_keys.clear();
    m_columns.clear();
    m_stamp = -1;
}

bool CursorPositions::usable(const Table& table, int rowCount) const
{
    return rowCount >= kMinRows && !table.hasRange() && table.isOpen();
}

bool CursorPositions::sample(const Table& table)
{
    Database& db = table.database();
    const qint64 stamp = db.totalChanges();
    const QStringList columns = table.ordering().columns();
    if (m_stamp == stamp && columns == m_columns && m_table == table.definition().name && !m_keys.isEmpty())
        return true;
    clear();
    // One walk over the index in its order; only every kStep-th key is read.
    Scan scan(db, table.definition().name, table.ordering(), columns);
    const Statement& st = scan.row();
    for (int n = 0; scan.next(); ++n) {
        if (n % kStep != 0)
            continue;
        QVariantList key;
        key.reserve(columns.size());
        for (int i = 0; i < columns.size(); ++i)
            key << st.value(i);
        m_keys.append(key);
    }
    m_columns = columns;
    m_table = table.definition().name;
    m_stamp = stamp;
    return !m_keys.isEmpty();
}

void CursorPositions::prepare(const Table& table, int rowCount)
{
    if (usable(table, rowCount))
        sample(table);
}

int CursorPositions::countBetween(const Table& table, const QVariantList* from, const QVariantList& to, int limit)
{
    const Ordering& ordering = table.ordering();
    QString where = ordering.compare(QStringLiteral("<"));
    QVariantList params;
    if (from) {
        where = ordering.compare(QStringLiteral(">=")) + QStringLiteral(" AND ") + where;
        params << *from;
    }
    params << to;
    // With a limit the count stops early: a record far from the start is not
    // counted through.
    const QString sql = limit > 0
                            ? QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 WHERE %2 LIMIT %3)")
                                  .arg(quoted(table.definition().name), where)
                                  .arg(limit)
                            : QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(quoted(table.definition().name), where);
    Statement st = table.database().prepare(sql);
    st.bindAll(params);
    return st.step() ? int(st.int64(0)) : 0;
}

int CursorPositions::positionOf(const Table& table, const Bookmark& mark, int rowCount)
{
    if (!usable(table, rowCount) || table.ordering().columns().size() != mark.key.size())
        return table.positionOf(mark);
    const int near = countBetween(table, nullptr, mark.key, 2 * kStep);
    if (near < 2 * kStep)
        return near;
    if (!sample(table))
        return table.positionOf(mark);
    // The last kept key at or before the record.
    const auto after = std::upper_bound(m_keys.cbegin(), m_keys.cend(), mark.key,
                                        [](const QVariantList& key, const QVariantList& k) { return compareKeys(key, k) < 0; });
    if (after == m_keys.cbegin())
        return table.positionOf(mark);
    const auto from = std::prev(after);
    return int(from - m_keys.cbegin()) * kStep + countBetween(table, &*from, mark.key, 0);
}

} // namespace plat::db
