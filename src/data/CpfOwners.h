#pragma once

#include "platform/db/Sqlite.h"

#include <QString>

namespace plat::db {
class Database;
}

namespace zelta {

// A register record that holds a CPF.
struct CpfOwner {
    enum class Kind { None, Advisor, Holder };
    Kind kind = Kind::None;
    qint64 record = 0; // the advisor's Codigo, the holder's record number
    QString nome;

    bool found() const { return kind != Kind::None; }
    bool advisor() const { return kind == Kind::Advisor; }
};

// Whose CPF is this: the one owner of the rule that a CPF belongs to one
// person. One person may lead several projects (several advisor records), but
// a holder's CPF is no advisor's and no other holder's.
//
// Each look-up is a prepared statement kept for the object's lifetime, so a
// batch (every row of an import) asks it row after row at the cost of one
// index search. The object must not outlive the connection it was made on:
// windows make one per question.
class CpfOwners {
public:
    explicit CpfOwners(const plat::db::Database& db) : m_db(db) {}

    // The first advisor record with the CPF, in number order, other than the
    // record numbered except (0: none left out).
    CpfOwner advisor(const QString& cpf, qint64 except = 0);
    // The first holder with the CPF, in record-number order, other than the
    // record except (0: none left out).
    CpfOwner holder(const QString& cpf, qint64 except = 0);
    // Whom a CPF that the holder at holderRecord is to take belongs to: an
    // advisor first, otherwise another holder (0: a holder not yet stored).
    CpfOwner forHolder(const QString& cpf, qint64 holderRecord);

private:
    CpfOwner ask(plat::db::Statement& st, const char* sql, CpfOwner::Kind kind, const QString& cpf, qint64 except);

    const plat::db::Database& m_db;
    plat::db::Statement m_advisor;
    plat::db::Statement m_holder;
};

} // namespace zelta
