#pragma once

#include "exchange/sheets/Sheet.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

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
    Processo,
    Demanda,
    Conta,
    Codigo, // an advisor's record number, kept when it is free
};

struct ImportField {
    FieldId id;
    QString label;        // the name problems give the field
    QStringList headings; // headings that name it, compared by headingKey()
    QString column;       // the table's column it fills
};
const QList<ImportField>& importFields(ImportKind kind);
QString fieldLabel(ImportKind kind, FieldId id);

// A text without accents, case, spaces and punctuation ("Dt. Nasc." gives
// "dtnasc"): how coded values and project titles are compared.
QString foldHeading(const QString& heading);
// A heading as headings are compared: folded, without the text in
// parentheses, the particles ("do", "da", "de"...) and with the usual
// abbreviations written out: "Sexo (F/M)" gives "sexo", "CPF do(a)
// orientador(a)" "cpforientador", "Dt. Nasc." "datanascimento".
QString headingKey(const QString& heading);

// A column named by hand: the field and the heading of its column.
struct HandMatch {
    FieldId field;
    QString heading;
};
// Reads "CAMPO=TÍTULO": the field by its name or one of its headings, the
// column by its heading. Throws plat::Error (Usage) naming the fields when
// CAMPO names none.
HandMatch handMatch(ImportKind kind, const QString& option);

// The column (from 0) of each field; a field without a column is absent.
using Mapping = QHash<FieldId, int>;
// The columns named by hand first (by their heading as written, then by
// its key); then each other field takes the first column whose heading names
// it. A heading named by hand that the row lacks is left out.
Mapping matchHeadings(ImportKind kind, const SheetRow& heading, const QList<HandMatch>& hand = {});

// The sheet an import reads: the one named, or else the first visible sheet
// whose heading row (its first row) names a CPF column. Throws plat::Error
// (Input) when it is empty, names no CPF column or lacks a heading named by
// hand: the message names the sheet read and the others, and how to choose
// (--planilha, --coluna).
const Sheet& importSheet(const Workbook& book, ImportKind kind, const QString& name, const QList<HandMatch>& hand = {});
// The index of the sheet importSheet() takes by itself, for either kind when
// kind is empty; -1 when none names a CPF column.
int sheetWithCpf(const Workbook& book, std::optional<ImportKind> kind);
// Why a sheet cannot be read, naming it and the workbook's other sheets
// ("oculta", "vazia"): "A planilha "X" não traz ...; outras planilhas: ...".
// Empty when its heading row names a CPF column.
QString headingProblem(const Workbook& book, const Sheet& sheet, const Mapping& mapping);

struct RowProblem {
    int row = 0; // as the spreadsheet program numbers it, the heading being row 1
    QString field;
    QString message;
};

// One field that an update changes, as it is shown.
struct FieldChange {
    QString field; // the field's label
    QString before;
    QString after;
};

// A registered record that a row changes: the columns written and their
// values, and the changes as they are shown.
struct RecordUpdate {
    int row = 0;
    qint64 record = 0; // the holder's record number, the advisor's Codigo
    QStringList columns;
    QVariantList values;
    QList<FieldChange> changes;
};

struct ImportOptions {
    // Rows of registered records (a holder's CPF; an advisor's CPF and
    // project title) update them; otherwise they are problems.
    bool update = false;
    // Replaces the mapping the headings give.
    const Mapping* mapping = nullptr;
    QList<HandMatch> hand;
};

// A sheet checked against the register: the rows ready to be added, in the
// order of the table's fields, the registered records they change, and
// every problem found. Only a check without problems may be written.
struct ImportCheck {
    ImportKind kind = ImportKind::Holders;
    Mapping mapping;
    bool update = false;
    QList<QVariantList> records;
    QList<int> recordRows; // the sheet's row of each record
    QList<qint64> numbers; // advisors: the record number each asks for (0: the next)
    QList<RecordUpdate> updates;
    QList<int> unchangedRows; // registered records the rows leave as they are
    QList<RowProblem> problems;
};

// Checks every row below the heading row (the sheet's first row) with the
// rules of the entry forms. A mapping given replaces the one the headings
// give. Throws plat::Error (Input) when the sheet has no heading row or no
// CPF column.
ImportCheck checkImport(const plat::db::Database& db, ImportKind kind, const Sheet& sheet, const Mapping* mapping = nullptr);
ImportCheck checkImport(const plat::db::Database& db, ImportKind kind, const Sheet& sheet, const ImportOptions& options);

struct ImportResult {
    int added = 0;
    int updated = 0;
    QString backupFile; // the copy taken before the rows were written
};

// Writes the checked rows in one transaction, after taking a copy of the
// register: all of them or, on any failure, none. Refuses a check with
// problems. progress, when given, hears (0, total) once the copy is taken,
// then (n, total) after each record added or updated; the rows become the
// register's only when the last has been written and the transaction
// commits.
ImportResult writeImport(TDm_Dados& dm, const ImportCheck& check, const std::function<void(int done, int total)>& progress = {});

// "linha N: CAMPO: mensagem", on one line.
QString problemLine(const RowProblem& problem);
// "CAMPO: antes → depois", an empty value shown as "(vazio)".
QString changeText(const FieldChange& change);

} // namespace zelta::sheets
