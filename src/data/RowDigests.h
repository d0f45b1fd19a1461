#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace plat::db {
class Database;
}

namespace zelta {

// Row digests: a 64-bit hash of the stored fields of every row of ZELTAINT,
// ZELTAORI and ZELTABOL, kept in a table of their own (TABELA, REGISTRO,
// RESUMO) beside them. The program's connections keep them current through
// temporary triggers, so every write the program makes changes the digest in
// the same transaction, while the file needs nothing of the program: the
// sqlite3 shell still reads and writes it, and what it changes shows up as a
// row whose digest differs. The area table is compared with the shipped area
// list instead.
constexpr const char* kDigestTable = "ZELTADIG";

// The tables whose rows carry digests.
QStringList digestedTables();

bool hasDigestTable(const plat::db::Database& db);
void createDigestTable(plat::db::Database& db);
// Every digest computed anew from the rows as they are.
void computeAllDigests(plat::db::Database& db);
// The temporary triggers of one connection; the digest table must exist.
void installDigestTriggers(plat::db::Database& db);
// The triggers of one connection removed, for a write that replaces whole
// tables and then computes every digest at once (computeAllDigests) in the
// same transaction; a rollback brings the triggers back with the rows.
void removeDigestTriggers(plat::db::Database& db);

// A row that does not agree with its digest, or with the shipped area list.
struct OutsideChange {
    enum class Kind {
        Changed,  // the row's fields differ from what its digest says
        Inserted, // a row without a digest
        Deleted,  // a digest without a row
    };
    QString table;
    qint64 rowid = 0;
    Kind kind = Kind::Changed;
};

// Every row of the digested tables compared with its digest, and the area
// table with the area list. A file of an older schema, without digests,
// gives none.
QList<OutsideChange> findOutsideChanges(const plat::db::Database& db);

// One number for the stored fields of every row of the digested tables, their
// record numbers included: two files with the same rows give the same number.
quint64 contentFingerprint(const plat::db::Database& db);

// Whether the rows of a file that is not open agree with their digests (the
// file's own bytes, read as Database::openFileAlone reads them).
bool fileDigestsAgree(const QString& filePath);

// One line per record: its table, name and CPF, what happened to it, and,
// when copy (the newest sound copy, may be null) holds the row, the fields
// that differ from it.
QStringList describeOutsideChanges(const plat::db::Database& db, const QList<OutsideChange>& changes,
                                   const plat::db::Database* copy);

} // namespace zelta
