#include "data/RegisterRepair.h"

#include "data/RegisterCopies.h"

#include <QDir>
#include <QSet>

using namespace plat::db;

namespace zelta {

namespace {

const TableContent* findTable(const QList<TableContent>& content, const QString& name)
{
    for (const TableContent& t : content)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString shown(const QVariant& v) { return v.isNull() ? QStringLiteral("vazio") : v.toString(); }

// The column a generated sort column is computed from (ORD_NOME and the steps
// ORD_NOME_1, ORD_NOME_2 from Nome); -1 when none is known.
int sourceColumn(const TableContent& t, int generated)
{
    const QString name = t.columns[generated];
    if (!name.startsWith(QStringLiteral("ORD_"), Qt::CaseInsensitive))
        return -1;
    const QString rest = name.mid(4);
    int best = -1;
    for (int i = 0; i < t.columns.size(); ++i) {
        if (t.generated[i])
            continue;
        const QString& c = t.columns[i];
        if (rest.compare(c, Qt::CaseInsensitive) == 0)
            return i;
        bool step = false;
        if (rest.startsWith(c + u'_', Qt::CaseInsensitive))
            rest.mid(c.size() + 1).toInt(&step);
        if (step)
            best = i;
    }
    return best;
}

} // namespace

SoundCopy newestSoundCopy(const QString& dataDirectory)
{
    const QList<RegisterCopy> copies = RegisterCopies::describe(dataDirectory);
    for (int i = 0; i < copies.size(); ++i)
        if (copies[i].sound) // the full check, as it stands now
            return {copies[i].path, copies[i].taken, i + 1};
    return {};
}

QString describeRecord(const TableContent& table, qint64 rowid)
{
    const QVariantList row = table.rows.value(rowid);
    const int nome = table.column(QStringLiteral("Nome"));
    const int cpf = table.column(QStringLiteral("CPF"));
    const QString kind = table.name.compare(QStringLiteral("ZELTABOL"), Qt::CaseInsensitive) == 0 ? QStringLiteral("bolsista ")
                         : table.name.compare(QStringLiteral("ZELTAORI"), Qt::CaseInsensitive) == 0
                             ? QStringLiteral("orientador ")
                             : QString();
    if (row.isEmpty() || nome < 0 || cpf < 0)
        return QStringLiteral("tabela %1, registro %2").arg(table.name).arg(rowid);
    return QStringLiteral("%1%2, CPF %3 (registro %4)").arg(kind, row[nome].toString().trimmed(), row[cpf].toString()).arg(rowid);
}

RepairPlan::RepairPlan(const QList<TableContent>& before, const IndexComparison& comparison, CopyReader copy)
    : m_before(before), m_comparison(comparison), m_copy(std::move(copy))
{
    QMap<QPair<QString, qint64>, QList<IndexMismatch>> byRow;
    for (const IndexMismatch& m : comparison.mismatches)
        byRow[{m.table, m.rowid}] << m;
    for (auto it = byRow.cbegin(); it != byRow.cend(); ++it)
        if (const TableContent* t = beforeTable(it.key().first))
            settleRow(*t, it.key().second, it.value());
}

const TableContent* RepairPlan::beforeTable(const QString& name) const { return findTable(m_before, name); }

void RepairPlan::settleRow(const TableContent& table, qint64 rowid, const QList<IndexMismatch>& mismatches)
{
    const auto row = table.rows.constFind(rowid);
    QString record = describeRecord(table, rowid);
    if (row == table.rows.cend()) {
        // An index points to a row the table does not hold. Another index
        // without an entry for it confirms the table (the entry is a stray
        // one, as a broken index page may leave); otherwise nothing proves
        // either one.
        const bool stray = std::any_of(m_comparison.compared.cbegin(), m_comparison.compared.cend(), [&](const auto& index) {
            return index.table == table.name && std::none_of(mismatches.cbegin(), mismatches.cend(), [&](const IndexMismatch& m) {
                       return m.index == index.index;
                   });
        });
        if (stray)
            return;
        m_unsettled << QStringLiteral("%1 (o índice %2 tem um registro %3 que a tabela não tem)")
                           .arg(table.name, mismatches.first().index)
                           .arg(rowid);
        return;
    }
    // What the indexes say of each of the row's own columns, where it is not
    // what the row holds. A missing entry says nothing: the index lost it.
    QMap<int, QList<QVariant>> claims;
    for (const IndexMismatch& m : mismatches) {
        if (m.indexValues.isEmpty())
            continue;
        for (int i = 0; i < m.columns.size(); ++i) {
            const int c = table.column(m.columns[i]);
            if (c >= 0 && !table.generated[c] && !Database::sameValue(m.indexValues[i], (*row)[c]))
                claims[c] << m.indexValues[i];
        }
    }
    QList<CellChange> changes;
    QStringList details;
    bool settled = true;
    for (auto it = claims.cbegin(); it != claims.cend(); ++it) {
        const QString column = table.columns[it.key()];
        const QVariant here = (*row)[it.key()];
        const QVariant claim = it.value().first();
        details << QStringLiteral("%1 %2 na tabela, %3 no índice").arg(column, shown(here), shown(claim));
        if (confirmedByIndex(table.name, rowid, column, here))
            continue; // another index holds the row's value: the disagreeing index is wrong
        const bool oneClaim = std::all_of(it.value().cbegin(), it.value().cend(),
                                          [&](const QVariant& v) { return Database::sameValue(v, claim); });
        if (oneClaim && confirmedByCopy(table.name, rowid, column, here))
            continue; // the copy holds the row's value: the index is wrong
        if (oneClaim && confirmedByCopy(table.name, rowid, column, claim))
            changes.append({table.name, rowid, column, claim}); // the copy holds the index's value
        else
            settled = false;
    }
    if (!settled) {
        m_unsettled << record + QStringLiteral(": ") + details.join(QStringLiteral(", "));
        return;
    }
    if (!changes.isEmpty()) {
        m_changes << changes;
        m_restored << record + QStringLiteral(": ") + details.join(QStringLiteral(", "));
    }
}

bool RepairPlan::confirmedByIndex(const QString& table, qint64 rowid, const QString& column, const QVariant& value) const
{
    for (const IndexComparison::Compared& index : m_comparison.compared) {
        if (index.table != table)
            continue;
        qsizetype position = -1;
        for (qsizetype i = 0; i < index.columns.size() && position < 0; ++i)
            if (index.columns[i].compare(column, Qt::CaseInsensitive) == 0)
                position = i;
        if (position < 0)
            continue;
        bool agrees = true; // no mismatch for the row: the entry holds what the row holds
        for (const IndexMismatch& m : m_comparison.mismatches)
            if (m.index == index.index && m.rowid == rowid)
                agrees = !m.indexValues.isEmpty() && Database::sameValue(m.indexValues[position], value);
        if (agrees)
            return true;
    }
    return false;
}

bool RepairPlan::confirmedByCopy(const QString& table, qint64 rowid, const QString& column, const QVariant& value) const
{
    const QList<TableContent>* copy = m_copy ? m_copy() : nullptr;
    const TableContent* t = copy ? findTable(*copy, table) : nullptr;
    if (!t || t->column(column) < 0 || !t->rows.contains(rowid))
        return false;
    return Database::sameValue(t->rows[rowid][t->column(column)], value);
}

QStringList RepairPlan::unexplained(const QList<TableContent>& after) const
{
    QStringList out;
    for (const TableContent& was : m_before) {
        const TableContent* now = findTable(after, was.name);
        if (!now || now->columns != was.columns || now->rows.keys() != was.rows.keys()) {
            out << QStringLiteral("tabela %1").arg(was.name);
            continue;
        }
        for (auto it = was.rows.cbegin(); it != was.rows.cend(); ++it) {
            const QVariantList& next = now->rows[it.key()];
            bool same = true;
            for (int c = 0; c < was.columns.size() && same; ++c) {
                if (Database::sameValue(it.value()[c], next[c]))
                    continue;
                if (!was.generated[c]) {
                    same = std::any_of(m_changes.cbegin(), m_changes.cend(), [&](const CellChange& ch) {
                        return ch.table == was.name && ch.rowid == it.key() && ch.column == was.columns[c]
                               && Database::sameValue(ch.value, next[c]);
                    });
                    continue;
                }
                // A sort column computed anew: right when the name it comes
                // from is confirmed, restored, or held by the copy as well.
                const int s = sourceColumn(was, c);
                if (s < 0) {
                    same = false;
                    continue;
                }
                const QString source = was.columns[s];
                same = std::any_of(m_changes.cbegin(), m_changes.cend(),
                                   [&](const CellChange& ch) {
                                       return ch.table == was.name && ch.rowid == it.key() && ch.column == source;
                                   })
                       || confirmedByIndex(was.name, it.key(), source, it.value()[s])
                       || confirmedByCopy(was.name, it.key(), source, it.value()[s]);
            }
            if (!same)
                out << describeRecord(was, it.key());
        }
    }
    return out;
}

} // namespace zelta
