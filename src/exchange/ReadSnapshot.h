#pragma once

#include "platform/db/Database.h"

namespace zelta {

// Reads that must see one state of the database (a count and the rows it
// counts, two passes over related tables) run inside a read transaction. Unlike
// Database::Transaction it takes no write lock, so another program writing at
// the same time is neither blocked nor blocking. Inside a transaction already
// open, that transaction is the snapshot.
class ReadSnapshot {
public:
    explicit ReadSnapshot(plat::db::Database& db) : m_db(db)
    {
        if (db.transactionDepth() == 0) {
            db.exec(QStringLiteral("BEGIN DEFERRED"));
            m_open = true;
        }
    }
    ~ReadSnapshot()
    {
        if (!m_open)
            return;
        try {
            m_db.exec(QStringLiteral("COMMIT"));
        } catch (...) {
            // Nothing was written, so ending the read another way loses nothing.
            try {
                m_db.exec(QStringLiteral("ROLLBACK"));
            } catch (...) {
            }
        }
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    plat::db::Database& m_db;
    bool m_open = false;
};

} // namespace zelta
