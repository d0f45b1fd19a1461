#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace plat::db {
class Database;
}

namespace zelta {

// Copies of the database taken before the recovery replaces the registers, in
// the folder backups/ of the data directory, named after the moment they were
// taken (zelta99-AAAAMMDD-HHMMSS.db) so that the user can pick one by date.
// Only the most recent copies are kept.
class RecoveryBackup {
public:
    static constexpr int kKept = 5;

    static QString folder(const QString& dataDirectory);

    // Writes a consistent copy of the whole database and removes the oldest
    // copies beyond kKept. Returns the new copy's path. Throws DbError when the
    // copy cannot be written (then nothing should be replaced).
    static QString take(const plat::db::Database& db, const QString& dataDirectory,
                        const QDateTime& now = QDateTime::currentDateTime());

    // The copies in the folder, oldest first.
    static QStringList list(const QString& dataDirectory);
};

} // namespace zelta
