#pragma once

#include "platform/db/Sqlite.h"

#include <QHash>
#include <QString>

#include <memory>

namespace plat::db {

class Database;

// A cursor's prepared statements, kept by their text so that each shape of
// statement is prepared once: the engine then only binds and steps.
class StatementCache {
public:
    explicit StatementCache(const Database& db) : m_db(db) {}

    // The statement for sql, prepared on first use, reset and without bindings.
    Statement& get(const QString& sql);
    void clear() { m_statements.clear(); }

private:
    const Database& m_db;
    QHash<QString, std::shared_ptr<Statement>> m_statements;
};

} // namespace plat::db
