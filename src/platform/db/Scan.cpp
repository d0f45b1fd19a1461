#include "platform/db/Scan.h"

#include "platform/db/Database.h"

namespace plat::db {

Scan::Scan(const Database& db, const QString& table, const Ordering& ordering, const QStringList& columns)
    : m_st(db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns.join(u','), quoted(table), ordering.orderBy())))
{}

Scan::Scan(const Database& db, const QString& from, const QString& alias, const Ordering& ordering, const QStringList& columns)
    : m_st(db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns.join(u','), from, ordering.orderBy(alias))))
{}

} // namespace plat::db
