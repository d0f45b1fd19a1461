// A recovery and a generation killed at each chosen step of their progress:
// afterwards the register is sound and holds all the old or all the new data,
// and no copy or submission file under its final name is partial.
#include "RecoverySample.h"
#include "support/InChild.h"
#include "support/SubmissionFile.h"
#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "exchange/RecoveryImport.h"
#include "exchange/SubmissionRun.h"
#include "platform/db/Database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <stdexcept>

using namespace zelta::sample;
using plat::db::Database;

namespace {

constexpr int kRecords = 20000;

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

using zelta::test::killedAtStep;
using zelta::test::Step;
using Work = std::function<void(const Step&)>;

// The steps work reports when it runs to its end, here in this process.
int stepsOf(const Work& work)
{
    int steps = 0;
    work([&] { ++steps; });
    return steps;
}

Work recovery(const QString& data, const QString& file)
{
    return [=](const Step& step) {
        zelta::TDm_Dados dm(data);
        zelta::RecoveryOptions options;
        options.progress = [&](int) { step(); };
        zelta::recuperarDados(dm, file, options);
    };
}

Work generation(const QString& data, const QString& dest)
{
    return [=](const Step& step) {
        zelta::TDm_Dados dm(data);
        if (!zelta::gerarArquivo(dm, dest, [&](int) { step(); }).preCheckPassed)
            throw std::runtime_error("the pre-check refused the register");
    };
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
        stepsOf(recovery(data, files[1]));
        const int steps = stepsOf(recovery(data, files[0]));
        QCOMPARE(registerState(db), QStringLiteral("ANTIGO"));
        QVERIFY(steps >= 3);

        // Killed at each step of its progress in turn, a recovery leaves the
        // old data or the new, never a mixture, and only whole copies.
        QString state = QStringLiteral("ANTIGO");
        int keptOld = 0;
        for (int kill = 1; kill <= steps; ++kill) {
            const int target = state == QStringLiteral("NOVO") ? 0 : 1;
            QVERIFY2(killedAtStep(kill, recovery(data, files[target])), qPrintable(QString::number(kill)));
            const QString now = registerState(db);
            QVERIFY2(now == QStringLiteral("ANTIGO") || now == QStringLiteral("NOVO"), qPrintable(now));
            keptOld += now == state ? 1 : 0;
            checkCopies(data);
            state = now;
        }
        // The kills landed before the new data was in, not only after.
        QVERIFY(keptOld > 0);
        // And a recovery after them runs to its end.
        const int target = state == QStringLiteral("NOVO") ? 0 : 1;
        QVERIFY(!killedAtStep(0, recovery(data, files[target])));
        QCOMPARE(registerState(db), target == 0 ? QStringLiteral("ANTIGO") : QStringLiteral("NOVO"));
        checkCopies(data);
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
        stepsOf(recovery(data, file));
        {
            // Through the program's own connection, which keeps the row
            // digests current.
            zelta::TDm_Dados d(data);
            d.database().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO='Renovado'"));
        }
        const QString dest = tmp.filePath(QStringLiteral("disquete"));
        QDir().mkpath(dest);
        const QString target = QDir(dest).filePath(QStringLiteral("12345678.htm"));
        const int steps = stepsOf(generation(data, dest));
        const qint64 whole = 12 + 518 * qint64(kRecords);
        QCOMPARE(QFileInfo(target).size(), whole);
        QVERIFY(steps >= 10);

        // Killed at the first steps, along the way and at the last, a
        // generation leaves no file under its final name, or a whole one.
        const QList<int> kills{1, 2, steps / 4, steps / 2, steps * 3 / 4, steps - 1, steps};
        for (int kill : kills) {
            QFile::remove(target);
            QVERIFY2(killedAtStep(kill, generation(data, dest)), qPrintable(QString::number(kill)));
            QVERIFY2(!QFile::exists(target) || QFileInfo(target).size() == whole, qPrintable(QString::number(kill)));
            if (QFile::exists(target))
                zelta::test::readSubmission(target);
            QCOMPARE(registerState(db), QStringLiteral("NOVO"));
        }
    }
};

QTEST_GUILESS_MAIN(TestFaultInjection)
#include "test_fault_injection.moc"
