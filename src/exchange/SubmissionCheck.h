#pragma once

#include <QDate>
#include <QString>

namespace plat::db {
class Database;
}

namespace zelta {

// The silent check that runs before the submission file is written: true when
// no holder and no advisor fails it. It stores nothing and shows nothing; a
// failure sends the user to the completeness verification, which lists the
// faults.
//
// Holders whose situation is "Excluído" are not examined. Any other holder
// fails on a CPF that is not 14 characters long or is one of the ten
// repeated-digit numbers (check digits are not computed here), an empty sex, a
// birth date whose dd/mm/yyyy text has neither 8 nor 10 characters, an
// advisor CPF that is not 14 characters long, a bank branch code that is empty
// or has a blank at character 1, 2, 3, 4 or 6, or no advisor number.
//
// Advisors whose holders are all excluded are not examined. Any other advisor
// fails on a CPF as above, an empty degree, three empty key words, an area
// code that is not 8 characters long, or having no holder at all.
bool Verificar_Erro(plat::db::Database& db);

// The rules above, one record at a time.
bool isRepeatedDigitCpf(const QString& cpf);
bool holderCpfAccepted(const QString& cpf);
bool birthDateAccepted(const QDate& date);
bool branchCodeAccepted(const QString& codigoAgencia);

} // namespace zelta
