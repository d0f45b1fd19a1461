#pragma once

#include "platform/db/Ordering.h"
#include "platform/db/Sqlite.h"

#include <QString>
#include <QStringList>

namespace plat::db {

class Database;

// Reads chosen columns of every row of a table in one of its orderings, in one
// statement and without a cursor: the long walks over a whole table (the
// verification, the submission file, the sampling of a grid's positions). No
// key range applies; the columns are read from row() after each next().
class Scan {
public:
    Scan(const Database& db, const QString& table, const Ordering& ordering, const QStringList& columns);
    // A table joined to others: `from` is the FROM clause, which names the
    // ordered table by `alias`; the ordering's columns are qualified by it.
    Scan(const Database& db, const QString& from, const QString& alias, const Ordering& ordering, const QStringList& columns);

    bool next() { return m_st.step(); }
    const Statement& row() const { return m_st; }

private:
    Statement m_st;
};

} // namespace plat::db
