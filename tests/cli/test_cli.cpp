// The command line: the CPF check, help, usage errors and the data option.
#include "app/cli/Cli.h"
#include "app/cli/CommandTable.h"
#include "support/CliRun.h"
#include "platform/db/Database.h"
#include "platform/system/Settings.h"
#include "support/TestData.h"
#include "support/SourceTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Run = zelta::test::CliRun;
const auto run = zelta::test::runCommand;

QString packagingFile(const QString& name)
{
    QFile file(zelta::test::sourceDir() + QStringLiteral("/packaging/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

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

    void usageErrorsPrintTheirSubcommandsUsageLine_data()
    {
        QTest::addColumn<QStringList>("args");
        for (const QStringList& args : {QStringList{QStringLiteral("cpf")},
                                        {QStringLiteral("gerar")},
                                        {QStringLiteral("recuperar")},
                                        {QStringLiteral("verificar"), QStringLiteral("-x")},
                                        {QStringLiteral("relatorio")},
                                        {QStringLiteral("copia"), QStringLiteral("x")},
                                        {QStringLiteral("copias"), QStringLiteral("x")},
                                        {QStringLiteral("restaurar")}})
            QTest::newRow(qPrintable(args.first())) << args;
    }
    void usageErrorsPrintTheirSubcommandsUsageLine()
    {
        QFETCH(QStringList, args);
        const Run r = run(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.startsWith(QStringLiteral("Uso: zelta99 %1 ").arg(args.first())), qPrintable(r.err));
        QCOMPARE(r.err.count(u'\n'), 1);
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

    void versionIsTheBuildProjects()
    {
        const Run r = run({QStringLiteral("--version")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("zelta99 " ZELTA_PROJECT_VERSION "\n"));
        QVERIFY(run({QStringLiteral("--help")}).out.contains(QStringLiteral("--version")));
    }

    void helpIsWrittenFromTheTable()
    {
        QCOMPARE(run({QStringLiteral("--help")}).out,
                 QStringLiteral("Uso: zelta99 [SUBCOMANDO] [OPÇÕES]\n"
                                "\n"
                                "Sem subcomando, abre o programa com suas janelas.\n"
                                "\n"
                                "Subcomandos:\n"
                                "  cpf TEXTO                      verifica um CPF ou CGC e mostra a forma padrão\n"
                                "  recuperar ARQUIVO              recupera o arquivo do ano anterior (*.TEX)\n"
                                "  verificar [--json]             verifica o preenchimento e mostra a lista de erros\n"
                                "                                 (--json: cada pendência em uma linha JSON)\n"
                                "  gerar --destino PASTA          gera o arquivo para o Orvu na pasta indicada\n"
                                "  relatorio bolsistas|orientadores|erros --pdf ARQUIVO [--situacao Novo,Renovado,Excluído]\n"
                                "                                 grava um relatório de conferência em PDF; sem --situacao,\n"
                                "                                 o de bolsistas traz todas as situações\n"
                                "  copia                          faz uma cópia de segurança dos dados e mostra o arquivo\n"
                                "  copias                         lista as cópias de segurança, da mais recente à mais antiga,\n"
                                "                                 com o motivo de cada uma e se passa na verificação\n"
                                "  restaurar COPIA                põe a cópia no lugar dos dados (COPIA: o arquivo, ou o\n"
                                "                                 número da linha em copias, 1 = a mais recente); os dados\n"
                                "                                 substituídos ficam guardados numa cópia\n"
                                "  aceitar                        aceita os registros alterados fora do programa como estão,\n"
                                "                                 depois de guardar os dados numa cópia\n"
                                "  importar bolsistas|orientadores ARQUIVO [--planilha NOME] [--coluna CAMPO=TÍTULO]... "
                                "[--atualizar] [--simular]\n"
                                "                                 importa uma planilha (CSV, XLSX ou ODS); mostra cada\n"
                                "                                 problema como \"linha N: CAMPO: mensagem\" e nada grava\n"
                                "                                 quando há algum; --coluna diz a coluna de um campo;\n"
                                "                                 --atualizar altera os já cadastrados (cada alteração\n"
                                "                                 como \"linha N: CAMPO: antes → depois\"); --simular só\n"
                                "                                 verifica\n"
                                "  exportar bolsistas|orientadores|pendencias ARQUIVO\n"
                                "                                 grava a lista numa planilha: .xlsx, .ods ou .csv\n"
                                "\n"
                                "Opções:\n"
                                "  --dados PASTA                  pasta dos dados (também ZELTA_DADOS ou [Zelta] Diretorio\n"
                                "                                 em ~/.config/zelta99/zelta99.ini)\n"
                                "  --help                         mostra esta ajuda\n"
                                "  --version                      mostra a versão do programa\n"
                                "\n"
                                "Saída: 0 sem erros; 1 quando a verificação encontra erros ou o CPF/CGC é inválido;\n"
                                "2 em erro de uso ou de dados.\n"));
    }

    void manualPageAndCompletionKnowEverySubcommandAndOption()
    {
        // The installed manual page and bash completion are written by hand;
        // whatever the command table offers, they must offer too.
        const QString manual = packagingFile(QStringLiteral("zelta99.1.in"));
        const QString completion = packagingFile(QStringLiteral("zelta99.bash-completion"));
        QVERIFY(!manual.isEmpty() && !completion.isEmpty());
        const auto inManual = [&](const QString& word) {
            const QString pattern = word.startsWith(u'-') ? QStringLiteral("\\\\-\\\\-") + word.mid(2) + QStringLiteral("\\b")
                                                          : QStringLiteral("^\\.B[IR]? \"?") + word + QStringLiteral("\\b");
            return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(manual).hasMatch();
        };
        // A word list of the completion: compgen -W '...'.
        const auto wordList = [](const QString& text) {
            QStringList words;
            for (const auto& m : QRegularExpression(QStringLiteral("-W '([^']*)'")).globalMatch(text))
                words << m.captured(1).split(u' ', Qt::SkipEmptyParts);
            return words;
        };
        QStringList names;
        for (const zelta::cli::Command& c : zelta::cli::commands())
            names << c.name;
        QStringList global;
        for (const zelta::cli::GlobalOption& o : zelta::cli::globalOptions())
            global << o.name;
        QVERIFY(completion.contains(QStringLiteral("compgen -W '%1'").arg(names.join(u' '))));
        QVERIFY(completion.contains(QStringLiteral("compgen -W '%1'").arg(global.join(u' '))));
        for (const QString& option : global)
            QVERIFY2(inManual(option), qPrintable(QStringLiteral("manual page lacks ") + option));

        for (const zelta::cli::Command& c : zelta::cli::commands()) {
            QVERIFY2(inManual(c.name), qPrintable(QStringLiteral("manual page lacks ") + c.name));
            // The subcommand's branch of the completion offers its options and the data folder.
            const QRegularExpression branch(QStringLiteral("^ +(?:[a-z]+ \\| )*%1(?: \\| [a-z]+)*\\)\n(.*?);;").arg(c.name),
                                            QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
            const auto m = branch.match(completion);
            if (c.name == QStringLiteral("cpf")) {
                QVERIFY(!m.hasMatch()); // a CPF is typed, not completed
                continue;
            }
            QVERIFY2(m.hasMatch(), qPrintable(QStringLiteral("bash completion lacks ") + c.name));
            const QStringList offered = wordList(m.captured(1));
            const QStringList options = c.options() << QStringLiteral("--dados");
            for (const QString& option : options) {
                QVERIFY2(offered.contains(option), qPrintable(c.name + QStringLiteral(": bash completion lacks ") + option));
                QVERIFY2(inManual(option), qPrintable(QStringLiteral("manual page lacks ") + option));
            }
        }
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

    void emptyOptionValueIsAUsageError()
    {
        // An empty folder must not quietly mean the default one.
        QTemporaryDir dir;
        for (const QStringList& args : QList<QStringList>{{QStringLiteral("verificar"), QStringLiteral("--dados=")},
                                                          {QStringLiteral("verificar"), QStringLiteral("--dados"), QString()},
                                                          {QStringLiteral("--dados="), QStringLiteral("copias")}}) {
            const Run r = run(args);
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.startsWith(QStringLiteral("A opção --dados precisa de uma pasta.")), qPrintable(r.err));
            QVERIFY(r.out.isEmpty());
        }
        zelta::test::TestData data;
        for (const QStringList& args :
             QList<QStringList>{{QStringLiteral("relatorio"), QStringLiteral("orientadores"), QStringLiteral("--pdf=")},
                                {QStringLiteral("gerar"), QStringLiteral("--destino"), QString()}}) {
            const Run r = run(args + QStringList{QStringLiteral("--dados"), data.dir()});
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains(QStringLiteral("Uso: zelta99 ")), qPrintable(r.err));
        }
    }

    void reportIsNeverWrittenOverTheRegisterOrItsCompanions()
    {
        zelta::test::TestData data;
        data.addAdvisor(zelta::test::makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
        QDir dir(data.dir());
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            const QString name = QStringLiteral("zelta99.db") + QLatin1StringView(suffix);
            const QString path = dir.filePath(name);
            QFile before(path);
            const bool existed = before.open(QIODevice::ReadOnly);
            const QByteArray bytes = existed ? before.readAll() : QByteArray();
            before.close();
            const Run r = run({QStringLiteral("relatorio"), QStringLiteral("orientadores"), QStringLiteral("--pdf"), path,
                               QStringLiteral("--dados"), data.dir()});
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains(name), qPrintable(r.err));
            QVERIFY(r.out.isEmpty());
            QFile after(path);
            QCOMPARE(after.open(QIODevice::ReadOnly), existed);
            if (existed)
                QCOMPARE(after.readAll(), bytes);
        }
    }

    void restoreThatCompletedSaysSoWhenTheRegisterThenFailsToOpen()
    {
        zelta::test::TestData data;
        data.addAdvisor(zelta::test::makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
        // A sound copy of the older schema whose upgrade cannot run (a table
        // stands where the upgrade builds its own): it is put in place, and
        // opening it afterwards fails.
        QTemporaryDir other;
        const QString copy = other.filePath(QStringLiteral("antiga.db"));
        data.db().backupTo(copy);
        zelta::test::breakUpgrade(copy);
        const Run r = run({QStringLiteral("restaurar"), copy, QStringLiteral("--dados"), data.dir()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.startsWith(QStringLiteral("Dados restaurados de %1.\n").arg(copy)), qPrintable(r.out));
        const QRegularExpressionMatch kept
            = QRegularExpression(QStringLiteral("Os dados substituídos foram guardados em (.+)\\.\n")).match(r.out);
        QVERIFY2(kept.hasMatch(), qPrintable(r.out));
        QVERIFY(QFileInfo(kept.captured(1)).isFile());
        QVERIFY2(r.err.contains(QStringLiteral("Os dados restaurados não puderam ser abertos: ")), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
