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
    if (check.records.isEmpty())
        return result;
    TDm_Dados::CursorPause pause(dm);
    // The copy comes before the write transaction (SQLite copies no database
    // its own connection is writing); a run that then fails changed nothing
    // and its copy goes, so failed runs cannot push good copies out.
    const RegisterCopies::Taken copy = RegisterCopies::take(db, dm.dataDirectory(), QDateTime::currentDateTime(), false,
                                                            CopyReason::BeforeImport);
    result.backupFile = copy.path;
    auto discardCopy = qScopeGuard([&] { RegisterCopies::discard(copy); });
    const int total = int(check.records.size());
    if (progress)
        progress(0, total);
    plat::db::Database::Transaction tx(db);
    plat::db::Statement insert = db.prepare(
        check.kind == ImportKind::Holders
            ? QStringLiteral("INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, SITUACAO, CODIGO_AGENCIA, "
                             "CPF_ORIENTADOR, NUMERO_ORIENTADOR, SEGURO_SAUDE) VALUES (?, ?, ?, ?, ?, ?, ?, ?, '')")
            : QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, "
                             "PESQUISADOR, CATEGORIA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariantList& record : check.records) {
        insert.reset();
        insert.bindAll(record);
        insert.exec();
        ++result.added;
        if (progress)
            progress(result.added, total);
    }
    tx.commit();
    discardCopy.dismiss();
    if (copy.created)
        RegisterCopies::keepNewest(dm.dataDirectory(), copy);
    return result;
}

} // namespace zelta::sheets
