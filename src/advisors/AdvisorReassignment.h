#pragma once

#include <QHash>
#include <QString>

namespace plat::db {
class Database;
}

namespace zelta {

// The deletion of an advisor record that still has holders. The holders to
// move carry the working marks: ALTERA 'S' and, in CPF_EXORIENTADOR, the CPF
// of the advisor they go to (itself marked ALTERA 'S'); the advisor record to
// delete is marked too.

// The advisor record picked for each holder, by the holder's CPF: the holder
// goes to that record, not to another record of the same person.
using AdvisorPicks = QHash<QString, qint64>;

// Moves every marked holder to its new advisor (CPF_ORIENTADOR and
// NUMERO_ORIENTADOR): the record picked for it when that record still has the
// CPF, otherwise the first record of that CPF. Then deletes the advisor record
// (cpf, codigo). One transaction: every holder moves and the advisor goes, or
// nothing changes. Throws plat::Error when the record to delete is gone or no
// longer marked, or a new advisor has no record.
void reassignHoldersAndDeleteAdvisor(plat::db::Database& db, const QString& cpf, qint64 codigo, const AdvisorPicks& picks);

// Clears the working marks: ALTERA of every advisor and holder, and every
// holder's CPF_EXORIENTADOR, become a blank. One transaction.
void clearReassignmentMarks(plat::db::Database& db);

} // namespace zelta
