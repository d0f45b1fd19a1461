#pragma once

#include "exchange/sheets/SheetImport.h"
#include "platform/db/Sqlite.h"

#include <QHash>
#include <QSet>

namespace zelta::sheets {

// The text outside parentheses: "Doutor(a)" gives "Doutor".
QString withoutParentheses(const QString& text);

// A record's fields as the import holds them: texts as the table stores
// them, the birth date as a QDate, a holder's advisor record (Projeto) as
// its number.
using FieldValues = QHash<FieldId, QVariant>;

struct AdvisorRecord {
    qint64 codigo = 0;
    QString cpf;
    QString titulo;
};

// What the checks of an import need to know of the register, read once, and
// the stored records that rows update, read as they are asked for.
class ImportRegister {
public:
    ImportRegister(const plat::db::Database& db, ImportKind kind);

    // A holder by record number, an advisor by Codigo.
    FieldValues holder(qint64 record);
    FieldValues advisor(qint64 codigo);
    // A value as a change shows it: dates day first, codes as their words,
    // a holder's advisor record as its project title.
    QString shown(FieldId id, const QVariant& value) const;
    // The update that turns before into after: the fields in which they
    // differ, in the order of the kind's fields. Texts that differ only in
    // blanks at their ends are the same.
    RecordUpdate update(ImportKind kind, const FieldValues& before, const FieldValues& after) const;

    QHash<QString, QList<AdvisorRecord>> advisorsByCpf;
    QHash<qint64, AdvisorRecord> advisorByCodigo;
    QHash<QString, QString> areaNameByCode; // "9.99.99.99-9"
    QHash<QString, QString> areaCodeByName;
    int novoRenovado = 0;
    double cotas = 0;
    qint64 lastCodigo = 0; // the highest advisor number the register ever gave

private:
    const plat::db::Database& m_db;
    plat::db::Statement m_holder;
    plat::db::Statement m_advisor;
};

} // namespace zelta::sheets
