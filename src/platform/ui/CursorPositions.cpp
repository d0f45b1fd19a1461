#include "platform/ui/CursorPositions.h"

#include "platform/db/Schema.h"

#include <QDate>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace plat::ui {

using plat::db::Bookmark;
using plat::db::Database;
using plat::db::FieldDef;
using plat::db::Statement;
using plat::db::Table;
using plat::db::TableDef;

namespace {

QString quoted(const QString& name) { return u'"' + name + u'"'; }

// The columns of the ordering's index, in the layout of a bookmark's key: a
// name ordered with accents folded gives its folded column and itself, a field
// that may be null its sort column, any other field itself; the record number
// ends every ordering.
QStringList orderColumns(const Table& table)
{
    const TableDef& def = table.definition();
    QStringList columns;
    for (const QString& name : table.keyFields()) {
        const FieldDef* f = def.field(name);
        if (!f)
            return {};
        if (f->folded)
            columns << quoted(plat::db::sortColumn(*f)) << quoted(f->name);
        else if (plat::db::needsSortColumn(*f, def))
            columns << quoted(plat::db::sortColumn(*f));
        else
            columns << quoted(f->name);
    }
    columns << QStringLiteral("rowid");
    return columns;
}

QString marks(int n)
{
    QStringList m;
    for (int i = 0; i < n; ++i)
        m << QStringLiteral("?");
    return m.join(u',');
}

int rank(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return 1;
    default:
        return 2;
    }
}

QByteArray textOf(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate).toUtf8();
    return v.toString().toUtf8();
}

} // namespace

int compareKeyValues(const QVariant& a, const QVariant& b)
{
    const int ra = rank(a);
    const int rb = rank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 0)
        return 0;
    if (ra == 1) {
        if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double || a.typeId() == QMetaType::Float
            || b.typeId() == QMetaType::Float) {
            const double x = a.toDouble();
            const double y = b.toDouble();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const qint64 x = a.toLongLong();
        const qint64 y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QByteArray x = textOf(a);
    const QByteArray y = textOf(b);
    const int c = std::memcmp(x.constData(), y.constData(), size_t(std::min(x.size(), y.size())));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}

int compareKeys(const QVariantList& a, const QVariantList& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (const int c = compareKeyValues(a.at(i), b.at(i)); c != 0)
            return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

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
    const qint64 stamp = sqlite3_total_changes64(db.handle());
    const QStringList columns = orderColumns(table);
    if (m_stamp == stamp && columns == m_columns && m_table == table.definition().name && !m_keys.isEmpty())
        return true;
    clear();
    if (columns.isEmpty())
        return false;
    // One walk over the index in its order; only every kStep-th key is read.
    Statement st = db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %1")
                                  .arg(columns.join(u','), quoted(table.definition().name)));
    for (int n = 0; st.step(); ++n) {
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
    const QStringList columns = orderColumns(table);
    const QString list = columns.join(u',');
    const QString n = marks(int(columns.size()));
    QString where = QStringLiteral("(%1) < (%2)").arg(list, n);
    QVariantList params;
    if (from) {
        where = QStringLiteral("(%1) >= (%2) AND ").arg(list, n) + where;
        params << *from;
    }
    params << to;
    // With a limit the count stops early: a record far from the start is not
    // counted through.
    const QString sql = limit > 0
        ? QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 WHERE %2 LIMIT %3)").arg(quoted(table.definition().name), where).arg(limit)
        : QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(quoted(table.definition().name), where);
    Statement st = table.database().prepare(sql);
    st.bindAll(params);
    return st.step() ? int(st.int64(0)) : 0;
}

int CursorPositions::positionOf(const Table& table, const Bookmark& mark, int rowCount)
{
    if (!usable(table, rowCount) || orderColumns(table).size() != mark.key.size())
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

} // namespace plat::ui
