// Generation of the submission file for 100,000 holders and 50,000 advisors,
// side by side with the sqlite3 shell exporting the same holder-advisor join
// to a file.
#include "exchange/SubmissionCheck.h"
#include "exchange/SubmissionRun.h"
#include "exchange/SubmissionWriter.h"
#include "platform/db/Database.h"
#include "support/Register.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

using namespace zelta;
using namespace zelta::bench;

namespace {

// The holders in the order the file is written, each with its advisor's fields.
const char* kJoin = "SELECT B.CPF, B.Nome, B.SEXO, B.DATA_NASCIMENTO, B.PROCESSO, B.DEMANDA, B.SITUACAO, B.SEGURO_SAUDE, "
                    "B.CODIGO_AGENCIA, B.CPF_ORIENTADOR, O.Codigo, O.NOME, O.TITULACAO, O.TITULO, O.P_CHAVE1, O.P_CHAVE2, "
                    "O.P_CHAVE3, O.COD_AREA, O.PESQUISADOR, O.CATEGORIA "
                    "FROM ZELTABOL B LEFT JOIN ZELTAORI O ON O.Codigo = B.NUMERO_ORIENTADOR "
                    "ORDER BY B.ORD_NOME, B.Nome, B.CPF, B.rowid;";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const RegisterShape shape{50000, 100000};
    std::unique_ptr<Register> reg;
    report(QStringLiteral("build register (100,000 holders, 50,000 advisors)"),
           timeMs([&] { reg = std::make_unique<Register>(shape); }), QStringLiteral("ms"));
    plat::db::Database& db = reg->dm().database();

    // Give every advisor one holder still in the programme, so that the
    // pre-check passes and walks everything, as on a register ready to send.
    db.exec(QStringLiteral("UPDATE ZELTABOL SET NUMERO_ORIENTADOR = rowid, SITUACAO = 'Novo', "
                           "CPF_ORIENTADOR = (SELECT CPF FROM ZELTAORI WHERE Codigo = ZELTABOL.rowid) WHERE rowid <= ?"),
            {reg->shape().advisors});
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));

    QTemporaryDir out;
    bool passed = false;
    const double check = bestOf([&] { passed = Verificar_Erro(db); });
    report(QStringLiteral("pre-check (%1)").arg(passed ? QStringLiteral("passes") : QStringLiteral("fails")), check,
           QStringLiteral("ms"));

    QBuffer memory;
    const double records = bestOf([&] {
        memory.setData(QByteArray());
        memory.open(QIODevice::WriteOnly);
        writeSubmission(db, QStringLiteral("123456789"), memory);
        memory.close();
    });
    report(QStringLiteral("records built into memory (%1 bytes)").arg(memory.data().size()), records, QStringLiteral("ms"));

    SubmissionResult result;
    const double write = bestOf([&] { result = generateSubmissionFile(db, out.path()); });
    report(QStringLiteral("write, fsync, read back and rename %1 (%2 bytes)")
               .arg(QFileInfo(result.filePath).fileName())
               .arg(result.bytes),
           write, QStringLiteral("ms"));

    const double total = bestOf([&] {
        if (Verificar_Erro(db))
            result = generateSubmissionFile(db, out.path());
    });
    report(QStringLiteral("generation: pre-check and file"), total, QStringLiteral("ms"), QStringLiteral("< 1000 ms"));

    // What the generation does now: SQLite's full check of the register first.
    const double quick = bestOf([&] { db.checkIntegrity(true); });
    report(QStringLiteral("quick check of the register"), quick, QStringLiteral("ms"));
    QStringList problems;
    const double full = bestOf([&] { problems = db.checkIntegrity(false); });
    report(QStringLiteral("full integrity check of the register (%1 problem(s)%2)")
               .arg(problems.size())
               .arg(problems.isEmpty() ? QString() : QStringLiteral(": ") + problems.first()),
           full, QStringLiteral("ms"));
    const double own = bestOf([&] { plat::db::Database::checkFile(reg->dm().databaseFile(), false); });
    report(QStringLiteral("full integrity check on a read-only connection of its own"), own, QStringLiteral("ms"));
    const double sequential = bestOf([&] {
        reg->dm().checkRegister();
        if (Verificar_Erro(db))
            result = generateSubmissionFile(db, out.path());
    });
    report(QStringLiteral("full check, then pre-check and file, one after the other"), sequential, QStringLiteral("ms"));
    const double checked = bestOf([&] { result = gerarArquivo(reg->dm(), out.path()).result; });
    report(QStringLiteral("generation with its full check (check on its own thread beside pre-check and file)"), checked,
           QStringLiteral("ms"), QStringLiteral("< 1000 ms"));

    // Baseline: the sqlite3 shell writes the same join, as plain lists, to a
    // file. Process start-up is included, as it is small beside the export.
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) {
        report(QStringLiteral("sqlite3 shell not found: baseline skipped"), 0, QString());
        return 0;
    }
    const QString exportFile = QDir(out.path()).filePath(QStringLiteral("juncao.txt"));
    const QByteArray script = ".output " + QFile::encodeName(exportFile) + "\n" + kJoin + "\n";
    bool shellOk = true;
    const double baseline = bestOf([&] {
        QProcess p;
        p.start(shell, {QStringLiteral("-batch"), QStringLiteral("-readonly"), reg->dm().databaseFile()});
        p.write(script);
        p.closeWriteChannel();
        shellOk = p.waitForFinished(-1) && p.exitCode() == 0 && p.readAllStandardError().isEmpty();
    });
    report(QStringLiteral("baseline: sqlite3 shell exports the join (%1 bytes%2)")
               .arg(QFileInfo(exportFile).size())
               .arg(shellOk ? QString() : QStringLiteral(", FAILED")),
           baseline, QStringLiteral("ms"));
    report(QStringLiteral("generation / baseline"), total / baseline, QStringLiteral("x"), QStringLiteral("< 2"));
    return 0;
}
