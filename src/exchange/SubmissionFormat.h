#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>

namespace zelta {

// The submission file sent to the agency: a header line with the institution's
// number, then one fixed-width record of 518 bytes per holder (the holder's data
// followed by the advisor's), Windows-1252, every line ended by LF alone.

// Sizes of the file's parts, in bytes.
inline constexpr int kHeaderSize = 12;
inline constexpr int kRecordSize = 518;

// The holder's fields that the record carries, as the table stores them.
struct SubmissionHolder {
    QString cpf;
    QString nome;
    QString sexo;
    QDate nascimento; // invalid when empty
    QString processo;
    QString demanda;
    QString situacao;
    QString seguroSaude;
    QString codigoAgencia;
    QString cpfOrientador;
};

// The advisor's fields that the record carries.
struct SubmissionAdvisor {
    QString nome;
    QString titulacao;
    QString titulo;
    QString chave1;
    QString chave2;
    QString chave3;
    QString codArea;
    QString pesquisador;
    QString categoria;
};

// The birth date as dd/mm/yy; an empty date, and any date written 30/12/99,
// as 8 blanks.
QString birthDateSlot(const QDate& date);

// "EXEX", "NVNV", "RNRN" for "Excluído", "Novo", "Renovado" (exactly, case
// included); 4 blanks for anything else.
QString situationCode(const QString& situacao);

// "3" for "M", "4" for "D" (exactly); a blank for anything else.
QString degreeCode(const QString& titulacao);

// The header line: characters 1-6 of the institution's number, "/", 7-8,
// "-", 9 and LF, written as is. Characters missing from a short number are
// blanks, so the header keeps its 12 bytes and every record its offset.
QByteArray headerLine(const QString& numeroInstituicao);

// One holder record: exactly 518 bytes ending with a space and LF. A holder
// whose advisor was not found (no advisor given) gets blanks in every advisor
// field. Each value is cut to its slot, and each character that Windows-1252
// cannot carry becomes one "?", so no value can move a later position.
QByteArray holderRecord(const SubmissionHolder& holder, const SubmissionAdvisor* advisor);

// The file's name for an institution number: its first 8 characters and
// ".htm". Refused (plat::Error of kind Output) when the number is
// empty, or when the name would hold a path separator, a character that a
// file name cannot carry, a control character, or nothing but dots and blanks,
// so that no number can steer the file out of the chosen folder. Control
// characters are refused in the whole number, since it also goes into the
// header line.
QString submissionFileName(const QString& numeroInstituicao);

} // namespace zelta
