#pragma once

#include "platform/db/Table.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

namespace plat::db {

// Places the records of a table cursor's ordering by position without
// counting from the first record each time. One scan of the ordering's index
// keeps the key of every kStep-th record; a record's position is then that of
// the nearest kept key before it plus the records in between, a count over at
// most kStep index entries. The sample is taken again after any write to the
// database. Small tables and cursors with a key range use the cursor's own
// count. A record near the start is counted directly, so that showing a
// large table from its first record does not wait for the sample.
class CursorPositions {
public:
    static constexpr int kStep = 512;
    static constexpr int kMinRows = 8 * kStep;

    void clear();
    int positionOf(const Table& table, const Bookmark& mark, int rowCount);
    // Takes the sample now, when it will be needed and is not current; for
    // idle time after a large table is shown.
    void prepare(const Table& table, int rowCount);
    bool isSampled() const { return !m_keys.isEmpty(); }

private:
    bool usable(const Table& table, int rowCount) const;
    bool sample(const Table& table);
    int countBetween(const Table& table, const QVariantList* from, const QVariantList& to, int limit);

    QStringList m_columns;
    QString m_table;
    QVector<QVariantList> m_keys; // key of the record at position i * kStep
    qint64 m_stamp = -1;
};

} // namespace plat::db
