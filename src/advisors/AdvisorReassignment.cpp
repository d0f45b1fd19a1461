#include "advisors/AdvisorReassignment.h"

#include "platform/db/Database.h"
#include "platform/system/Error.h"

#include <QList>
#include <QPair>

namespace zelta {

using plat::Error;
using plat::db::Database;
using plat::db::Statement;

namespace {

// The advisor record a holder goes to: the one picked when it still has the
// CPF, otherwise the first record of the CPF in record-number order.
qint64 targetRecord(const Database& db, const QString& target, const QString& holderCpf, const AdvisorPicks& picks)
{
    const auto pick = picks.constFind(holderCpf);
    if (pick != picks.constEnd()
        && db.scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI WHERE CPF = ? AND Codigo = ?"), {target, *pick}).toInt() > 0)
        return *pick;
    const QVariant first = db.scalar(QStringLiteral("SELECT Codigo FROM ZELTAORI WHERE CPF = ? ORDER BY Codigo LIMIT 1"),
                                     {target});
    if (!first.isValid() || first.isNull())
        throw Error::database(QStringLiteral("O orientador de CPF %1 não foi encontrado").arg(target));
    return first.toLongLong();
}

} // namespace

void reassignHoldersAndDeleteAdvisor(Database& db, const QString& cpf, qint64 codigo, const AdvisorPicks& picks)
{
    Database::Transaction tx(db);
    // The marked holders, by their CPF and their new advisor's CPF, read
    // whole before the first of them is written.
    QList<QPair<QString, QString>> groups;
    {
        Statement rows = db.prepare(
            QStringLiteral("SELECT DISTINCT B.CPF, B.CPF_EXORIENTADOR FROM ZELTABOL B WHERE B.ALTERA = 'S' "
                           "AND EXISTS (SELECT 1 FROM ZELTAORI O WHERE O.CPF = B.CPF_EXORIENTADOR AND O.ALTERA = 'S')"));
        while (rows.step())
            groups.append({rows.text(0), rows.text(1)});
    }
    Statement move = db.prepare(QStringLiteral("UPDATE ZELTABOL SET CPF_ORIENTADOR = ?, NUMERO_ORIENTADOR = ? "
                                               "WHERE CPF = ? AND ALTERA = 'S' AND CPF_EXORIENTADOR = ?"));
    for (const auto& [holder, target] : std::as_const(groups)) {
        move.reset();
        move.bindAll({target, targetRecord(db, target, holder, picks), holder, target});
        move.exec();
    }
    // Exactly the record "Excluir" was pressed on.
    const int deleted = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI WHERE CPF = ? AND Codigo = ? AND ALTERA = 'S'"),
                                  {cpf, codigo})
                            .toInt();
    if (deleted == 0)
        throw Error::database(QStringLiteral("O orientador a excluir (CPF %1) não foi encontrado").arg(cpf));
    db.exec(QStringLiteral("DELETE FROM ZELTAORI WHERE CPF = ? AND Codigo = ?"), {cpf, codigo});
    tx.commit();
}

void clearReassignmentMarks(Database& db)
{
    Database::Transaction tx(db);
    db.exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA =' '"));
    db.exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA =' ',CPF_EXORIENTADOR =' '"));
    tx.commit();
}

} // namespace zelta
