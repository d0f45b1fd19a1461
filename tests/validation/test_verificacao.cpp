// The completeness verification: the checks, the log and its order, the stored
// lines of the error table, the error report's pages, and the command line.
#include "../report/FixedMeasurer.h"

#include "app/cli/Cli.h"
#include "exchange/SubmissionCheck.h"
#include "platform/db/Table.h"
#include "platform/report/PagePainter.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"
#include "support/CliRun.h"
#include "support/TestData.h"
#include "validation/TFrm_Relatorio_Erro.h"
#include "validation/TVlCpfCgc.h"
#include "validation/Verificacao.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace zelta;
using zelta::test::makeCpf;
using zelta::test::TestData;

namespace {

const QString kBadCpf = QStringLiteral("123.456.789-00");

QStringList fixedLog(const QStringList& holders, const QStringList& advisors, const QString& closing)
{
    return QStringList{QStringLiteral("Verificando Arquivo de Bolsistas."), QStringLiteral(" ")} + holders
           + QStringList{QStringLiteral(" "), QStringLiteral("Arquivo de Bolsistas Verificado."), QStringLiteral(" "),
                         QStringLiteral("Verificando Arquivo de Orientadores.")}
           + advisors
           + QStringList{QStringLiteral("  "), QStringLiteral("Arquivo de Orientadores Verificado."), QStringLiteral("  "),
                         closing};
}

QStringList storedLines(TestData& data)
{
    QStringList out;
    plat::db::Statement st = data.db().prepare(QStringLiteral("SELECT Numero_Linha, Linha FROM ZELTAERR ORDER BY rowid"));
    int n = 0;
    while (st.step()) {
        if (st.int64(0) != ++n)
            return {QStringLiteral("Numero_Linha fora de ordem")};
        out << st.text(1);
    }
    return out;
}

int runVerification(TestData& data, QStringList* log = nullptr)
{
    TVlCpfCgc validator;
    validator.loadStoredState();
    Verificacao v(data.dm(), validator);
    QStringList streamed;
    v.setLogSink([&](const QString& line) { streamed << line; });
    const int errors = v.run();
    if (streamed != v.log())
        return -1;
    if (log)
        *log = v.log();
    return errors;
}

int cli(const QStringList& args, QString* out = nullptr, QString* err = nullptr)
{
    const zelta::test::CliRun r = zelta::test::runCommand(args);
    if (out)
        *out = r.out;
    if (err)
        *err = r.err;
    return r.code;
}

} // namespace

class TestVerificacao : public QObject {
    Q_OBJECT
private slots:
    void holderChecks_data();
    void holderChecks();
    void advisorChecks_data();
    void advisorChecks();
    void wrapping_data();
    void wrapping();
    void validatorFollowsItsRule();

    void emptyTables();
    void registerWithErrors();
    void holdersInCursorOrder();
    void longNamesWrapped();
    void cleanRunEmptiesErrorTable();
    void errorTableInUse();

    void reportPages();
    void commandLine();

    void pendingProblems();
    void pendingProblemsOnTheCommandLine();
    void recordsTheAgencyRefusesStopEveryCheck_data();
    void recordsTheAgencyRefusesStopEveryCheck();
    void exitStatusCountsOnlyTheVerificationsErrors();
    void holdersWithOneCpf();
    void repeatedCpfFromOutsideStopsTheFileOnceAccepted();
};

// ------------------------------------------------------------------ checks

void TestVerificacao::holderChecks_data()
{
    QTest::addColumn<QString>("cpf");
    QTest::addColumn<QString>("sexo");
    QTest::addColumn<QString>("nascimento");
    QTest::addColumn<QString>("cpfOrientador");
    QTest::addColumn<QString>("agencia");
    QTest::addColumn<QVariant>("numero");
    QTest::addColumn<QString>("code");

    const QString ok = makeCpf(123456789);
    const QString date = QStringLiteral("17/05/1980");
    const QVariant n(qint64(7));
    QTest::newRow("complete") << ok << "F" << date << ok << "1234-5" << n << "";
    QTest::newRow("repeated digits pass") << QStringLiteral("111.111.111-11") << "M" << date << ok << "1234-5" << n << "";
    QTest::newRow("invalid CPF") << kBadCpf << "F" << date << ok << "1234-5" << n << "1,";
    QTest::newRow("partly typed CPF") << QStringLiteral("123.456.789-0 ") << "F" << date << ok << "1234-5" << n << "1,";
    QTest::newRow("invalid CPF and no sex: only the last") << kBadCpf << "" << date << ok << "1234-5" << n << "2,";
    QTest::newRow("blank sex") << ok << " " << date << ok << "1234-5" << n << "2,";
    QTest::newRow("sex neither F nor M") << ok << "X" << date << ok << "1234-5" << n << "2,";
    QTest::newRow("lower-case sex") << ok << "f" << date << ok << "1234-5" << n << "2,";
    QTest::newRow("no date, or no real date") << ok << "F"
                                              << "" << ok << "1234-5" << n << "3,";
    QTest::newRow("the zero date") << ok << "F"
                                   << "30/12/1899" << ok << "1234-5" << n << "3,";
    QTest::newRow("a date the file writes as blanks") << ok << "F"
                                                      << "30/12/1999" << ok << "1234-5" << n << "3,";
    QTest::newRow("the day before") << ok << "F"
                                    << "29/12/1899" << ok << "1234-5" << n << "";
    QTest::newRow("short form date") << ok << "F"
                                     << "17/05/80" << ok << "1234-5" << n << "";
    QTest::newRow("date of another length") << ok << "F"
                                            << "17/5/1980" << ok << "1234-5" << n << "3,";
    QTest::newRow("advisor CPF short") << ok << "F" << date << ok.left(13) << "1234-5" << n << "4,";
    QTest::newRow("advisor CPF digits unchecked") << ok << "F" << date << kBadCpf << "1234-5" << n << "";
    QTest::newRow("agency four characters") << ok << "F" << date << ok << "1234" << n << "";
    QTest::newRow("agency without check digit") << ok << "F" << date << ok << "1234-" << n << "";
    QTest::newRow("agency blank at 3") << ok << "F" << date << ok << "12 4-5" << n << "5,";
    QTest::newRow("agency blank at 6") << ok << "F" << date << ok << "1234- " << n << "5,";
    QTest::newRow("agency blank at 5 allowed") << ok << "F" << date << ok << "1234 5" << n << "";
    QTest::newRow("agency empty") << ok << "F" << date << ok << "" << n << "5,";
    QTest::newRow("no advisor") << ok << "F" << date << ok << "1234-5" << QVariant() << "6,";
    QTest::newRow("a number no advisor has") << ok << "F" << date << ok << "1234-5" << QVariant(qint64(99)) << "6,";
    QTest::newRow("blanks for a number") << ok << "F" << date << ok << "1234-5" << QVariant(QStringLiteral("  ")) << "6,";
    QTest::newRow("everything wrong: the last check") << kBadCpf << ""
                                                      << "1/1/1"
                                                      << ""
                                                      << "" << QVariant() << "6,";
}

void TestVerificacao::holderChecks()
{
    QFETCH(QString, cpf);
    QFETCH(QString, sexo);
    QFETCH(QString, nascimento);
    QFETCH(QString, cpfOrientador);
    QFETCH(QString, agencia);
    QFETCH(QVariant, numero);
    QFETCH(QString, code);
    TVlCpfCgc validator;
    DadosBolsista b{cpf, sexo, nascimento, cpfOrientador, agencia, NumeroOrientador::de(numero), {}, false, false};
    b.numero.registrado = b.numero.numero != 99; // every advisor number but 99 is in the register
    QCOMPARE(codigoErroBolsista(b, validator), code);
    // The pre-check stops the generation on the same fields, apart from the CPF.
    const Exame e = examinarBolsista(b, Regras::preGeracao());
    for (Campo c : {Campo::Sexo, Campo::DataNascimento, Campo::NumeroOrientador})
        QCOMPARE(e.impedeGeracao(c), examinarBolsista(b, Regras::verificacao(validator)).falhaNaVerificacao(c));
}

void TestVerificacao::advisorChecks_data()
{
    QTest::addColumn<QString>("cpf");
    QTest::addColumn<QString>("titulacao");
    QTest::addColumn<QStringList>("chaves");
    QTest::addColumn<QString>("area");
    QTest::addColumn<bool>("temBolsista");
    QTest::addColumn<QStringList>("lines");

    const QString ok = makeCpf(987654321);
    const QStringList keys{QStringLiteral("SOLO"), QString(), QString()};
    QTest::newRow("complete") << ok << "D" << keys << "10101003" << true << QStringList();
    QTest::newRow("CPF and titulação together")
        << kBadCpf << "" << keys << "10101003" << true
        << QStringList{QStringLiteral("....CPF Inválido"), QStringLiteral("....Titulação Inválida")};
    QTest::newRow("area replaces both") << kBadCpf << "" << keys << "1010100" << true
                                        << QStringList{QStringLiteral("....Código da Área Inválida")};
    QTest::newRow("no key word replaces CPF and titulação")
        << kBadCpf << "" << QStringList{QString(), QString(), QString()} << "10101003" << true
        << QStringList{QStringLiteral("....Palavra Chave Inexistente")};
    QTest::newRow("titulação alone") << ok << "" << keys << "10101003" << true
                                     << QStringList{QStringLiteral("....Titulação Inválida")};
    QTest::newRow("only the third key word")
        << ok << "M" << QStringList{QString(), QString(), QStringLiteral("AGUA")} << "10101003" << true << QStringList();
    QTest::newRow("no key word") << ok << "M" << QStringList{QString(), QStringLiteral("  "), QString()} << "10101003" << true
                                 << QStringList{QStringLiteral("....Palavra Chave Inexistente")};
    QTest::newRow("area with punctuation") << ok << "M" << keys << "1.01.01.00-3" << true
                                           << QStringList{QStringLiteral("....Código da Área Inválida")};
    QTest::newRow("no holder replaces all") << kBadCpf << "" << QStringList{QString(), QString(), QString()} << "" << false
                                            << QStringList{QStringLiteral("....Orientador não Vinculado a Bolsista")};
}

void TestVerificacao::advisorChecks()
{
    QFETCH(QString, cpf);
    QFETCH(QString, titulacao);
    QFETCH(QStringList, chaves);
    QFETCH(QString, area);
    QFETCH(bool, temBolsista);
    QFETCH(QStringList, lines);
    TVlCpfCgc validator;
    const QString code = codigoErroOrientador({cpf, titulacao, chaves[0], chaves[1], chaves[2], area, temBolsista, {}, {}, {}},
                                              validator);
    QCOMPARE(linhasErroOrientador(code), lines);
}

void TestVerificacao::wrapping_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("stored");

    const QString fifty = QString(50, u'X');
    QTest::newRow("blank line kept") << " " << QStringList{QStringLiteral(" ")};
    QTest::newRow("two blanks kept") << "  " << QStringList{QStringLiteral("  ")};
    QTest::newRow("exactly fifty") << fifty << QStringList{fifty};
    QTest::newRow("name wraps at a blank") << "..Bolsista MARIA APARECIDA DOS SANTOS FERREIRA DE ALBUQUERQUE"
                                           << QStringList{QStringLiteral("..Bolsista MARIA APARECIDA DOS SANTOS FERREIRA DE"),
                                                          QStringLiteral("ALBUQUERQUE")};
    QTest::newRow("blank right after fifty") << fifty + QStringLiteral(" FIM") << QStringList{fifty, QStringLiteral("FIM")};
    QTest::newRow("long word split") << QString(120, u'A')
                                     << QStringList{QString(50, u'A'), QString(50, u'A'), QString(20, u'A')};
    QTest::newRow("word longer than a line after a short one")
        << QStringLiteral("..Orientador ") + QString(60, u'B')
        << QStringList{QStringLiteral("..Orientador"), QString(50, u'B'), QString(10, u'B')};
    QTest::newRow("blanks at the break dropped") << QStringLiteral("AAAA") + QString(50, u' ') + QStringLiteral("BBBB")
                                                 << QStringList{QStringLiteral("AAAA"), QStringLiteral("BBBB")};
}

void TestVerificacao::wrapping()
{
    QFETCH(QString, line);
    QFETCH(QStringList, stored);
    const QStringList got = quebraLinha(line);
    QCOMPARE(got, stored);
    for (const QString& l : got)
        QVERIFY(l.size() <= Verificacao::kLineWidth);
    // Nothing is lost: the words come back in order.
    QCOMPARE(got.join(u' ').split(u' ', Qt::SkipEmptyParts).join(QString()),
             line.split(u' ', Qt::SkipEmptyParts).join(QString()));
}

// Every number of a run goes through the shared validator, whose check builds
// no intermediate strings. Here it is compared with the rule written plainly
// (cut out the digit string, check, punctuate), on numbers of every shape.
namespace reference {

int digit(const QString& d, int count, int firstWeight, bool cgc)
{
    static const int w1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int w2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < count; ++i)
        sum += d.at(i).digitValue() * (cgc ? (count == 12 ? w1[i] : w2[i]) : firstWeight - i);
    const int r = 11 - sum % 11;
    return r > 9 ? 0 : r;
}

struct Result {
    bool valid;
    QString ret;
    bool cpf;
};

Result check(const QString& in)
{
    auto run = [](const QString& d, bool cpf) {
        const int n = cpf ? 11 : 14;
        bool ok = d.size() == n;
        for (QChar c : d)
            ok = ok && c >= u'0' && c <= u'9';
        if (ok)
            ok = digit(d, n - 2, cpf ? 10 : 0, !cpf) == d.at(n - 2).digitValue()
                 && digit(d, n - 1, cpf ? 11 : 0, !cpf) == d.at(n - 1).digitValue();
        const QString ret = cpf ? d.mid(0, 3) + u'.' + d.mid(3, 3) + u'.' + d.mid(6, 3) + u'-' + d.mid(9, 2)
                                : d.mid(0, 2) + u'.' + d.mid(2, 3) + u'.' + d.mid(5, 3) + u'/' + d.mid(8, 4) + u'-'
                                      + d.mid(12, 2);
        return Result{ok, ret, cpf};
    };
    const qsizetype n = in.size();
    if (n == 14 && in.at(3) == u'.' && in.at(7) == u'.' && in.at(11) == u'-')
        return run(in.mid(0, 3) + in.mid(4, 3) + in.mid(8, 3) + in.mid(12, 2), true);
    if (n == 14)
        return run(in, false);
    if (n == 12 && in.at(9) == u'-')
        return run(in.mid(0, 9) + in.mid(10, 2), true);
    if (n == 11)
        return run(in, true);
    if (n == 18 && in.at(2) == u'.' && in.at(6) == u'.' && in.at(10) == u'/' && in.at(15) == u'-')
        return run(in.mid(0, 2) + in.mid(3, 3) + in.mid(7, 3) + in.mid(11, 4) + in.mid(16, 2), false);
    if (n == 16 && in.at(8) == u'/' && in.at(13) == u'-')
        return run(in.mid(0, 8) + in.mid(9, 4) + in.mid(14, 2), false);
    return run(QString(), false);
}

} // namespace reference

void TestVerificacao::validatorFollowsItsRule()
{
    // Shapes with their separators, filled with digits (mostly) or other
    // characters, and valid numbers among them.
    const QStringList shapes{
        QStringLiteral("ddd.ddd.ddd-dd"),     QStringLiteral("ddddddddd-dd"),     QStringLiteral("ddddddddddd"),
        QStringLiteral("dd.ddd.ddd/dddd-dd"), QStringLiteral("dddddddd/dddd-dd"), QStringLiteral("dddddddddddddd"),
        QStringLiteral("ddd.ddd.dd-ddd"),     QStringLiteral("dddddddddddd"),     QString()};
    const QString noise = QStringLiteral("0123456789.-/_ aé");
    QRandomGenerator rng(1999);
    QStringList inputs{makeCpf(123456789), QStringLiteral("11.222.333/0001-81"), QStringLiteral("11222333/0001-81"),
                       QStringLiteral("11222333000181"), QStringLiteral("111.111.111-11")};
    for (int i = 0; i < 20000; ++i) {
        QString s = shapes.at(rng.bounded(int(shapes.size())));
        if (s.isEmpty())
            for (int k = rng.bounded(20); k > 0; --k)
                s += noise.at(rng.bounded(int(noise.size())));
        for (QChar& c : s)
            if (c == u'd')
                c = rng.bounded(40) == 0 ? noise.at(rng.bounded(int(noise.size()))) : QChar(u'0' + rng.bounded(10));
        inputs << s << makeCpf(rng.bounded(1000000000));
    }
    TVlCpfCgc v;
    int valid = 0;
    for (const QString& in : inputs) {
        v.setInput(in);
        const reference::Result r = reference::check(in);
        QVERIFY2(v.Valid() == r.valid && v.Return() == r.ret && (v.Mode() == TVlCpfCgc::moCPF) == r.cpf
                     && (v.TPdoc() == TVlCpfCgc::CPF) == r.cpf,
                 qPrintable(in));
        valid += r.valid;
    }
    QVERIFY(valid > 20000); // the valid ones were checked too, not only failures
}

// ------------------------------------------------------------------ runs

void TestVerificacao::emptyTables()
{
    TestData data;
    QStringList log;
    QCOMPARE(runVerification(data, &log), 0);
    QCOMPARE(log, fixedLog({}, {}, QStringLiteral("Verificação Terminada. Nenhum erro encontrado.")));
    QCOMPARE(data.count(QStringLiteral("ZELTAERR")), 0);
}

void TestVerificacao::registerWithErrors()
{
    TestData data;
    const QString ok = makeCpf(100000001);
    // Advisors: complete; invalid CPF and no titulação; all holders excluded;
    // no holder at all.
    const qint64 a1 = data.addAdvisor(makeCpf(200000001), QStringLiteral("ANA COMPLETA"));
    const qint64 a2 = data.addAdvisor(kBadCpf, QStringLiteral("BRUNO SEM TITULO"), QString());
    const qint64 a3 = data.addAdvisor(kBadCpf, QStringLiteral("CARLA SO EXCLUIDOS"), QString(), QStringLiteral("P"), QString());
    data.addAdvisor(makeCpf(200000004), QStringLiteral("DANIEL SEM BOLSISTA"));

    data.addHolder(QStringLiteral("ALICE CERTA"), makeCpf(300000001), QStringLiteral("Novo"), ok, a1);
    data.addHolder(QStringLiteral("BEATRIZ SEM SEXO"), kBadCpf, QStringLiteral("Renovado"), ok, a2, QString());
    data.addHolder(QStringLiteral("CAIO AGENCIA"), makeCpf(300000003), QStringLiteral("Novo"), ok, a1, QStringLiteral("M"),
                   QDate(1980, 1, 1), QStringLiteral("12 4-5"));
    data.addHolder(QStringLiteral("DIANA SEM ORIENTADOR"), makeCpf(300000004), QStringLiteral("Novo"), QString(), QVariant());
    // Excluded holders are never reported, however incomplete.
    // (A CPF of its own: one that another holder has is reported, excluded or not.)
    data.addHolder(QStringLiteral("EDUARDO EXCLUIDO"), QStringLiteral("123.456.789-01"), QStringLiteral("Excluído"), QString(),
                   a3, QString(), QDate(), QString());
    data.addHolder(QStringLiteral("FABIO EXCLUIDO"), makeCpf(300000006), QStringLiteral("Excluído"), ok, a2);

    QStringList log;
    QCOMPARE(runVerification(data, &log), 6);
    const QStringList expected = fixedLog({QStringLiteral("..Bolsista BEATRIZ SEM SEXO"), QStringLiteral("....Sexo Inválido"),
                                           QStringLiteral("..Bolsista CAIO AGENCIA"), QStringLiteral("....Agência Inválido"),
                                           QStringLiteral("..Bolsista DIANA SEM ORIENTADOR"),
                                           QStringLiteral("....Bolsista sem Orientador")},
                                          {QStringLiteral("..Orientador BRUNO SEM TITULO"), QStringLiteral("....CPF Inválido"),
                                           QStringLiteral("....Titulação Inválida"),
                                           QStringLiteral("..Orientador DANIEL SEM BOLSISTA"),
                                           QStringLiteral("....Orientador não Vinculado a Bolsista")},
                                          QStringLiteral("Verificação Terminada. 6 erro(s) encontrado(s)."));
    QCOMPARE(log, expected);

    // The error table holds the whole log, blank lines included, in order.
    QCOMPARE(storedLines(data), expected);

    // The cursors as the run leaves them: the error table open on its last
    // line, the holders closed and back on their primary order.
    TDm_Dados& dm = data.dm();
    QVERIFY(dm.Tb_Erro_Bol_Ori->isOpen());
    QCOMPARE(dm.Tb_Erro_Bol_Ori->field(QStringLiteral("Linha")).asString(), expected.last());
    QVERIFY(!dm.Tb_Bolsistas->isOpen());
    QCOMPARE(dm.Tb_Bolsistas->indexName(), QString());
    QCOMPARE(dm.Tb_Bolsistas->indexFieldNames(), QString());
    QVERIFY(!dm.Tb_Orientador->isOpen());
}

void TestVerificacao::holdersInCursorOrder()
{
    TestData data;
    const qint64 a = data.addAdvisor(makeCpf(200000001), QStringLiteral("ORIENTADOR"));
    // Accented capitals sort with their base letters.
    const QStringList names{QStringLiteral("ZÉLIA"), QStringLiteral("ÁLVARO"), QStringLiteral("AMARAL"), QStringLiteral("ALVES")};
    for (int i = 0; i < names.size(); ++i)
        data.addHolder(names[i], makeCpf(300000000 + 10 - i), QStringLiteral("Novo"), makeCpf(200000001), a, QString());

    auto holderOrder = [&] {
        QStringList log;
        runVerification(data, &log);
        return log.filter(QStringLiteral("..Bolsista "));
    };
    // The order the shared cursor is set to when the run starts: names...
    plat::db::Table& bol = *data.dm().Tb_Bolsistas;
    bol.setIndexFieldNames(QStringLiteral("Nome"));
    QCOMPARE(holderOrder(), (QStringList{QStringLiteral("..Bolsista ÁLVARO"), QStringLiteral("..Bolsista ALVES"),
                                         QStringLiteral("..Bolsista AMARAL"), QStringLiteral("..Bolsista ZÉLIA")}));
    // ... or CPFs.
    bol.setIndexFieldNames(QStringLiteral("CPF"));
    const QStringList byCpf{QStringLiteral("..Bolsista ALVES"), QStringLiteral("..Bolsista AMARAL"),
                            QStringLiteral("..Bolsista ÁLVARO"), QStringLiteral("..Bolsista ZÉLIA")};
    QCOMPARE(holderOrder(), byCpf);
    // The list of problems walks in the ordering a closed cursor stands for,
    // and leaves the cursor closed.
    bol.close();
    bol.setIndexFieldNames(QStringLiteral("CPF"));
    QStringList listed;
    for (const RegistroPendente& r :
         listarPendencias(data.db(), data.dm().holderOrdering(), data.dm().advisorOrdering(), Regras::preGeracao()).registros)
        if (!r.orientador)
            listed << QStringLiteral("..Bolsista ") + r.nome;
    QCOMPARE(listed, byCpf);
    QVERIFY(!bol.isOpen());

    // A key range left on the shared cursor does not hide holders.
    bol.open();
    bol.setIndexName(QStringLiteral("Id_Bolsista_Cpf"));
    bol.setRange({makeCpf(300000010)}, {makeCpf(300000010)});
    QCOMPARE(holderOrder().size(), 4);
}

void TestVerificacao::longNamesWrapped()
{
    TestData data;
    const QString longHolder = QStringLiteral("MARIA APARECIDA DOS SANTOS FERREIRA DE ALBUQUERQUE LIMA");
    const QString longAdvisor = QStringLiteral("JOAQUIM ") + QString(52, u'X');
    data.addAdvisor(kBadCpf, longAdvisor); // invalid CPF
    data.addHolder(longHolder, kBadCpf, QStringLiteral("Novo"), makeCpf(1), 1);

    QStringList log;
    QCOMPARE(runVerification(data, &log), 2);
    const QStringList stored = storedLines(data);
    QCOMPARE(stored, linhasArmazenadas(log));
    QCOMPARE(stored.size(), log.size() + 3);
    for (const QString& line : stored)
        QVERIFY2(line.size() <= 50, qPrintable(line));
    const int h = int(stored.indexOf(QStringLiteral("..Bolsista MARIA APARECIDA DOS SANTOS FERREIRA DE")));
    QVERIFY(h > 0);
    QCOMPARE(stored.at(h + 1), QStringLiteral("ALBUQUERQUE LIMA"));
    QCOMPARE(stored.at(h + 2), QStringLiteral("....CPF Inválido"));
    const int o = int(stored.indexOf(QStringLiteral("..Orientador JOAQUIM")));
    QVERIFY(o > h);
    QCOMPARE(stored.mid(o + 1, 3), (QStringList{QString(50, u'X'), QStringLiteral("XX"), QStringLiteral("....CPF Inválido")}));
}

void TestVerificacao::cleanRunEmptiesErrorTable()
{
    TestData data;
    const qint64 a = data.addAdvisor(makeCpf(200000001), QStringLiteral("ORIENTADOR"));
    const qint64 h = data.addHolder(QStringLiteral("BOLSISTA"), makeCpf(3), QStringLiteral("Novo"), makeCpf(200000001), a,
                                    QString());
    QCOMPARE(runVerification(data), 1);
    QVERIFY(data.count(QStringLiteral("ZELTAERR")) > 0);

    data.dm().Tb_Erro_Bol_Ori->close();
    data.db().exec(QStringLiteral("UPDATE ZELTABOL SET SEXO='F' WHERE rowid=?"), {h});
    QStringList log;
    QCOMPARE(runVerification(data, &log), 0);
    QCOMPARE(log.last(), QStringLiteral("Verificação Terminada. Nenhum erro encontrado."));
    QCOMPARE(data.count(QStringLiteral("ZELTAERR")), 0);
}

void TestVerificacao::errorTableInUse()
{
    // Another cursor holds the error table: emptying it fails, the table keeps
    // the last run's lines and nothing is logged.
    TestData data;
    data.addAdvisor(makeCpf(200000001), QStringLiteral("SEM BOLSISTA"));
    QCOMPARE(runVerification(data), 1);
    const QStringList before = storedLines(data);
    plat::db::Table other(data.db(), QStringLiteral("ZELTAERR"));
    other.open();
    TVlCpfCgc validator;
    Verificacao v(data.dm(), validator);
    QVERIFY_THROWS_EXCEPTION(plat::Error, v.run());
    QVERIFY(v.log().isEmpty());
    QCOMPARE(storedLines(data), before);
}

// ------------------------------------------------------------------ report

void TestVerificacao::reportPages()
{
    TestData data;
    plat::db::Table& erros = *data.dm().Tb_Erro_Bol_Ori;
    erros.open();
    {
        TFrm_Relatorio_Erro empty(data.dm());
        QVERIFY(empty.layOut(zelta::test::FixedMeasurer()).isEmpty());
    }
    erros.close();
    for (int i = 1; i <= 100; ++i)
        data.db().exec(QStringLiteral("INSERT INTO ZELTAERR (Numero_Linha, Linha) VALUES (?, ?)"),
                       {i, i % 10 == 0 ? QStringLiteral(" ") : QStringLiteral("linha %1").arg(i)});
    erros.open();
    TFrm_Relatorio_Erro report(data.dm());
    QCOMPARE(report.title(), QStringLiteral("Relatório de Verificação de Preenchimento"));
    const plat::report::PageModel model = report.layOut(zelta::test::FixedMeasurer(), QDateTime(QDate(1999, 9, 1), QTime(8, 0)));
    // (277 - 15.6) / 6.6: 39 lines a page.
    QCOMPARE(model.pageCount(), 3);
    int line = 0;
    for (const plat::report::Page& page : model.pages) {
        QCOMPARE(page.frames, (QList<QRectF>{QRectF(10, 10, 190, 15.6)}));
        const QStringList texts = page.lines();
        QCOMPARE(texts.mid(0, 6),
                 (QStringList{QStringLiteral("Orvu - Quarvelin Tessaline"), QStringLiteral("01/09/1999 08:00:00"),
                              QStringLiteral("Zelta - 99"), QStringLiteral("Página :"), QString::number(page.number),
                              QStringLiteral("Relatório de Verificação de Preenchimento")}));
        // The date and the page number end at the band's right edge, as far
        // in as the names start from the left.
        for (const plat::report::TextRun& run : page.texts)
            if (run.text == QString::number(page.number) || run.text.startsWith(QStringLiteral("01/09/1999"))) {
                QVERIFY(run.align & Qt::AlignRight);
                QCOMPARE(run.rect.right(), 200 - 1.3);
            }
        const QStringList body = texts.mid(6);
        QCOMPARE(body.size(), page.number < 3 ? 39 : 22);
        for (int i = 0; i < body.size(); ++i) {
            ++line;
            QCOMPARE(body.at(i), line % 10 == 0 ? QStringLiteral(" ") : QStringLiteral("linha %1").arg(line));
            const plat::report::TextRun& run = page.texts.at(6 + i);
            QCOMPARE(run.rect.left(), 10 + 4.2);
            QVERIFY(qAbs(run.rect.top() - (10 + 15.6 + 6.6 * i + 1.9)) < 1e-9);
        }
        const plat::report::TextRun& label = page.texts.at(3);
        QCOMPARE(label.rect.topLeft(), QPointF(10 + 163.5, 10 + 6.9));
    }
    QCOMPARE(line, 100);
}

void TestVerificacao::commandLine()
{
    TestData data;
    plat::sys::Settings::instance().setDataDirectoryOverride(data.dir());
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("erros.pdf"));

    // Nothing to report: exit 0, no lines, no report.
    QString text, err;
    QCOMPARE(cli({QStringLiteral("verificar")}, &text, &err), 0);
    QCOMPARE(text.split(u'\n', Qt::SkipEmptyParts).last(), QStringLiteral("Verificação Terminada. Nenhum erro encontrado."));
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("erros"), QStringLiteral("--pdf"), pdf}, &text), 0);
    QVERIFY(!QFile::exists(pdf));

    // Errors: exit 1, the log on the output, the lines stored as the window does.
    const QString name = QStringLiteral("ORIENTADORA COM UM NOME MUITO COMPRIDO PARA UMA LINHA SÓ");
    data.addAdvisor(makeCpf(200000001), name);
    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("--dados"), data.dir()}, &text, &err), 1);
    QVERIFY(err.isEmpty());
    const QStringList printed = text.split(u'\n');
    QCOMPARE(printed.last(), QString());
    QCOMPARE(printed.mid(0, printed.size() - 1),
             fixedLog({}, {QStringLiteral("..Orientador ") + name, QStringLiteral("....Orientador não Vinculado a Bolsista")},
                      QStringLiteral("Verificação Terminada. 1 erro(s) encontrado(s).")));
    QCOMPARE(storedLines(data), linhasArmazenadas(printed.mid(0, printed.size() - 1)));

    // The report of the stored lines, read back from the PDF.
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("erros"), QStringLiteral("--pdf"), pdf}, &text, &err), 0);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(30000));
    const QString read = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY(read.contains(QStringLiteral("Relatório de Verificação de Preenchimento")));
    QVERIFY(read.contains(QStringLiteral("Orvu - Quarvelin Tessaline")));
    QVERIFY(read.contains(QStringLiteral("Página : 1")) || read.contains(QStringLiteral("Página :")));
    for (const QString& line : storedLines(data))
        if (!line.trimmed().isEmpty())
            QVERIFY2(read.contains(line), qPrintable(line));
    QVERIFY(read.indexOf(QStringLiteral("Verificando Arquivo de Bolsistas."))
            < read.indexOf(QStringLiteral("Verificação Terminada.")));

    // Usage errors.
    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("extra")}, nullptr, &err), 2);
    QVERIFY(err.contains(QStringLiteral("Uso:")));
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("erros")}, nullptr, &err), 2);
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("nada"), QStringLiteral("--pdf"), pdf}, nullptr, &err), 2);
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("erros"), QStringLiteral("--pdf"), pdf,
                  QStringLiteral("--situacao"), QStringLiteral("Novo")},
                 nullptr, &err),
             2);
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("erros"), QStringLiteral("--pdf"),
                  out.filePath(QStringLiteral("falta/x.pdf"))},
                 nullptr, &err),
             2);
    QVERIFY(err.contains(QStringLiteral("x.pdf")));
    plat::sys::Settings::instance().setDataDirectoryOverride(QString());
}

// ------------------------------------------------------------------ pending problems

namespace {

// Faults of every kind: a holder failing two checks, a repeated-digit CPF that
// only the pre-check refuses, an excluded holder never examined, an advisor
// with two log lines, one without holders.
void addProblems(TestData& data)
{
    const qint64 a = data.addAdvisor(makeCpf(300000001), QStringLiteral("ORIENTADOR A"));
    const qint64 b = data.addAdvisor(kBadCpf, QStringLiteral("ORIENTADOR B"), QString());
    data.addAdvisor(makeCpf(300000003), QStringLiteral("ORIENTADOR C"));
    data.addHolder(QStringLiteral("ANA DUAS FALHAS"), kBadCpf, QStringLiteral("Novo"), makeCpf(300000001), a, QString());
    data.addHolder(QStringLiteral("BIA REPETIDO"), QStringLiteral("111.111.111-11"), QStringLiteral("Renovado"),
                   makeCpf(300000001), a);
    data.addHolder(QStringLiteral("CAIO EXCLUIDO"), QStringLiteral("222.222.222-22"), QStringLiteral("Excluído"), QString(),
                   QVariant(), QString());
    data.addHolder(QStringLiteral("DUDA COMPLETA"), makeCpf(5), QStringLiteral("Novo"), kBadCpf, b);
}

// record|field|message|stops
const QStringList kProblems{
    QStringLiteral("ANA DUAS FALHAS|CPF|CPF Inválido|0"),
    QStringLiteral("ANA DUAS FALHAS|SEXO|Sexo Inválido|1"),
    QStringLiteral("BIA REPETIDO|CPF|CPF com todos os dígitos iguais|1"),
    QStringLiteral("ORIENTADOR B|CPF|CPF Inválido|0"),
    QStringLiteral("ORIENTADOR B|TITULACAO|Titulação Inválida|1"),
    QStringLiteral("ORIENTADOR C|VINCULO|Orientador não Vinculado a Bolsista|1"),
};

} // namespace

void TestVerificacao::pendingProblems()
{
    TestData data;
    addProblems(data);
    TVlCpfCgc validator;
    Verificacao v(data.dm(), validator);
    QCOMPARE(v.run(), 4);
    // The log keeps one code per holder and nothing for the repeated digits.
    QCOMPARE(v.log(), fixedLog({QStringLiteral("..Bolsista ANA DUAS FALHAS"), QStringLiteral("....Sexo Inválido")},
                               {QStringLiteral("..Orientador ORIENTADOR B"), QStringLiteral("....CPF Inválido"),
                                QStringLiteral("....Titulação Inválida"), QStringLiteral("..Orientador ORIENTADOR C"),
                                QStringLiteral("....Orientador não Vinculado a Bolsista")},
                               linhaFinal(4)));
    QStringList got;
    for (const RegistroPendente& r : v.pendencias().registros)
        for (const Pendencia& p : r.pendencias)
            got << QStringLiteral("%1|%2|%3|%4").arg(r.nome, nomeCampo(p.campo), p.mensagem).arg(int(p.impedeGeracao));
    QCOMPARE(got, kProblems);
    QCOMPARE(v.pendencias().problemas(), 6);
    QCOMPARE(v.pendencias().registrosComProblemas(), 4);
    QCOMPARE(v.pendencias().soImpeditivas().problemas(), 4);
    QVERIFY(!Verificar_Erro(data.db()));

    // Checked again after a change: what is gone is solved, what is new comes last.
    RegistroPendente ana = v.pendencias().registros.at(0);
    data.db().exec(QStringLiteral("UPDATE ZELTABOL SET SEXO='F', CODIGO_AGENCIA='' WHERE Nome='ANA DUAS FALHAS'"));
    Completude walk(data.db(), Regras::verificacao(validator));
    atualizarRegistro(ana, walk.bolsista(ana.rowid), false);
    QCOMPARE(ana.pendencias.size(), 3);
    QVERIFY(!ana.pendencias.at(0).resolvida && ana.pendencias.at(1).resolvida);
    QCOMPARE(ana.pendencias.at(2).campo, Campo::CodigoAgencia);
    QCOMPARE(ana.abertas(), 2);
    // An excluded holder is no longer examined: everything is solved.
    data.db().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO='Excluído' WHERE Nome='ANA DUAS FALHAS'"));
    atualizarRegistro(ana, walk.bolsista(ana.rowid), false);
    QCOMPARE(ana.abertas(), 0);

    // The pre-check alone fails on the repeated digits.
    data.db().exec(QStringLiteral("DELETE FROM ZELTAORI WHERE NOME<>'ORIENTADOR A'"));
    data.db().exec(QStringLiteral("DELETE FROM ZELTABOL WHERE Nome<>'BIA REPETIDO'"));
    QCOMPARE(runVerification(data), 0);
    QVERIFY(!Verificar_Erro(data.db()));
    data.db().exec(QStringLiteral("UPDATE ZELTABOL SET CPF=?"), {makeCpf(6)});
    QVERIFY(Verificar_Erro(data.db()));
}

void TestVerificacao::pendingProblemsOnTheCommandLine()
{
    TestData data;
    addProblems(data);
    const QString advisorC = QString::number(
        data.db().scalar(QStringLiteral("SELECT Codigo FROM ZELTAORI WHERE NOME='ORIENTADOR C'")).toLongLong());
    QString text, err;
    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("--json"), QStringLiteral("--dados"), data.dir()}, &text, &err), 1);
    QVERIFY(err.isEmpty());
    QStringList got;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(line));
        const bool advisor = o.value(QStringLiteral("tabela")).toString() == u"orientador";
        QVERIFY(advisor || o.value(QStringLiteral("tabela")).toString() == u"bolsista");
        QCOMPARE(o.value(QStringLiteral("codigo")).isNull(), !advisor);
        if (o.value(QStringLiteral("nome")).toString() == u"ORIENTADOR C")
            QCOMPARE(QString::number(o.value(QStringLiteral("codigo")).toInteger()), advisorC);
        QCOMPARE(o.value(QStringLiteral("cpf")).toString().size(), 14);
        got << QStringLiteral("%1|%2|%3|%4")
                   .arg(o.value(QStringLiteral("nome")).toString(), o.value(QStringLiteral("campo")).toString(),
                        o.value(QStringLiteral("mensagem")).toString())
                   .arg(int(o.value(QStringLiteral("impede_geracao")).toBool()));
    }
    QCOMPARE(got, kProblems);
    // The verification's own run is unchanged: the error table holds its log.
    QCOMPARE(storedLines(data),
             linhasArmazenadas(fixedLog({QStringLiteral("..Bolsista ANA DUAS FALHAS"), QStringLiteral("....Sexo Inválido")},
                                        {QStringLiteral("..Orientador ORIENTADOR B"), QStringLiteral("....CPF Inválido"),
                                         QStringLiteral("....Titulação Inválida"), QStringLiteral("..Orientador ORIENTADOR C"),
                                         QStringLiteral("....Orientador não Vinculado a Bolsista")},
                                        linhaFinal(4))));

    // The generation names what stops it, one problem a line.
    QTemporaryDir out;
    QCOMPARE(cli({QStringLiteral("gerar"), QStringLiteral("--destino"), out.path(), QStringLiteral("--dados"), data.dir()}, &text,
                 &err),
             1);
    QCOMPARE(err.split(u'\n', Qt::SkipEmptyParts),
             (QStringList{QStringLiteral("Favor executar a verificação do preenchimento"),
                          QStringLiteral("Bolsista ANA DUAS FALHAS (123.456.789-00): Sexo Inválido"),
                          QStringLiteral("Bolsista BIA REPETIDO (111.111.111-11): CPF com todos os dígitos iguais"),
                          QStringLiteral("Orientador ORIENTADOR B (123.456.789-00): Titulação Inválida"),
                          QStringLiteral("Orientador ORIENTADOR C (") + makeCpf(300000003)
                              + QStringLiteral("): Orientador não Vinculado a Bolsista")}));
    QVERIFY(QDir(out.path()).isEmpty());
}

// ------------------------------------------------------------------ what the agency refuses

namespace {

// The problems of verificar --json, one "nome|campo|impede" a line; a name
// that does not come back as it is stored shows as "name mangled".
QStringList jsonProblems(const QString& text, TestData& data)
{
    QStringList got;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        const QString nome = o.value(QStringLiteral("nome")).toString();
        const bool stored = data.db()
                                .scalar(QStringLiteral("SELECT (SELECT count(*) FROM ZELTABOL WHERE Nome=?1)"
                                                       " + (SELECT count(*) FROM ZELTAORI WHERE NOME=?1)"),
                                        {nome})
                                .toInt()
                            == 1;
        got << QStringLiteral("%1|%2|%3")
                   .arg(stored ? nome : QStringLiteral("name mangled"), o.value(QStringLiteral("campo")).toString())
                   .arg(int(o.value(QStringLiteral("impede_geracao")).toBool()));
    }
    return got;
}

} // namespace

void TestVerificacao::recordsTheAgencyRefusesStopEveryCheck_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("campo");
    QTest::newRow("no birth date") << "DATA_NASCIMENTO" << QVariant() << "....Data de Nascimento Inválido"
                                   << "DATA_NASCIMENTO";
    QTest::newRow("no such day") << "DATA_NASCIMENTO" << QVariant(QStringLiteral("1980-02-31"))
                                 << "....Data de Nascimento Inválido"
                                 << "DATA_NASCIMENTO";
    QTest::newRow("sex X") << "SEXO" << QVariant(QStringLiteral("X")) << "....Sexo Inválido"
                           << "SEXO";
    QTest::newRow("number of no advisor") << "NUMERO_ORIENTADOR" << QVariant(qint64(999)) << "....Bolsista sem Orientador"
                                          << "NUMERO_ORIENTADOR";
}

void TestVerificacao::recordsTheAgencyRefusesStopEveryCheck()
{
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    QFETCH(QString, line);
    QFETCH(QString, campo);
    TestData data;
    const QString cpfA = makeCpf(300000001);
    const qint64 a = data.addAdvisor(cpfA, QStringLiteral("ORIENTADOR A"));
    data.addHolder(QStringLiteral("COMPLETA"), makeCpf(1), QStringLiteral("Renovado"), cpfA, a);
    // A backslash and quotes in the name: the JSON must bring it back as stored.
    const QString nome = QStringLiteral("SILVA \\ \"RECUSADA\"");
    data.addHolder(nome, makeCpf(2), QStringLiteral("Renovado"), cpfA, a);
    data.db().exec(QStringLiteral("UPDATE ZELTABOL SET %1=? WHERE CPF=?").arg(column), {value, makeCpf(2)});

    QStringList log;
    QCOMPARE(runVerification(data, &log), 1);
    QCOMPARE(log.mid(2, 2), (QStringList{QStringLiteral("..Bolsista ") + nome, line}));
    QVERIFY(!Verificar_Erro(data.db()));

    QString text;
    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("--dados"), data.dir()}, &text), 1);
    QVERIFY(text.contains(line));
    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("--json"), QStringLiteral("--dados"), data.dir()}, &text), 1);
    QVERIFY2(jsonProblems(text, data).contains(nome + u'|' + campo + QStringLiteral("|1")), qPrintable(text));
    QTemporaryDir out;
    QCOMPARE(cli({QStringLiteral("gerar"), QStringLiteral("--destino"), out.path(), QStringLiteral("--dados"), data.dir()}), 1);
    QVERIFY(QDir(out.path()).isEmpty());
}

void TestVerificacao::exitStatusCountsOnlyTheVerificationsErrors()
{
    // Problems the verification does not count: a CPF only the pre-check
    // refuses, a name and different key words only the entry forms ask for.
    TestData data;
    const QString cpfA = makeCpf(300000001);
    const qint64 a = data.addAdvisor(cpfA, QStringLiteral("ORIENTADOR A"));
    data.db().exec(QStringLiteral("UPDATE ZELTAORI SET P_CHAVE2=P_CHAVE1"));
    data.addHolder(QStringLiteral("REPETIDO"), QStringLiteral("111.111.111-11"), QStringLiteral("Novo"), cpfA, a);
    data.addHolder(QString(), makeCpf(3), QStringLiteral("Novo"), cpfA, a);
    QString text;
    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("--dados"), data.dir()}, &text), 0);
    QVERIFY(text.endsWith(linhaFinal(0) + u'\n'));
    // The list says 1 for what stops the generation, not for the form's name.
    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("--json"), QStringLiteral("--dados"), data.dir()}, &text), 1);
    QCOMPARE(jsonProblems(text, data), (QStringList{QStringLiteral("|Nome|0"), QStringLiteral("REPETIDO|CPF|1"),
                                                    QStringLiteral("ORIENTADOR A|P_CHAVE2|0")}));
    QTemporaryDir out;
    QCOMPARE(cli({QStringLiteral("gerar"), QStringLiteral("--destino"), out.path(), QStringLiteral("--dados"), data.dir()}), 1);
    data.db().exec(QStringLiteral("UPDATE ZELTABOL SET CPF=? WHERE Nome='REPETIDO'"), {makeCpf(4)});
    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("--json"), QStringLiteral("--dados"), data.dir()}, &text), 0);
    QCOMPARE(jsonProblems(text, data), (QStringList{QStringLiteral("|Nome|0"), QStringLiteral("ORIENTADOR A|P_CHAVE2|0")}));
}

// ------------------------------------------------------------------ one CPF, two holders

namespace {

// Every problem of a run, "nome|mensagem|impede".
QStringList problemLines(const ListaPendencias& lista)
{
    QStringList out;
    for (const RegistroPendente& r : lista.registros)
        for (const Pendencia& p : r.pendencias)
            out << QStringLiteral("%1|%2|%3").arg(r.nome, p.mensagem).arg(int(p.impedeGeracao));
    return out;
}

} // namespace

void TestVerificacao::holdersWithOneCpf()
{
    // The file carries every holder, excluded ones too: each holder whose CPF
    // another has fails check 1, however its CPF is punctuated.
    TestData data;
    const QString cpfA = makeCpf(300000001);
    const qint64 a = data.addAdvisor(cpfA, QStringLiteral("ORIENTADOR A"));
    const QString cpf = makeCpf(400000001);
    const qint64 primeira = data.addHolder(QStringLiteral("ANA PRIMEIRA"), cpf, QStringLiteral("Novo"), cpfA, a);
    const qint64 segunda = data.addHolder(QStringLiteral("ANA SEGUNDA"), cpf, QStringLiteral("Renovado"), cpfA, a);
    const qint64 excluida = data.addHolder(QStringLiteral("ANA EXCLUIDA"), QString(cpf).replace(u'.', u' '),
                                           QStringLiteral("Excluído"), cpfA, a);
    // Blank CPFs repeat no one; a CPF of one's own is no problem.
    data.addHolder(QStringLiteral("SEM CPF UM"), QStringLiteral("   .   .   -  "), QStringLiteral("Excluído"));
    data.addHolder(QStringLiteral("SEM CPF DOIS"), QStringLiteral("   .   .   -  "), QStringLiteral("Excluído"));
    data.addHolder(QStringLiteral("OUTRA"), makeCpf(400000002), QStringLiteral("Novo"), cpfA, a);
    // Two CPFs written neither way, alike only in the characters the file takes.
    data.addHolder(QStringLiteral("BETO"), QStringLiteral("500 000 001 00"), QStringLiteral("Excluído"));
    data.addHolder(QStringLiteral("BRUNO"), QStringLiteral("500-000-001/00"), QStringLiteral("Excluído"));

    TVlCpfCgc validator;
    Verificacao v(data.dm(), validator);
    QCOMPARE(v.run(), 5);
    QCOMPARE(v.log(), fixedLog({QStringLiteral("..Bolsista ANA EXCLUIDA"), QStringLiteral("....CPF Inválido"),
                                QStringLiteral("..Bolsista ANA PRIMEIRA"), QStringLiteral("....CPF Inválido"),
                                QStringLiteral("..Bolsista ANA SEGUNDA"), QStringLiteral("....CPF Inválido"),
                                QStringLiteral("..Bolsista BETO"), QStringLiteral("....CPF Inválido"),
                                QStringLiteral("..Bolsista BRUNO"), QStringLiteral("....CPF Inválido")},
                               {}, linhaFinal(5)));
    // The list names, for each, the other records with the CPF.
    QCOMPARE(problemLines(v.pendencias()),
             (QStringList{QStringLiteral("ANA EXCLUIDA|CPF repetido: também é o CPF dos bolsistas ANA PRIMEIRA (Novo) e ANA "
                                         "SEGUNDA (Renovado)|1"),
                          QStringLiteral("ANA PRIMEIRA|CPF repetido: também é o CPF dos bolsistas ANA SEGUNDA (Renovado) e "
                                         "ANA EXCLUIDA (Excluído)|1"),
                          QStringLiteral("ANA SEGUNDA|CPF repetido: também é o CPF dos bolsistas ANA PRIMEIRA (Novo) e ANA "
                                         "EXCLUIDA (Excluído)|1"),
                          QStringLiteral("BETO|CPF repetido: também é o CPF do bolsista BRUNO (Excluído)|1"),
                          QStringLiteral("BRUNO|CPF repetido: também é o CPF do bolsista BETO (Excluído)|1")}));
    QVERIFY(!Verificar_Erro(data.db()));

    // Checked again as each is corrected.
    RegistroPendente first = v.pendencias().registros.at(1);
    QCOMPARE(first.rowid, primeira);
    Completude walk(data.db(), Regras::verificacao(validator));
    data.db().exec(QStringLiteral("UPDATE ZELTABOL SET CPF=? WHERE rowid=?"), {makeCpf(400000003), segunda});
    data.db().exec(QStringLiteral("DELETE FROM ZELTABOL WHERE Nome='BETO'"));
    QVERIFY(!Verificar_Erro(data.db())); // one CPF well written, the other with blanks for separators
    atualizarRegistro(first, walk.bolsista(primeira), false);
    QCOMPARE(first.pendencias.size(), 1);
    QCOMPARE(first.pendencias.at(0).mensagem, QStringLiteral("CPF repetido: também é o CPF do bolsista ANA EXCLUIDA (Excluído)"));
    QVERIFY(walk.bolsista(excluida).has_value());
    data.db().exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid=?"), {excluida});
    atualizarRegistro(first, walk.bolsista(primeira), false);
    QCOMPARE(first.abertas(), 0);
    QVERIFY(Verificar_Erro(data.db()));
    QCOMPARE(runVerification(data), 0);
}

void TestVerificacao::repeatedCpfFromOutsideStopsTheFileOnceAccepted()
{
    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
        QSKIP("sqlite3 is not installed (scripts/install-deps)");
    TestData data;
    const QString cpfA = makeCpf(300000001);
    const qint64 a = data.addAdvisor(cpfA, QStringLiteral("ORIENTADOR A"));
    const QString cpf = makeCpf(400000001);
    data.addHolder(QStringLiteral("ORIGINAL"), cpf, QStringLiteral("Novo"), cpfA, a);
    QVERIFY(Verificar_Erro(data.db()));

    // A copy of the holder inserted with the sqlite3 shell, then accepted.
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"),
                {data.dm().databaseFile(),
                 QStringLiteral("INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, SITUACAO, CODIGO_AGENCIA, "
                                "CPF_ORIENTADOR, NUMERO_ORIENTADOR) SELECT 'COPIA', CPF, SEXO, DATA_NASCIMENTO, SITUACAO, "
                                "CODIGO_AGENCIA, CPF_ORIENTADOR, NUMERO_ORIENTADOR FROM ZELTABOL")});
    QVERIFY(shell.waitForFinished() && shell.exitCode() == 0);
    QString text, err;
    QCOMPARE(cli({QStringLiteral("aceitar"), QStringLiteral("--dados"), data.dir()}, &text, &err), 0);

    QCOMPARE(cli({QStringLiteral("verificar"), QStringLiteral("--dados"), data.dir()}, &text, &err), 1);
    QVERIFY2(text.contains(QStringLiteral("..Bolsista COPIA\n....CPF Inválido\n"))
                 && text.contains(QStringLiteral("..Bolsista ORIGINAL\n....CPF Inválido\n")),
             qPrintable(text));
    QTemporaryDir out;
    QCOMPARE(cli({QStringLiteral("gerar"), QStringLiteral("--destino"), out.path(), QStringLiteral("--dados"), data.dir()}, &text,
                 &err),
             1);
    QVERIFY2(err.contains(
                 QStringLiteral("Bolsista COPIA (%1): CPF repetido: também é o CPF do bolsista ORIGINAL (Novo)").arg(cpf)),
             qPrintable(err));
    QVERIFY(QDir(out.path()).isEmpty());
}

QTEST_MAIN(TestVerificacao)
#include "test_verificacao.moc"
