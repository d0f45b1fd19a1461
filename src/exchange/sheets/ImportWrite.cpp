#include "exchange/sheets/SheetImport.h"

#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "platform/db/Database.h"
#include "platform/system/Error.h"

#include <QScopeGuard>

namespace zelta::sheets {

ImportResult writeImport(TDm_Dados& dm, const ImportCheck& check, const std::function<void(int, int)>& progress)
{
    if (!check.problems.isEmpty())
        throw plat::Error::input(QStringLiteral("A planilha tem %1 problema(s); nada foi importado").arg(check.problems.size()));
    plat::db::Database& db = dm.database();
    ImportResult result;
    if (check.records.isEmpty() && check.updates.isEmpty())
        return result;
    TDm_Dados::CursorPause pause(dm);
    // The copy comes before the write transaction (SQLite copies no database
    // its own connection is writing); a run that then fails changed nothing
    // and its copy goes, so failed runs cannot push good copies out.
    const RegisterCopies::Taken copy = RegisterCopies::take(db, dm.dataDirectory(), QDateTime::currentDateTime(), false,
                                                            CopyReason::BeforeImport);
    result.backupFile = copy.path;
    auto discardCopy = qScopeGuard([&] { RegisterCopies::discard(copy); });
    const int total = int(check.records.size() + check.updates.size());
    if (progress)
        progress(0, total);
    int done = 0;
    const auto step = [&] {
        if (progress)
            progress(++done, total);
    };
    plat::db::Database::Transaction tx(db);
    const bool holders = check.kind == ImportKind::Holders;
    plat::db::Statement insert = db.prepare(
        holders ? QStringLiteral("INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, SITUACAO, CODIGO_AGENCIA, "
                                 "CPF_ORIENTADOR, NUMERO_ORIENTADOR, PROCESSO, DEMANDA, CONTA_BANCO, SEGURO_SAUDE) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '')")
                : QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, "
                                 "PESQUISADOR, CATEGORIA, Codigo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    // Advisors that keep their number go first, so that no number the table
    // gives the others is one a later row asks for.
    QList<qsizetype> order;
    for (const bool asked : {true, false})
        for (qsizetype i = 0; i < check.records.size(); ++i)
            if ((check.numbers.value(i) > 0) == asked)
                order.append(i);
    for (const qsizetype i : std::as_const(order)) {
        QVariantList values = check.records[i];
        if (!holders)
            values.append(check.numbers.value(i) > 0 ? QVariant(check.numbers.value(i)) : QVariant());
        insert.reset();
        insert.bindAll(values);
        insert.exec();
        ++result.added;
        step();
    }
    // Only the fields a row changes are written, through this connection, so
    // that the row digests follow.
    for (const RecordUpdate& u : check.updates) {
        QStringList sets;
        for (const QString& column : u.columns)
            sets << column + QStringLiteral(" = ?");
        plat::db::Statement update = db.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                                    .arg(holders ? QStringLiteral("ZELTABOL") : QStringLiteral("ZELTAORI"),
                                                         sets.join(QStringLiteral(", ")),
                                                         holders ? QStringLiteral("rowid") : QStringLiteral("Codigo")));
        update.bindAll(QVariantList(u.values) << u.record);
        update.exec();
        ++result.updated;
        step();
    }
    tx.commit();
    discardCopy.dismiss();
    if (copy.created)
        RegisterCopies::keepNewest(dm.dataDirectory(), copy);
    return result;
}

} // namespace zelta::sheets
