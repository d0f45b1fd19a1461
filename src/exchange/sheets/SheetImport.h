#pragma once

#include "exchange/sheets/Sheet.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>

#include <functional>

namespace plat::db {
class Database;
}

namespace zelta {
class TDm_Dados;
}

namespace zelta::sheets {

// What a sheet holds: advisors or holders.
enum class ImportKind { Holders, Advisors };

// The fields a column can fill.
enum class FieldId {
    Cpf,
    Nome,
    Sexo,
    Nascimento,
    Agencia,
    CpfOrientador,
    Projeto,
    Situacao,
    Titulacao,
    Titulo,
    Palavra1,
    Palavra2,
    Palavra3,
    Area,
    Pesquisador,
    Categoria,
};

struct ImportField {
    FieldId id;
    QString label;        // the name problems give the field
    QStringList headings; // headings that name it, compared folded
};
const QList<ImportField>& importFields(ImportKind kind);
QString fieldLabel(ImportKind kind, FieldId id);

// A heading as it is compared: without accents, case, spaces and punctuation
// ("Dt. Nasc." gives "dtnasc").
QString foldHeading(const QString& heading);

// The column (from 0) of each field; a field without a column is absent.
using Mapping = QHash<FieldId, int>;
// Each field takes the first column whose heading names it.
Mapping matchHeadings(ImportKind kind, const SheetRow& heading);

struct RowProblem {
    int row = 0; // as the spreadsheet program numbers it, the heading being row 1
    QString field;
    QString message;
};

// A sheet checked against the register: the rows ready to be written, in the
// order of the table's fields, and every problem found. Only a check without
// problems may be written.
struct ImportCheck {
    ImportKind kind = ImportKind::Holders;
    Mapping mapping;
    QList<QVariantList> records;
    QList<RowProblem> problems;
};

// Checks every row below the heading row (the sheet's first row) with the
// rules of the entry forms. A mapping given replaces the one the headings
// give. Throws plat::Error (Input) when the sheet has no heading row or no
// CPF column.
ImportCheck checkImport(const plat::db::Database& db, ImportKind kind, const Sheet& sheet, const Mapping* mapping = nullptr);

struct ImportResult {
    int added = 0;
    QString backupFile; // the copy taken before the rows were written
};

// Writes the checked rows in one transaction, after taking a copy of the
// register: all of them or, on any failure, none. Refuses a check with
// problems. progress, when given, hears (0, total) once the copy is taken,
// then (n, total) after each row written; the rows become the register's
// only when the last has been written and the transaction commits.
ImportResult writeImport(TDm_Dados& dm, const ImportCheck& check, const std::function<void(int done, int total)>& progress = {});

// "linha N: CAMPO: mensagem", on one line.
QString problemLine(const RowProblem& problem);

} // namespace zelta::sheets
