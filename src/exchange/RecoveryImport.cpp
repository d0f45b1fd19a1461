#include "exchange/RecoveryImport.h"

#include "data/RegisterCopies.h"
#include "data/RowDigests.h"
#include "data/TDm_Dados.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/system/Error.h"
#include "validation/Completude.h"

#include <QDir>
#include <QHash>
#include <QList>
#include <QPair>
#include <QScopeGuard>
#include <QTemporaryDir>

using plat::db::Database;
using plat::db::Statement;

namespace zelta {

namespace {

// True when the registers hold nothing a user entered or loaded: a database as
// the first start leaves it. Such a database needs no copy.
bool registersEmpty(const Database& db)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL")).toInt() == 0
           && db.scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI")).toInt() == 0
           && db.scalar(QStringLiteral("SELECT count(*) FROM ZELTAINT WHERE Numero_Instituicao<>'' OR Sigla<>'' OR "
                                       "Nome<>'' OR ifnull(Cotas,0)<>0"))
                      .toInt()
                  == 0;
}

void report(const RecoveryOptions& options, int step)
{
    if (options.progress)
        options.progress(step);
}

// A register refused as damaged is not written into: it is kept among the
// copies, the file is imported into a new register beside it, and that one
// then takes the place of the damaged one as a whole.
RecoveryResult recoverIntoNewRegister(TDm_Dados& dm, const RecoveryFile& file, const RecoveryOptions& options)
{
    const QString kept = dm.keepDamagedRegister(options.now.isValid() ? options.now : QDateTime::currentDateTime());
    QTemporaryDir scratch(RegisterCopies::scratchTemplate(dm.dataDirectory(), QStringLiteral("recuperacao")));
    if (!scratch.isValid())
        throw plat::Error::output(QStringLiteral("Não foi possível criar uma pasta de trabalho em %1")
                                      .arg(QDir::toNativeSeparators(dm.dataDirectory())));
    RecoveryResult result;
    {
        TDm_Dados fresh(scratch.path());
        RecoveryOptions freshOptions = options;
        freshOptions.backup = false;
        result = recuperarDados(fresh, file, freshOptions);
    }
    dm.replaceRegister(QDir(scratch.path()).filePath(QString::fromLatin1(TDm_Dados::kFileName)));
    result.backupFile = kept;
    result.replacedDamaged = true;
    return result;
}

// The file's holders, each with the advisor record of its pair of CPF and
// project title, into emptied tables; counted into result.
void storeRecords(Database& db, const RecoveryFile& file, const QDate& today, const RecoveryOptions& options,
                  RecoveryResult& result)
{
    Statement addHolder = db.prepare(
        QStringLiteral("INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, "
                       "CODIGO_AGENCIA, CONTA_BANCO, CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '', ?, '')"));
    Statement addAdvisor = db.prepare(
        QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, "
                       "PESQUISADOR, CATEGORIA, ALTERA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, '', '', '')"));

    // One advisor per distinct pair of CPF and project title. The table was
    // emptied above, so the advisors stored by this import are all there is to
    // match against, and the map finds the same advisor a walk from the
    // table's first row would.
    QHash<QPair<QString, QString>, qint64> advisors;
    advisors.reserve(file.recordCount() / 2 + 1);
    const QString demanda = RecoveryFile::demanda();
    const QString situacao = RecoveryFile::situacao();

    for (int i = 0; i < file.recordCount(); ++i) {
        if (i == 0)
            report(options, 65);
        const RecoveryRecord r = file.record(i, today);
        if (!r.keepsHolder()) {
            // The agency deleted this holder; its advisor part is not taken
            // either, since an advisor without holders would stop the
            // generation of the new file.
            ++result.droppedHolders;
            continue;
        }

        QVariant numero;
        if (r.hasAdvisor()) {
            const QPair<QString, QString> key(r.cpfOrientador, r.titulo);
            auto it = advisors.constFind(key);
            if (it == advisors.constEnd()) {
                addAdvisor.reset();
                addAdvisor.bindAll(
                    {r.cpfOrientador, r.nomeOrientador, r.titulacao, r.titulo, r.chave1, r.chave2, r.chave3, r.codArea});
                addAdvisor.exec();
                it = advisors.insert(key, db.lastInsertRowId());
                ++result.advisors;
                if (r.titulacao.isEmpty())
                    ++result.unreadDegrees;
            }
            numero = it.value();
        }

        addHolder.reset();
        addHolder.bindAll({r.nome, r.cpf, r.sexo, r.nascimento.isValid() ? QVariant(r.nascimento) : QVariant(), r.processo,
                           demanda, situacao, r.seguroSaude, r.codigoAgencia, r.contaBanco, r.cpfOrientador, numero});
        addHolder.exec();
        ++result.holders;
        if (!dataAceita(dataEscrita(r.nascimento)))
            ++result.unreadBirthDates;
        if (!sexoAceito(r.sexo))
            ++result.unreadSexes;
    }
}

} // namespace

RegisterContents registerContents(TDm_Dados& dm)
{
    const Database& db = dm.database();
    RegisterContents c;
    try {
        c.holders = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL")).toInt();
        c.advisors = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI")).toInt();
        c.sigla = db.scalar(QStringLiteral("SELECT Sigla FROM ZELTAINT ORDER BY rowid LIMIT 1")).toString().trimmed();
        c.nome = db.scalar(QStringLiteral("SELECT Nome FROM ZELTAINT ORDER BY rowid LIMIT 1")).toString().trimmed();
    } catch (const plat::Error&) {
        // A register that cannot be counted is treated as holding data: the
        // recovery then asks before replacing it, without the numbers.
        c.readable = false;
    }
    return c;
}

RecoveryResult recuperarDados(TDm_Dados& dm, const QString& filePath, const RecoveryOptions& options)
{
    // The whole file is read and its header checked before anything changes.
    const RecoveryFile file = RecoveryFile::load(filePath);
    return recuperarDados(dm, file, options);
}

RecoveryResult recuperarDados(TDm_Dados& dm, const RecoveryFile& file, const RecoveryOptions& options)
{
    Database& db = dm.database();
    try {
        // The full check: a damaged index is rebuilt first (and the user
        // told), so the import never leaves damage behind in the tables it
        // does not replace.
        dm.checkRegister();
    } catch (const plat::Error& e) {
        if (e.kind() != plat::Error::Kind::Damaged)
            throw;
        return recoverIntoNewRegister(dm, file, options);
    }
    const QDate today = options.today.isValid() ? options.today : QDate::currentDate();

    RecoveryResult result;
    result.institution = file.institution();

    TDm_Dados::CursorPause pause(dm);
    // The copy is taken before the write transaction (SQLite copies no
    // database its own connection is writing). A run that then fails has
    // changed no data: its copy goes, and the older copies stay, so failed
    // runs cannot push good copies out.
    RegisterCopies::Taken copy;
    if (options.backup && !registersEmpty(db))
        copy = RegisterCopies::take(db, dm.dataDirectory(), options.now.isValid() ? options.now : QDateTime::currentDateTime(),
                                    false, CopyReason::BeforeRecovery);
    result.backupFile = copy.path;
    auto discardCopy = qScopeGuard([&] { RegisterCopies::discard(copy); });
    Database::Transaction tx(db);
    // The digests of the new rows are computed in one pass once they are all
    // in, rather than row by row by the connection's triggers, which would
    // also keep SQLite from emptying the old tables at once. A failure rolls
    // the removed triggers back with everything else; after a commit they
    // are put back here.
    removeDigestTriggers(db);
    auto triggersBack = qScopeGuard([&] {
        try {
            installDigestTriggers(db);
        } catch (const plat::Error& e) {
            qWarning("recovery: the row digest triggers could not be put back: %s", qPrintable(e.message()));
        }
    });

    db.emptyTable(QStringLiteral("ZELTABOL"));
    report(options, 5);
    db.emptyTable(QStringLiteral("ZELTAORI"));
    // The advisors' numbers start again from 1, as in a table just created.
    db.exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name='ZELTAORI'"));
    report(options, 10);
    db.emptyTable(QStringLiteral("ZELTAINT"));
    report(options, 15);
    // The indexes of the two large tables are built once, from sorted keys,
    // after their rows are in; within the transaction, so a failure brings
    // them back with the old rows.
    QStringList indexes = db.dropIndexes(QStringLiteral("ZELTABOL"));
    indexes += db.dropIndexes(QStringLiteral("ZELTAORI"));

    const RecoveryInstitution& inst = file.institution();
    db.exec(QStringLiteral("INSERT INTO ZELTAINT (Numero_Instituicao, Sigla, Cotas, Memo, Nome) VALUES (?, ?, ?, NULL, ?)"),
            {inst.numero, inst.sigla, double(inst.cotas), inst.nome});
    report(options, 35);

    storeRecords(db, file, today, options, result);

    for (const QString& sql : std::as_const(indexes))
        db.exec(sql);
    computeAllDigests(db);
    tx.commit();
    discardCopy.dismiss();
    if (copy.created)
        RegisterCopies::keepNewest(dm.dataDirectory(), copy);
    report(options, 100);
    return result;
}

QString camposNaoLidos(const RecoveryResult& result)
{
    const int total = result.unreadBirthDates + result.unreadSexes + result.unreadDegrees;
    if (total == 0)
        return QString();
    QStringList parts;
    if (result.unreadBirthDates > 0)
        parts << QStringLiteral("%1 data(s) de nascimento").arg(result.unreadBirthDates);
    if (result.unreadSexes > 0)
        parts << QStringLiteral("%1 sexo(s)").arg(result.unreadSexes);
    if (result.unreadDegrees > 0)
        parts << QStringLiteral("%1 titulação(ões) de orientador").arg(result.unreadDegrees);
    const bool holders = result.unreadBirthDates + result.unreadSexes > 0;
    const QString whom = result.unreadDegrees == 0 ? QStringLiteral("os bolsistas")
                         : holders                 ? QStringLiteral("os bolsistas e os orientadores")
                                                   : QStringLiteral("os orientadores");
    return QStringLiteral("%1 campo(s) do arquivo não puderam ser lidos (%2); a verificação do preenchimento "
                          "indicará %3.")
        .arg(total)
        .arg(parts.join(QStringLiteral(", ")), whom);
}

} // namespace zelta
