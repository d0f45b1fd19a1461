// Reading a file's tables and indexes apart from each other, so that a repair
// can tell where they disagree before it trusts either.
#include "platform/db/Database.h"

#include "platform/system/Error.h"

#include <QSet>

#include <algorithm>
#include <optional>

namespace plat::db {

namespace {

QStringList textColumn(const Database& db, const QString& sql, const QVariantList& params = {})
{
    Statement st = db.prepare(sql);
    st.bindAll(params);
    QStringList out;
    while (st.step())
        out << st.text(0);
    return out;
}

// The statement reads every value from the index's own entries: the engine's
// program opens the index and never reads a column of the table nor seeks a
// row in it. (An index over stored generated columns is not reported as
// covering, yet its scan reads the index alone.)
bool readsIndexAlone(const Database& db, const QString& sql, const QString& index)
{
    const qint64 root
        = db.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type='index' AND name=?"), {index}).toLongLong();
    struct Op {
        QString code;
        qint64 p1, p2;
    };
    QList<Op> program;
    Statement explain = db.prepare(QStringLiteral("EXPLAIN ") + sql);
    while (explain.step())
        program.append({explain.text(1), explain.int64(2), explain.int64(3)});
    qint64 cursor = -1;
    for (const Op& op : std::as_const(program))
        if (op.code == QStringLiteral("OpenRead") && op.p2 == root)
            cursor = op.p1;
    if (cursor < 0)
        return false;
    static const QStringList seeks{QStringLiteral("SeekRowid"), QStringLiteral("NotExists"), QStringLiteral("NotFound"),
                                   QStringLiteral("Found"),     QStringLiteral("Rowid"),     QStringLiteral("FinishSeek")};
    return std::none_of(program.cbegin(), program.cend(), [&](const Op& op) {
        return (op.code == QStringLiteral("Column") && op.p1 != cursor) || seeks.contains(op.code);
    });
}

// The entries of one index, read from the index alone; empty optional when the
// engine would not scan the index by itself (a partial index) or a page of it
// cannot be read.
std::optional<QMultiMap<qint64, QVariantList>> indexEntries(const Database& db, const QString& table, const QString& index,
                                                            const QStringList& columns)
{
    QStringList names;
    for (const QString& c : columns)
        names << quoted(c);
    const QString sql
        = QStringLiteral("SELECT rowid, %1 FROM %2 INDEXED BY %3").arg(names.join(u','), quoted(table), quoted(index));
    try {
        if (!readsIndexAlone(db, sql, index))
            return std::nullopt;
        QMultiMap<qint64, QVariantList> entries;
        Statement st = db.prepare(sql);
        while (st.step()) {
            QVariantList values;
            for (int i = 0; i < columns.size(); ++i)
                values << st.value(i + 1);
            entries.insert(st.int64(0), values);
        }
        return entries;
    } catch (const Error&) {
        return std::nullopt;
    }
}

QVariantList valuesOf(const QVariantList& row, const QList<int>& positions)
{
    QVariantList out;
    for (int p : positions)
        out << row.value(p);
    return out;
}

bool sameValues(const QVariantList& a, const QVariantList& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!Database::sameValue(a[i], b[i]))
            return false;
    return true;
}

} // namespace

int TableContent::column(const QString& name) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Database::sameValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.typeId() == b.typeId() && a == b;
}

QList<TableContent> Database::readContent() const
{
    QList<TableContent> out;
    const QStringList tables = textColumn(
        *this, QStringLiteral(
                   "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"));
    for (const QString& name : tables) {
        TableContent t;
        t.name = name;
        Statement info = prepare(QStringLiteral("SELECT name, hidden, pk, type FROM pragma_table_xinfo(?)"));
        info.bind(1, name);
        QStringList names;
        while (info.step()) {
            t.columns << info.text(0);
            t.generated << (info.int64(1) == 2 || info.int64(1) == 3);
            t.key << (info.int64(2) > 0 && info.text(3).compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0);
            names << quoted(info.text(0));
        }
        // NOT INDEXED: the rows come from the table's own b-tree, in record-number order.
        Statement rows = prepare(QStringLiteral("SELECT rowid, %1 FROM %2 NOT INDEXED").arg(names.join(u','), quoted(name)));
        while (rows.step()) {
            QVariantList values;
            values.reserve(t.columns.size());
            for (int i = 0; i < t.columns.size(); ++i)
                values << rows.value(i + 1);
            t.rows.insert(rows.int64(0), values);
        }
        out << t;
    }
    return out;
}

IndexComparison Database::compareIndexes(const QList<TableContent>& content) const
{
    IndexComparison out;
    for (const TableContent& t : content) {
        const QStringList indexes = textColumn(
            *this, QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND tbl_name=? ORDER BY name"), {t.name});
        for (const QString& index : indexes) {
            Statement info = prepare(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"));
            info.bind(1, index);
            QStringList columns;
            QList<int> positions;
            bool plain = true;
            while (info.step()) {
                const int p = info.isNull(0) ? -1 : t.column(info.text(0));
                plain = plain && p >= 0; // an index over an expression is not compared
                columns << info.text(0);
                positions << p;
            }
            if (!plain || columns.isEmpty())
                continue;
            const auto entries = indexEntries(*this, t.name, index, columns);
            if (!entries)
                continue;
            out.compared.append({t.name, index, columns});
            QSet<qint64> seen;
            for (auto it = entries->cbegin(); it != entries->cend(); ++it) {
                seen.insert(it.key());
                const auto row = t.rows.constFind(it.key());
                const QVariantList tableValues = row == t.rows.cend() ? QVariantList() : valuesOf(*row, positions);
                if (row == t.rows.cend() || !sameValues(tableValues, it.value()))
                    out.mismatches.append({t.name, index, columns, it.key(), tableValues, it.value()});
            }
            for (auto it = t.rows.cbegin(); it != t.rows.cend(); ++it)
                if (!seen.contains(it.key()))
                    out.mismatches.append({t.name, index, columns, it.key(), valuesOf(it.value(), positions), {}});
        }
    }
    return out;
}

} // namespace plat::db
