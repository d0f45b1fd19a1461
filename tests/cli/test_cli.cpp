// The command line: the CPF check, help, usage errors and the data option.
#include "app/cli/Cli.h"
#include "support/CliRun.h"
#include "platform/system/Settings.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Run = zelta::test::CliRun;
const auto run = zelta::test::runCommand;

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { plat::sys::Settings::instance().setDataDirectoryOverride(QString()); }

    void cpfPrintsVerdictStandardFormAndMode_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("code");
        QTest::newRow("valid CPF") << QStringLiteral("123.456.789-09") << QStringLiteral("valido 123.456.789-09 moCPF\n") << 0;
        QTest::newRow("bare digits") << QStringLiteral("12345678909") << QStringLiteral("valido 123.456.789-09 moCPF\n") << 0;
        QTest::newRow("wrong check digit") << QStringLiteral("123.456.789-08")
                                           << QStringLiteral("invalido 123.456.789-08 moCPF\n") << 1;
        QTest::newRow("empty") << QString() << QStringLiteral("invalido ../- moCGC\n") << 1;
    }
    void cpfPrintsVerdictStandardFormAndMode()
    {
        QFETCH(QString, input);
        QFETCH(QString, line);
        QFETCH(int, code);
        const Run r = run({QStringLiteral("cpf"), input});
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, line);
        QVERIFY(r.err.isEmpty());
    }

    void cpfWantsExactlyOneArgument()
    {
        QCOMPARE(run({QStringLiteral("cpf")}).code, 2);
        const Run r = run({QStringLiteral("cpf"), QStringLiteral("1"), QStringLiteral("2")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }

    void helpAndUnknownSubcommand()
    {
        const Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.startsWith(QStringLiteral("Uso: zelta99")));
        QVERIFY(help.out.contains(QStringLiteral("--dados")));

        const Run unknown = run({QStringLiteral("exportar")});
        QCOMPARE(unknown.code, 2);
        QVERIFY(unknown.out.isEmpty());
        QVERIFY(unknown.err.contains(QStringLiteral("exportar")));
    }

    void noSubcommandLeavesItToTheWindowProgram()
    {
        QTemporaryDir dir;
        QCOMPARE(run({}).code, -1);
        QCOMPARE(run({QStringLiteral("--dados"), dir.path()}).code, -1);
        QCOMPARE(plat::sys::Settings::instance().dataDirectory(), QDir::cleanPath(dir.path()));
    }

    void dataOptionMayStandAnywhere_data()
    {
        QTest::addColumn<int>("position");
        QTest::newRow("first") << 0;
        QTest::newRow("after the subcommand") << 1;
        QTest::newRow("last") << 2;
        QTest::newRow("joined with =") << -1;
    }
    void dataOptionMayStandAnywhere()
    {
        QFETCH(int, position);
        QTemporaryDir dir;
        QStringList args{QStringLiteral("cpf"), QStringLiteral("123.456.789-09")};
        if (position < 0)
            args.insert(1, QStringLiteral("--dados=") + dir.path());
        else
            args.insert(position, QStringLiteral("--dados")), args.insert(position + 1, dir.path());
        const Run r = run(args);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("valido 123.456.789-09 moCPF\n"));
        QCOMPARE(plat::sys::Settings::instance().dataDirectory(), QDir::cleanPath(dir.path()));
    }

    void dataOptionWithoutFolderIsAUsageError()
    {
        const Run r = run({QStringLiteral("cpf"), QStringLiteral("1"), QStringLiteral("--dados")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("--dados")));
        QVERIFY(r.out.isEmpty());
    }

    void commandsThatReadTheRegisterRefuseAFolderWithout()
    {
        // A mistyped folder must not become a new, empty register that passes
        // every check.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
        const QList<QStringList> commands{
            {QStringLiteral("verificar")},
            {QStringLiteral("gerar"), QStringLiteral("--destino"), dir.path()},
            {QStringLiteral("relatorio"), QStringLiteral("orientadores"), QStringLiteral("--pdf"), pdf},
            {QStringLiteral("relatorio"), QStringLiteral("erros"), QStringLiteral("--pdf"), pdf},
        };
        for (QStringList args : commands) {
            args << QStringLiteral("--dados") << dir.filePath(QStringLiteral("engano"));
            const Run r = run(args);
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.startsWith(QStringLiteral("Não há dados do Zelta 99 na pasta ")), qPrintable(r.err));
            QVERIFY(r.out.isEmpty());
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("engano"))));
        QVERIFY(!QFileInfo::exists(pdf));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
