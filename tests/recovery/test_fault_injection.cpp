// The program killed at random moments of a recovery and of a generation:
// afterwards the register is sound and holds all the old or all the new data,
// and no copy or submission file under its final name is partial.
#include "RecoverySample.h"
#include "support/SubmissionFile.h"
#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "platform/db/Database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace zelta::sample;
using plat::db::Database;

namespace {

constexpr int kRecords = 20000;
constexpr int kKills = 30;

QByteArray previousYearFile(const QString& prefix)
{
    OldHeader h;
    h.nome = QStringLiteral("UNIVERSIDADE DE TESTE");
    h.numero = QStringLiteral("123456/78-9");
    h.sigla = QStringLiteral("UT");
    h.cota1 = QStringLiteral("999");
    QByteArray out = headerBytes(h);
    for (int i = 0; i < kRecords; ++i) {
        OldRecord r;
        r.cpf = cpfDigits(100000000 + i);
        r.nome = QStringLiteral("%1 BOLSISTA %2").arg(prefix).arg(i, 5, 10, QChar(u'0'));
        r.sexo = QStringLiteral("F");
        r.nascimento = QStringLiteral("05/17/80");
        r.processo = QStringLiteral("98000000001");
        r.seguro = QStringLiteral("S");
        r.agencia = QStringLiteral("1234-5");
        r.conta = QStringLiteral("55555-5");
        r.cpfOrientador = cpfDigits(900000000 + i % 2000);
        r.nomeOrientador = QStringLiteral("ORIENTADOR %1").arg(i % 2000);
        r.titulacao = QStringLiteral("4");
        r.titulo = QStringLiteral("PROJETO");
        r.chave1 = QStringLiteral("CHAVE");
        r.codArea = QStringLiteral("10101003");
        out += recordBytes(r);
    }
    return out;
}

struct Run {
    int code = -1;
    bool killed = false;
    qint64 ms = 0;
};

// Runs the program; with killAfterMs >= 0 it is killed (SIGKILL) then.
Run runProgram(const QStringList& args, int killAfterMs = -1)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(ZELTA99_BINARY), args);
    if (!p.waitForStarted())
        qFatal("the program did not start");
    Run r;
    if (killAfterMs >= 0 && !p.waitForFinished(killAfterMs)) {
        p.kill();
        r.killed = true;
    }
    p.waitForFinished(60000);
    r.ms = t.elapsed();
    r.code = r.killed ? -1 : p.exitCode();
    return r;
}

// Every copy under a final name is whole and sound.
void checkCopies(const QString& dataDir)
{
    const QDir folder(zelta::RegisterCopies::folder(dataDir));
    for (const QString& name : folder.entryList({QStringLiteral("zelta99-*")}, QDir::Files)) {
        QVERIFY2(name.endsWith(QStringLiteral(".db")), qPrintable(name));
        QVERIFY2(Database::checkFile(folder.filePath(name), true).isEmpty(), qPrintable(name));
    }
}

// The prefix the register's holders all carry, or an empty string when they
// are mixed, or not all there.
QString registerState(const QString& file)
{
    const QStringList problems = Database::checkFile(file, false);
    if (!problems.isEmpty())
        return QStringLiteral("danificado: ") + problems.first();
    Database db;
    db.openReadOnly(file);
    const int total = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL")).toInt();
    const int a = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE Nome LIKE 'ANTIGO%'")).toInt();
    const int b = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE Nome LIKE 'NOVO%'")).toInt();
    if (total == kRecords && a == kRecords)
        return QStringLiteral("ANTIGO");
    if (total == kRecords && b == kRecords)
        return QStringLiteral("NOVO");
    return QStringLiteral("misturado %1/%2/%3").arg(total).arg(a).arg(b);
}

} // namespace

class TestFaultInjection : public QObject {
    Q_OBJECT

private slots:
    void killedRecoveriesLeaveOldOrNewData()
    {
        QTemporaryDir tmp;
        const QString data = tmp.filePath(QStringLiteral("dados"));
        const QString db = QDir(data).filePath(QStringLiteral("zelta99.db"));
        const QString files[2] = {tmp.filePath(QStringLiteral("ANTIGO.TEX")), tmp.filePath(QStringLiteral("NOVO.TEX"))};
        for (int i = 0; i < 2; ++i) {
            QFile f(files[i]);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(previousYearFile(i == 0 ? QStringLiteral("ANTIGO") : QStringLiteral("NOVO")));
        }
        const Run first = runProgram({QStringLiteral("recuperar"), files[0], QStringLiteral("--dados"), data});
        QCOMPARE(first.code, 0);
        const Run timed = runProgram({QStringLiteral("recuperar"), files[1], QStringLiteral("--dados"), data});
        QCOMPARE(timed.code, 0);
        QString state = registerState(db);
        QCOMPARE(state, QStringLiteral("NOVO"));

        QRandomGenerator random(12);
        int interrupted = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            const int target = state == QStringLiteral("NOVO") ? 0 : 1;
            const Run r = runProgram({QStringLiteral("recuperar"), files[target], QStringLiteral("--dados"), data},
                                     int(random.bounded(qint64(timed.ms) + 1)));
            interrupted += r.killed ? 1 : 0;
            const QString now = registerState(db);
            QVERIFY2(now == QStringLiteral("ANTIGO") || now == QStringLiteral("NOVO"), qPrintable(now));
            if (!r.killed)
                QCOMPARE(now, target == 0 ? QStringLiteral("ANTIGO") : QStringLiteral("NOVO"));
            checkCopies(data);
            state = now;
        }
        QVERIFY2(interrupted >= kKills / 2, qPrintable(QString::number(interrupted)));
    }

    void killedGenerationsLeaveNoPartialFile()
    {
        zelta::test::SubmissionFolder tmp;
        const QString data = tmp.filePath(QStringLiteral("dados"));
        const QString db = QDir(data).filePath(QStringLiteral("zelta99.db"));
        const QString file = tmp.filePath(QStringLiteral("NOVO.TEX"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(previousYearFile(QStringLiteral("NOVO")));
        }
        QCOMPARE(runProgram({QStringLiteral("recuperar"), file, QStringLiteral("--dados"), data}).code, 0);
        {
            // Through the program's own connection, which keeps the row
            // digests current.
            zelta::TDm_Dados d(data);
            d.database().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO='Renovado'"));
        }
        const QString dest = tmp.filePath(QStringLiteral("disquete"));
        QDir().mkpath(dest);
        const QString target = QDir(dest).filePath(QStringLiteral("12345678.htm"));
        const QStringList args{QStringLiteral("gerar"), QStringLiteral("--destino"), dest, QStringLiteral("--dados"), data};
        const Run timed = runProgram(args);
        QCOMPARE(timed.code, 0);
        const qint64 whole = 12 + 518 * qint64(kRecords);
        QCOMPARE(QFileInfo(target).size(), whole);

        QRandomGenerator random(99);
        int interrupted = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            QFile::remove(target);
            const Run r = runProgram(args, int(random.bounded(qint64(timed.ms) + 1)));
            interrupted += r.killed ? 1 : 0;
            QVERIFY2(!QFile::exists(target) || QFileInfo(target).size() == whole, qPrintable(QString::number(kill)));
            if (QFile::exists(target))
                zelta::test::readSubmission(target);
            if (!r.killed)
                QCOMPARE(QFileInfo(target).size(), whole);
            QCOMPARE(registerState(db), QStringLiteral("NOVO"));
        }
        QVERIFY2(interrupted >= kKills / 2, qPrintable(QString::number(interrupted)));
    }
};

QTEST_GUILESS_MAIN(TestFaultInjection)
#include "test_fault_injection.moc"
