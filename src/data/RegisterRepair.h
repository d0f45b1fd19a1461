#pragma once

#include "platform/db/Database.h"

#include <QDateTime>
#include <QStringList>

#include <functional>

namespace zelta {

// The newest copy of the register that passes SQLite's full check, with its
// place among RegisterCopies::describe() (1 = newest). Empty path: none.
struct SoundCopy {
    QString path;
    QDateTime taken;
    int position = 0;
};
SoundCopy newestSoundCopy(const QString& dataDirectory);

// What a repair of the register may write, decided before anything is
// written. Where a table row and an entry of its index disagree, the row's
// value stands when another index holds it too; otherwise the newest sound
// copy decides: the copy holding the table's value proves the index wrong,
// the copy holding the index's value proves the table's cell damaged (the
// copy's value is written back). Anything else is left unsettled, and the
// register must not be repaired.
class RepairPlan {
public:
    // copy: the content of the newest sound copy, read on first need; nullptr
    // when there is none.
    using CopyReader = std::function<const QList<plat::db::TableContent>*()>;

    RepairPlan(const QList<plat::db::TableContent>& before, const plat::db::IndexComparison& comparison, CopyReader copy);

    QList<plat::db::CellChange> changes() const { return m_changes; }
    QStringList restored() const { return m_restored; }   // the records whose cells the copy gave back
    QStringList unsettled() const { return m_unsettled; } // the records neither indexes nor copy settle

    // The repaired content compared with the content before, every column of
    // every row of every table by record number: the records that changed
    // beyond the cells restored, or whose sort columns changed while the name
    // they come from was not confirmed (by an index or the copy). Empty: none.
    QStringList unexplained(const QList<plat::db::TableContent>& after) const;

private:
    void settleRow(const plat::db::TableContent& table, qint64 rowid, const QList<plat::db::IndexMismatch>& mismatches);
    bool confirmedByIndex(const QString& table, qint64 rowid, const QString& column, const QVariant& value) const;
    bool confirmedByCopy(const QString& table, qint64 rowid, const QString& column, const QVariant& value) const;
    const plat::db::TableContent* beforeTable(const QString& name) const;

    QList<plat::db::TableContent> m_before;
    plat::db::IndexComparison m_comparison;
    CopyReader m_copy;
    QList<plat::db::CellChange> m_changes;
    QStringList m_restored;
    QStringList m_unsettled;
};

// A record as the user knows it: a holder or an advisor by name and CPF,
// anything else by table and record number.
QString describeRecord(const plat::db::TableContent& table, qint64 rowid);

} // namespace zelta
