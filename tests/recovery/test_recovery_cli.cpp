// "zelta99 recuperar": the summary line, the data option and the failures.
#include "RecoverySample.h"
#include "app/cli/Cli.h"
#include "support/CliRun.h"
#include "platform/system/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Run = zelta::test::CliRun;
const auto run = zelta::test::runCommand;

QString write(const QString& dir, const QByteArray& bytes)
{
    const QString path = QDir(dir).filePath(QStringLiteral("ANTERIOR.TEX"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the test file");
    return path;
}

} // namespace

class TestRecoveryCli : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { plat::sys::Settings::instance().setDataDirectoryOverride(QString()); }

    void importsTheSampleAndPrintsOneLine()
    {
        QTemporaryDir tmp;
        const QString data = tmp.filePath(QStringLiteral("dados"));
        const QString file = write(tmp.path(), zelta::sample::sampleFile());
        const Run r = run({QStringLiteral("recuperar"), file, QStringLiteral("--dados"), data});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out,
                 QStringLiteral("UEVE - UNIVERSIDADE ESTADUAL DO VALE DO EXEMPLO (123456789): 12 bolsistas, 6 orientadores "
                                "recuperados\n"));
        QVERIFY(r.err.isEmpty()); // a new database: no copy to announce, every field read
        QVERIFY(QFile::exists(QDir(data).filePath(QStringLiteral("zelta99.db"))));

        // A second import replaces the first and says where the copy went.
        const Run again = run({QStringLiteral("--dados"), data, QStringLiteral("recuperar"), file});
        QCOMPARE(again.code, 0);
        QCOMPARE(again.out, r.out);
        QVERIFY2(again.err.startsWith(QStringLiteral("Cópia de segurança dos dados anteriores: ")
                                      + QDir::toNativeSeparators(QDir(data).filePath(QStringLiteral("backups/zelta99-")))),
                 qPrintable(again.err));
    }

    void fieldsNotReadAreCounted()
    {
        QTemporaryDir tmp;
        zelta::sample::OldRecord r;
        r.cpf = zelta::sample::cpfDigits(600000001);
        r.nome = QStringLiteral("SEM DATA");
        r.sexo = QStringLiteral("X");
        r.nascimento = QStringLiteral("31/12/78");
        const Run run1 = run({QStringLiteral("recuperar"),
                              write(tmp.path(), zelta::sample::headerBytes({}) + zelta::sample::recordBytes(r)),
                              QStringLiteral("--dados"), tmp.filePath(QStringLiteral("dados"))});
        QCOMPARE(run1.code, 0);
        QCOMPARE(run1.err, QStringLiteral("2 campo(s) do arquivo não puderam ser lidos (1 data(s) de nascimento, 1 "
                                          "sexo(s)); a verificação do preenchimento indicará os bolsistas.\n"));
        // With an advisor whose degree code is a letter.
        r.cpfOrientador = zelta::sample::cpfDigits(700000001);
        r.titulacao = QStringLiteral("D");
        const Run run2 = run({QStringLiteral("recuperar"),
                              write(tmp.path(), zelta::sample::headerBytes({}) + zelta::sample::recordBytes(r)),
                              QStringLiteral("--dados"), tmp.filePath(QStringLiteral("dados2"))});
        QCOMPARE(run2.code, 0);
        QCOMPARE(run2.err, QStringLiteral("3 campo(s) do arquivo não puderam ser lidos (1 data(s) de nascimento, 1 "
                                          "sexo(s), 1 titulação(ões) de orientador); a verificação do preenchimento "
                                          "indicará os bolsistas e os orientadores.\n"));
    }

    void failuresExitWithTwoAndTheMessage()
    {
        QTemporaryDir tmp;
        const QString data = tmp.filePath(QStringLiteral("dados"));
        const Run missing = run(
            {QStringLiteral("recuperar"), tmp.filePath(QStringLiteral("NADA.TEX")), QStringLiteral("--dados"), data});
        QCOMPARE(missing.code, 2);
        QVERIFY(missing.out.isEmpty());
        QCOMPARE(missing.err, QStringLiteral("O arquivo %1 não foi encontrado.\n")
                                  .arg(QDir::toNativeSeparators(tmp.filePath(QStringLiteral("NADA.TEX")))));

        zelta::sample::OldHeader h;
        h.cota1 = QStringLiteral("1,5");
        const Run quota = run(
            {QStringLiteral("recuperar"), write(tmp.path(), zelta::sample::headerBytes(h)), QStringLiteral("--dados"), data});
        QCOMPARE(quota.code, 2);
        QCOMPARE(quota.err, QStringLiteral("'1,5' is not a valid integer value.\n"));

        // A copy cut inside a record stores nothing and says how much is whole.
        zelta::sample::OldRecord r;
        r.cpf = zelta::sample::cpfDigits(600000001);
        const QByteArray whole = zelta::sample::headerBytes({}) + zelta::sample::recordBytes(r);
        const Run cut = run(
            {QStringLiteral("recuperar"), write(tmp.path(), whole + whole.mid(191, 50)), QStringLiteral("--dados"), data});
        QCOMPARE(cut.code, 2);
        QVERIFY(cut.out.isEmpty());
        QVERIFY2(cut.err.startsWith(QStringLiteral("O arquivo termina no meio do registro 2 (linha 3), com 50 dos seus 517 "
                                                   "caracteres: a cópia do arquivo está incompleta. Ele tem 1 registro(s) "
                                                   "completo(s)")),
                 qPrintable(cut.err));

        QCOMPARE(run({QStringLiteral("recuperar")}).code, 2);
        QCOMPARE(run({QStringLiteral("recuperar"), QStringLiteral("A.TEX"), QStringLiteral("B.TEX")}).code, 2);
    }
};

QTEST_GUILESS_MAIN(TestRecoveryCli)
#include "test_recovery_cli.moc"
