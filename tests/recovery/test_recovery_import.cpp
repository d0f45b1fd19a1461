// The import of the previous year's file into the tables: what is stored, how
// advisors are matched, the all-or-nothing replacement and the backup copy.
#include "RecoverySample.h"
#include "data/RegisterCopies.h"
#include "exchange/RecoveryImport.h"
#include "exchange/SubmissionCheck.h"
#include "platform/db/Table.h"
#include "platform/system/Error.h"
#include "support/TestData.h"
#include "support/Throws.h"
#include "validation/TVlCpfCgc.h"
#include "validation/Verificacao.h"
#include "support/SourceTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace zelta;
using namespace zelta::sample;
using zelta::test::TestData;
using zelta::test::makeCpf;

namespace {

const QDate kToday(2026, 6, 15);

OldHeader header()
{
    OldHeader h;
    h.nome = QStringLiteral("UNIVERSIDADE NOVA");
    h.numero = QStringLiteral("654321/98-7");
    h.sigla = QStringLiteral("UN");
    h.cota1 = QStringLiteral(" 20");
    h.cota2 = QStringLiteral("  5");
    return h;
}

OldRecord holder(qint64 cpf, const QString& nome, qint64 advisorCpf, const QString& titulo)
{
    OldRecord r;
    r.cpf = cpfDigits(cpf);
    r.nome = nome;
    r.sexo = QStringLiteral("F");
    r.nascimento = QStringLiteral("05/17/80");
    r.processo = QStringLiteral("98000000001");
    r.seguro = QStringLiteral("S");
    r.agencia = QStringLiteral("1234-5");
    r.conta = QStringLiteral("55555-5");
    r.cpfOrientador = advisorCpf ? cpfDigits(advisorCpf) : QString();
    r.nomeOrientador = QStringLiteral("ORIENTADOR %1").arg(advisorCpf);
    r.titulacao = QStringLiteral("4");
    r.titulo = titulo;
    r.chave1 = QStringLiteral("CHAVE");
    r.codArea = QStringLiteral("10101003");
    return r;
}

QString writeFile(const QString& dir, const QByteArray& bytes, const QString& name = QStringLiteral("ANTERIOR.TEX"))
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the test file");
    return path;
}

QByteArray fileOf(const QList<OldRecord>& records, const OldHeader& h = header())
{
    QByteArray out = headerBytes(h);
    for (const OldRecord& r : records)
        out += recordBytes(r);
    return out;
}

RecoveryOptions at(const QDate& today = kToday)
{
    RecoveryOptions o;
    o.today = today;
    return o;
}

// Every row of the three tables as text, to tell whether anything changed.
QStringList dump(TestData& d)
{
    QStringList out;
    for (const char* sql : {"SELECT Numero_Instituicao, Sigla, Cotas, Nome FROM ZELTAINT",
                            "SELECT Codigo, CPF, NOME, TITULACAO, TITULO, COD_AREA FROM ZELTAORI ORDER BY Codigo",
                            "SELECT Nome, CPF, SITUACAO, NUMERO_ORIENTADOR, DATA_NASCIMENTO FROM ZELTABOL ORDER BY rowid"}) {
        plat::db::Statement st = d.db().prepare(QString::fromLatin1(sql));
        while (st.step()) {
            QStringList row;
            for (int c = 0; c < st.columnCount(); ++c)
                row << st.value(c).toString();
            out << row.join(u'|');
        }
    }
    return out;
}

void fillRegister(TestData& d)
{
    d.setInstitution(QStringLiteral("111111111"), QStringLiteral("ANTIGA"), QStringLiteral("INSTITUICAO ANTIGA"), 7);
    const qint64 a = d.addAdvisor(makeCpf(900000001), QStringLiteral("ORIENTADOR ANTIGO"));
    d.addHolder(QStringLiteral("BOLSISTA ANTIGO"), makeCpf(900000002), QStringLiteral("Renovado"), makeCpf(900000001), a);
}

} // namespace

class TestRecoveryImport : public QObject {
    Q_OBJECT

private slots:
    void storesInstitutionHoldersAndAdvisors()
    {
        TestData d;
        OldRecord r = holder(100000001, QStringLiteral("ANA LÚCIA"), 200000001, QStringLiteral("PROJETO UM"));
        r.titulacao = QStringLiteral("3");
        r.chave2 = QStringLiteral("SEGUNDA");
        r.chave3 = QStringLiteral("TERCEIRA");
        const QString path = writeFile(d.dir(), fileOf({r}));

        const RecoveryResult res = recuperarDados(d.dm(), path, at());
        QCOMPARE(res.holders, 1);
        QCOMPARE(res.advisors, 1);
        QCOMPARE(res.institution.sigla, QStringLiteral("UN"));

        QCOMPARE(d.count(QStringLiteral("ZELTAINT")), 1);
        QCOMPARE(d.db()
                     .scalar(QStringLiteral("SELECT Numero_Instituicao||'|'||Sigla||'|'||Cotas||'|'||Nome||'|'||ifnull(Memo,'-') "
                                            "FROM ZELTAINT"))
                     .toString(),
                 QStringLiteral("654321987|UN|25.0|UNIVERSIDADE NOVA|-"));

        plat::db::Statement h = d.db().prepare(QStringLiteral(
            "SELECT Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, CODIGO_AGENCIA, CONTA_BANCO, "
            "CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA FROM ZELTABOL"));
        QVERIFY(h.step());
        QCOMPARE(h.text(0), QStringLiteral("ANA LÚCIA"));
        QCOMPARE(h.text(1), makeCpf(100000001));
        QCOMPARE(h.text(2), QStringLiteral("F"));
        QCOMPARE(h.text(3), QStringLiteral("1980-05-17"));
        QCOMPARE(h.text(4), QStringLiteral("98000000001"));
        QCOMPARE(h.text(5), QStringLiteral("99/97"));
        QCOMPARE(h.text(6), QStringLiteral("Excluído"));
        QCOMPARE(h.text(7), QStringLiteral("S"));
        QCOMPARE(h.text(8), QStringLiteral("1234-5"));
        QCOMPARE(h.text(9), QStringLiteral("55555-5"));
        QCOMPARE(h.text(10), makeCpf(200000001));
        QCOMPARE(h.text(11), QString());
        const qint64 codigo = h.int64(12);
        QCOMPARE(h.text(13), QString());

        plat::db::Statement a = d.db().prepare(QStringLiteral(
            "SELECT Codigo, CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, PESQUISADOR, CATEGORIA, ALTERA "
            "FROM ZELTAORI"));
        QVERIFY(a.step());
        QCOMPARE(a.int64(0), codigo);
        QCOMPARE(a.text(1), makeCpf(200000001));
        QCOMPARE(a.text(2), QStringLiteral("ORIENTADOR 200000001"));
        QCOMPARE(a.text(3), QStringLiteral("M"));
        QCOMPARE(a.text(4), QStringLiteral("PROJETO UM"));
        QCOMPARE(a.text(5), QStringLiteral("CHAVE"));
        QCOMPARE(a.text(6), QStringLiteral("SEGUNDA"));
        QCOMPARE(a.text(7), QStringLiteral("TERCEIRA"));
        QCOMPARE(a.text(8), QStringLiteral("10101003"));
        QCOMPARE(a.text(9), QString());
        QCOMPARE(a.text(10), QString());
        QCOMPARE(a.text(11), QString());
    }

    void oneAdvisorPerDistinctCpfAndTitle()
    {
        TestData d;
        const QString t1 = QStringLiteral("PROJETO A");
        const QString t2 = QStringLiteral("PROJETO B");
        OldRecord padded = holder(100000004, QStringLiteral("QUARTO"), 200000001, QStringLiteral("  PROJETO A  "));
        const QString path = writeFile(d.dir(),
                                       fileOf({
                                           holder(100000001, QStringLiteral("PRIMEIRO"), 200000001, t1),
                                           holder(100000002, QStringLiteral("SEGUNDO"), 200000001, t2),  // same CPF, other title
                                           holder(100000003, QStringLiteral("TERCEIRO"), 200000002, t1), // same title, other CPF
                                           padded,                                                       // same pair once trimmed
                                           holder(100000005, QStringLiteral("QUINTO"), 200000001, t1),
                                       }));
        const RecoveryResult res = recuperarDados(d.dm(), path, at());
        QCOMPARE(res.holders, 5);
        QCOMPARE(res.advisors, 3);
        QCOMPARE(d.count(QStringLiteral("ZELTAORI")), 3);

        auto advisorOf = [&](const QString& nome) {
            return d.db()
                .scalar(QStringLiteral(
                            "SELECT a.CPF||'|'||a.TITULO FROM ZELTABOL b JOIN ZELTAORI a ON a.Codigo=b.NUMERO_ORIENTADOR "
                            "WHERE b.Nome=?"),
                        {nome})
                .toString();
        };
        const QString cpf1 = makeCpf(200000001), cpf2 = makeCpf(200000002);
        QCOMPARE(advisorOf(QStringLiteral("PRIMEIRO")), cpf1 + u'|' + t1);
        QCOMPARE(advisorOf(QStringLiteral("SEGUNDO")), cpf1 + u'|' + t2);
        QCOMPARE(advisorOf(QStringLiteral("TERCEIRO")), cpf2 + u'|' + t1);
        QCOMPARE(advisorOf(QStringLiteral("QUARTO")), cpf1 + u'|' + t1);
        QCOMPARE(advisorOf(QStringLiteral("QUINTO")), cpf1 + u'|' + t1);
        // The advisor's own data come from the first record that brought it.
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT min(Codigo) FROM ZELTAORI")).toLongLong(),
                 d.db().scalar(QStringLiteral("SELECT NUMERO_ORIENTADOR FROM ZELTABOL WHERE Nome='PRIMEIRO'")).toLongLong());
    }

    void matchingAgreesWithAWalkOverTheAdvisors()
    {
        // Many records over few pairs, in a scrambled order: each holder must
        // point to the first advisor row, in Codigo order, with its pair, and
        // every pair must have exactly one row.
        TestData d;
        QList<OldRecord> records;
        for (int i = 0; i < 300; ++i) {
            const int pair = (i * 37) % 23;
            records << holder(300000000 + i, QStringLiteral("B%1").arg(i), 400000000 + pair % 7,
                              QStringLiteral("TITULO %1").arg(pair % 5));
        }
        recuperarDados(d.dm(), writeFile(d.dir(), fileOf(records)), at());
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT CPF, TITULO FROM ZELTAORI)")).toInt(),
                 d.count(QStringLiteral("ZELTAORI")));
        for (const OldRecord& r : std::as_const(records)) {
            const QString cpf = r.cpfOrientador.mid(0, 3) + u'.' + r.cpfOrientador.mid(3, 3) + u'.' + r.cpfOrientador.mid(6, 3)
                                + u'-' + r.cpfOrientador.mid(9, 2);
            const qint64 first = d.db()
                                     .scalar(QStringLiteral("SELECT min(Codigo) FROM ZELTAORI WHERE CPF=? AND TITULO=?"),
                                             {cpf, r.titulo})
                                     .toLongLong();
            QCOMPARE(d.db().scalar(QStringLiteral("SELECT NUMERO_ORIENTADOR FROM ZELTABOL WHERE Nome=?"), {r.nome}).toLongLong(),
                     first);
        }
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 300);
    }

    void blankAdvisorCpfGivesNoAdvisorAndNoLink()
    {
        TestData d;
        OldRecord blank = holder(100000002, QStringLiteral("SEGUNDO"), 200000009, QStringLiteral("PROJETO"));
        blank.cpfOrientador = QString(11, u' ');
        const QString path
            = writeFile(d.dir(), fileOf({holder(100000001, QStringLiteral("PRIMEIRO"), 0, QStringLiteral("PROJETO")), blank}));
        const RecoveryResult res = recuperarDados(d.dm(), path, at());
        QCOMPARE(res.holders, 2);
        QCOMPARE(res.advisors, 0);
        QCOMPARE(d.count(QStringLiteral("ZELTAORI")), 0);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE NUMERO_ORIENTADOR IS NULL")).toInt(), 2);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT CPF_ORIENTADOR FROM ZELTABOL WHERE Nome='PRIMEIRO'")).toString(),
                 QStringLiteral("   .   .   -  "));
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT CPF_ORIENTADOR FROM ZELTABOL WHERE Nome='SEGUNDO'")).toString(),
                 QStringLiteral("   .   .   -  "));
    }

    void fileThatCannotBeReadInPlaceChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        QList<OldRecord> records;
        for (int i = 0; i < 30; ++i)
            records << holder(100000001 + i, QStringLiteral("BOLSISTA %1").arg(i), 200000001 + i % 3, QStringLiteral("P"));
        const QByteArray whole = fileOf(records);
        const int head = RecoveryFile::kHeaderSize, rec = RecoveryFile::kRecordSize;
        // The last record moved one position left inside its own length: its
        // line end is in place, its CPF slot ends with the name's first letter.
        const QByteArray last = whole.mid(head + 29 * rec, rec);
        QTest::newRow("last record shifted") << whole.left(head + 29 * rec) + last.mid(1, rec - 3) + " \r\n"
                                             << QStringLiteral("B\" no lugar do CPF do bolsista, na linha 31 (registro 30)");
        QTest::newRow("cut short") << whole.left(head + 29 * rec + 100)
                                   << QStringLiteral("termina no meio do registro 30 (linha 31), com 100 dos seus 517 "
                                                     "caracteres: a cópia do arquivo está incompleta. Ele tem 29 registro(s) "
                                                     "completo(s)");
        QTest::newRow("a holder twice")
            << whole + whole.mid(head + 4 * rec, rec)
            << QStringLiteral("dois registros de bolsista com o CPF %1, nas linhas 6 e 32").arg(makeCpf(100000005));
        QTest::newRow("Ctrl+Z between records") << whole.left(head + 3 * rec) + '\x1a' + whole.mid(head + 3 * rec)
                                                << QStringLiteral("(Ctrl+Z) na linha 5 (registro 4), posição 1");
        QByteArray undefined = whole;
        undefined[head + 7 * rec + 20] = '\x9d';
        QTest::newRow("byte without a character") << undefined << QStringLiteral("byte 0x9D na linha 9 (registro 8), posição 21");
    }
    void fileThatCannotBeReadInPlaceChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        TestData d;
        fillRegister(d);
        const QStringList before = dump(d);
        const std::optional<QString> refused = zelta::test::thrown(plat::Error::Kind::Input, [&] {
            recuperarDados(d.dm(), writeFile(d.dir(), bytes), at());
        });
        QVERIFY(refused.has_value());
        QVERIFY2(refused->contains(says), qPrintable(*refused));
        QCOMPARE(dump(d), before);
    }

    void blankHolderCpfDropsTheWholeRecord()
    {
        TestData d;
        OldRecord gone = holder(100000001, QStringLiteral("APAGADO"), 200000005, QStringLiteral("SO DELE"));
        gone.cpf = QString();
        const QString path = writeFile(d.dir(), fileOf({gone, holder(100000002, QStringLiteral("SEGUINTE"), 200000001,
                                                                     QStringLiteral("PROJETO"))}));
        const RecoveryResult res = recuperarDados(d.dm(), path, at());
        QCOMPARE(res.droppedHolders, 1);
        QCOMPARE(res.holders, 1);
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 1);
        // The dropped record's advisor would have no holder at all.
        QCOMPARE(d.count(QStringLiteral("ZELTAORI")), 1);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT CPF FROM ZELTAORI")).toString(), makeCpf(200000001));
    }

    void birthDateThatDoesNotConvertIsLeftEmpty()
    {
        TestData d;
        OldRecord dayFirst = holder(100000001, QStringLiteral("DIA PRIMEIRO"), 200000001, QStringLiteral("P"));
        dayFirst.nascimento = QStringLiteral("31/12/78");
        OldRecord monthFirst = holder(100000002, QStringLiteral("MES PRIMEIRO"), 200000001, QStringLiteral("P"));
        monthFirst.nascimento = QStringLiteral("12/31/78");
        OldRecord sexX = holder(100000003, QStringLiteral("SEXO X"), 200000001, QStringLiteral("P"));
        sexX.sexo = QStringLiteral("X");
        const RecoveryResult result = recuperarDados(d.dm(), writeFile(d.dir(), fileOf({dayFirst, monthFirst, sexX})), at());
        QVERIFY(d.db().scalar(QStringLiteral("SELECT DATA_NASCIMENTO FROM ZELTABOL WHERE Nome='DIA PRIMEIRO'")).isNull());
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT DATA_NASCIMENTO FROM ZELTABOL WHERE Nome='MES PRIMEIRO'")).toString(),
                 QStringLiteral("1978-12-31"));

        // The summary counts what was not read, and once the holders are
        // renewed the verification and the pre-check name exactly those.
        QCOMPARE(result.unreadBirthDates, 1);
        QCOMPARE(result.unreadSexes, 1);
        QCOMPARE(camposNaoLidos(result), QStringLiteral("2 campo(s) do arquivo não puderam ser lidos (1 data(s) de "
                                                        "nascimento, 1 sexo(s)); a verificação do preenchimento "
                                                        "indicará os bolsistas."));
        QVERIFY(camposNaoLidos(RecoveryResult()).isEmpty());
        d.db().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO='Renovado'"));
        TVlCpfCgc validator;
        Verificacao v(d.dm(), validator);
        QCOMPARE(v.run(), 2);
        const QStringList log = v.log();
        QCOMPARE(log.mid(2, 4),
                 (QStringList{QStringLiteral("..Bolsista DIA PRIMEIRO"), QStringLiteral("....Data de Nascimento Inválido"),
                              QStringLiteral("..Bolsista SEXO X"), QStringLiteral("....Sexo Inválido")}));
        QVERIFY(!Verificar_Erro(d.db()));
        d.db().exec(QStringLiteral("DELETE FROM ZELTABOL WHERE Nome<>'MES PRIMEIRO'"));
        QVERIFY(Verificar_Erro(d.db()));
    }

    void fileEndingAfterItsHeaderLeavesOnlyTheInstitution()
    {
        TestData d;
        fillRegister(d);
        const RecoveryResult res = recuperarDados(d.dm(), writeFile(d.dir(), headerBytes(header()) + "\r\n\x1a"), at());
        QCOMPARE(res.holders, 0);
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 0);
        QCOMPARE(d.count(QStringLiteral("ZELTAORI")), 0);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT Sigla FROM ZELTAINT")).toString(), QStringLiteral("UN"));
    }

    void recordCutShortRefusesTheFile()
    {
        TestData d;
        fillRegister(d);
        const QStringList before = dump(d);
        const QByteArray last = recordBytes(holder(100000002, QStringLiteral("CORTADO"), 200000002, QStringLiteral("P")));
        const QByteArray bytes = fileOf({holder(100000001, QStringLiteral("INTEIRO"), 200000001, QStringLiteral("P"))})
                                 + last.left(200);
        const std::optional<QString> refused = zelta::test::thrown(plat::Error::Kind::Input, [&] {
            recuperarDados(d.dm(), writeFile(d.dir(), bytes), at());
        });
        QVERIFY(refused.has_value());
        QVERIFY2(refused->contains(QStringLiteral("com 200 dos seus 517 caracteres")), qPrintable(*refused));
        QVERIFY2(refused->contains(QStringLiteral("Ele tem 1 registro(s) completo(s)")), qPrintable(*refused));
        QCOMPARE(dump(d), before);
        QVERIFY(RegisterCopies::list(d.dir()).isEmpty()); // refused before the copy
    }

    // The advisor CPF of a record may begin with three blanks and go on with
    // digits: the advisor row is not kept, the holder comes in without an
    // advisor, and once renewed the verification names it.
    void advisorCpfBeginningWithBlanksLeavesTheHolderWithoutAdvisor()
    {
        TestData d;
        OldRecord noAdvisor = holder(100000001, QStringLiteral("SEM ORIENTADOR"), 0, QStringLiteral("PROJETO"));
        noAdvisor.cpfOrientador = QStringLiteral("   45678901");
        OldRecord again = noAdvisor;
        again.cpf = cpfDigits(100000002);
        again.nome = QStringLiteral("TAMBEM SEM");
        const RecoveryResult res = recuperarDados(d.dm(),
                                                  writeFile(d.dir(), fileOf({noAdvisor, again,
                                                                             holder(100000003, QStringLiteral("COM ORIENTADOR"),
                                                                                    200000001, QStringLiteral("P"))})),
                                                  at());
        QCOMPARE(res.holders, 3);
        QCOMPARE(res.advisors, 1);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT group_concat(CPF) FROM ZELTAORI")).toString(), makeCpf(200000001));
        QCOMPARE(d.db()
                     .scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE NUMERO_ORIENTADOR IS NULL AND "
                                            "CPF_ORIENTADOR='   .456.789-01'"))
                     .toInt(),
                 2);
        d.db().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO='Renovado' WHERE Nome='SEM ORIENTADOR'"));
        TVlCpfCgc validator;
        Verificacao v(d.dm(), validator);
        QCOMPARE(v.run(), 1);
        QCOMPARE(v.log().mid(2, 2),
                 (QStringList{QStringLiteral("..Bolsista SEM ORIENTADOR"), QStringLiteral("....Bolsista sem Orientador")}));
    }

    // A letter where the degree code goes (a record shifted there, or a code
    // the program never wrote) is read as no degree, counted in the summary
    // and named by the verification once the advisor has a renewed holder.
    void degreeOtherThanThreeOrFourIsCountedAndNamed()
    {
        TestData d;
        OldRecord lettered = holder(100000001, QStringLiteral("PRIMEIRO"), 200000001, QStringLiteral("PROJETO X"));
        lettered.titulacao = QStringLiteral("X");
        OldRecord sameAdvisor = holder(100000002, QStringLiteral("SEGUNDO"), 200000001, QStringLiteral("PROJETO X"));
        const RecoveryResult res = recuperarDados(d.dm(), writeFile(d.dir(), fileOf({lettered, sameAdvisor})), at());
        QCOMPARE(res.advisors, 1);
        QCOMPARE(res.unreadDegrees, 1); // per advisor stored, not per record
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT TITULACAO FROM ZELTAORI")).toString(), QString());
        QCOMPARE(camposNaoLidos(res), QStringLiteral("1 campo(s) do arquivo não puderam ser lidos (1 titulação(ões) de "
                                                     "orientador); a verificação do preenchimento indicará os orientadores."));
        RecoveryResult both = res;
        both.unreadSexes = 2;
        QCOMPARE(camposNaoLidos(both), QStringLiteral("3 campo(s) do arquivo não puderam ser lidos (2 sexo(s), 1 titulação(ões) "
                                                      "de orientador); a verificação do preenchimento indicará os bolsistas e "
                                                      "os orientadores."));

        d.db().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO='Renovado' WHERE Nome='PRIMEIRO'"));
        TVlCpfCgc validator;
        Verificacao v(d.dm(), validator);
        QCOMPARE(v.run(), 1);
        QVERIFY2(v.log().contains(QStringLiteral("....Titulação Inválida")), qPrintable(v.log().join(u'|')));
        QVERIFY(!Verificar_Erro(d.db()));
    }

    void advisorNumbersStartAgainAfterTheReplacement()
    {
        TestData d;
        for (int i = 0; i < 5; ++i)
            d.addAdvisor(makeCpf(900000010 + i), QStringLiteral("VELHO %1").arg(i));
        recuperarDados(d.dm(), writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P"))})), at());
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT Codigo FROM ZELTAORI")).toLongLong(), 1);
    }

    void badQuotaChangesNothing()
    {
        TestData d;
        fillRegister(d);
        const QStringList before = dump(d);
        OldHeader h = header();
        h.cota2 = QStringLiteral(" x1");
        const QString path = writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P"))}, h));
        try {
            recuperarDados(d.dm(), path, at());
            QFAIL("a bad quota was imported");
        } catch (const plat::Error& e) {
            QCOMPARE(e.kind(), plat::Error::Kind::Input);
            QCOMPARE(e.message(), QStringLiteral("'x1' is not a valid integer value"));
        }
        QCOMPARE(dump(d), before);
        QVERIFY(RegisterCopies::list(d.dir()).isEmpty()); // refused before the copy
    }

    void missingFileChangesNothing()
    {
        TestData d;
        fillRegister(d);
        const QStringList before = dump(d);
        QVERIFY(zelta::test::throws(plat::Error::Kind::Input,
                                    [&] { recuperarDados(d.dm(), QDir(d.dir()).filePath(QStringLiteral("NADA.TEX")), at()); }));
        QCOMPARE(dump(d), before);
    }

    void tableFailureHalfwayLeavesTheThreeTablesAsTheyWere()
    {
        TestData d;
        fillRegister(d);
        // The table refuses the third holder, after the institution, two
        // holders and their advisors have been written.
        d.db().exec(QStringLiteral("CREATE TRIGGER recusa BEFORE INSERT ON ZELTABOL WHEN NEW.Nome='TERCEIRO' "
                                   "BEGIN SELECT RAISE(ABORT, 'gravação recusada'); END"));
        const QStringList before = dump(d);
        // The indexes, which the import rebuilds after its rows, come back too.
        const QString indexes = QStringLiteral("SELECT group_concat(name||sql, ';') FROM (SELECT name, sql FROM sqlite_master "
                                               "WHERE type='index' ORDER BY name)");
        const QString indexesBefore = d.db().scalar(indexes).toString();
        const QString path = writeFile(d.dir(), fileOf({holder(1, QStringLiteral("PRIMEIRO"), 7, QStringLiteral("P")),
                                                        holder(2, QStringLiteral("SEGUNDO"), 8, QStringLiteral("P")),
                                                        holder(3, QStringLiteral("TERCEIRO"), 9, QStringLiteral("P"))}));
        try {
            recuperarDados(d.dm(), path, at());
            QFAIL("the refused row did not stop the import");
        } catch (const plat::Error& e) {
            QVERIFY2(e.message().contains(QStringLiteral("gravação recusada")), qPrintable(e.message()));
        }
        QCOMPARE(dump(d), before);
        QCOMPARE(d.db().scalar(indexes).toString(), indexesBefore);
        QCOMPARE(d.db().transactionDepth(), 0);
        // The database takes a later import normally.
        d.db().exec(QStringLiteral("DROP TRIGGER recusa"));
        QCOMPARE(recuperarDados(d.dm(), path, at()).holders, 3);
    }

    void cursorInUseByAnotherWindowStopsTheImportCleanly()
    {
        TestData d;
        fillRegister(d);
        const QStringList before = dump(d);
        plat::db::Table own(d.db(), QStringLiteral("ZELTABOL")); // a window's own cursor
        own.open();
        QVERIFY_THROWS_EXCEPTION(
            plat::Error,
            recuperarDados(d.dm(), writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P"))})), at()));
        own.close();
        QCOMPARE(dump(d), before);
    }

    void dataModuleCursorsAreReopenedOnTheNewContent()
    {
        TestData d;
        fillRegister(d);
        d.dm().Tb_Bolsistas->open();
        d.dm().Tb_Orientador->open();
        QVERIFY(!d.dm().Tb_Instituicao->isOpen());
        recuperarDados(d.dm(), writeFile(d.dir(), fileOf({holder(1, QStringLiteral("NOVO BOLSISTA"), 2, QStringLiteral("P"))})),
                       at());
        QVERIFY(d.dm().Tb_Bolsistas->isOpen());
        QVERIFY(d.dm().Tb_Orientador->isOpen());
        QVERIFY(!d.dm().Tb_Instituicao->isOpen());
        QCOMPARE(d.dm().Tb_Bolsistas->field(QStringLiteral("Nome")).asString(), QStringLiteral("NOVO BOLSISTA"));
        QCOMPARE(d.dm().Tb_Bolsistas->recordCount(), 1);
    }

    void progressGoesThroughItsSteps()
    {
        TestData d;
        QList<int> steps;
        RecoveryOptions o = at();
        o.progress = [&](int p) { steps << p; };
        recuperarDados(d.dm(),
                       writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P")),
                                                  holder(3, QStringLiteral("B"), 2, QStringLiteral("P"))})),
                       o);
        QCOMPARE(steps, (QList<int>{5, 10, 15, 35, 65, 100}));
    }

    void backupKeepsTheRegisterBeingReplaced()
    {
        TestData d;
        fillRegister(d);
        RecoveryOptions o = at();
        o.now = QDateTime(QDate(2026, 2, 3), QTime(4, 5, 6));
        const RecoveryResult res
            = recuperarDados(d.dm(), writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P"))})), o);
        QCOMPARE(res.backupFile, QDir(d.dir()).filePath(QStringLiteral("backups/zelta99-20260203-040506-recuperacao.db")));
        QVERIFY(QFileInfo::exists(res.backupFile));

        // The copy is a database of its own holding the old register.
        TDm_Dados old(QDir(d.dir()).filePath(QStringLiteral("restaurado")));
        QDir().mkpath(old.dataDirectory());
        QVERIFY(QFile::copy(res.backupFile, old.databaseFile()));
        QCOMPARE(old.database().scalar(QStringLiteral("SELECT Sigla FROM ZELTAINT")).toString(), QStringLiteral("ANTIGA"));
        QCOMPARE(old.database().scalar(QStringLiteral("SELECT Nome FROM ZELTABOL")).toString(),
                 QStringLiteral("BOLSISTA ANTIGO"));
        QCOMPARE(old.database().scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI")).toInt(), 1);
    }

    void backupKeepsTheFiveMostRecentCopies()
    {
        TestData d;
        fillRegister(d);
        const QString path = writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P"))}));
        QStringList taken;
        for (int i = 0; i < 7; ++i) {
            // Each run finds other data, so each copy is distinct.
            d.addHolder(QStringLiteral("EXTRA %1").arg(i), makeCpf(700000 + i));
            RecoveryOptions o = at();
            o.now = QDateTime(QDate(2026, 1, 1 + i), QTime(10, 0, 0));
            taken << recuperarDados(d.dm(), path, o).backupFile;
        }
        // Two imports within one second keep both copies.
        RecoveryOptions same = at();
        same.now = QDateTime(QDate(2026, 1, 7), QTime(10, 0, 0));
        d.addHolder(QStringLiteral("EXTRA 7"), makeCpf(700007));
        taken << recuperarDados(d.dm(), path, same).backupFile;
        QCOMPARE(taken.last(), QDir(d.dir()).filePath(QStringLiteral("backups/zelta99-20260107-100000-2-recuperacao.db")));

        const QStringList kept = RegisterCopies::list(d.dir());
        QCOMPARE(kept, taken.mid(3));
        // A file of the user's own in the folder is never removed.
        QFile own(QDir(RegisterCopies::folder(d.dir())).filePath(QStringLiteral("minha-copia.db")));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.close();
        RecoveryOptions later = at();
        later.now = QDateTime(QDate(2026, 3, 1), QTime(9, 0, 0));
        d.addHolder(QStringLiteral("EXTRA 8"), makeCpf(700008));
        recuperarDados(d.dm(), path, later);
        QVERIFY(own.exists());
        QCOMPARE(RegisterCopies::list(d.dir()).size(), RegisterCopies::kKept);
    }

    void lockedRegisterFailsWithoutACopy()
    {
        TestData d;
        fillRegister(d);
        const QString older = RegisterCopies::take(d.db(), d.dir()).path;
        const QStringList before = dump(d);
        plat::db::Database other;
        other.open(QDir(d.dir()).filePath(QStringLiteral("zelta99.db")), false);
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        QVERIFY_THROWS_EXCEPTION(
            plat::Error,
            recuperarDados(d.dm(), writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P"))})), at()));
        other.exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(RegisterCopies::list(d.dir()), QStringList{older});
        QCOMPARE(dump(d), before);
    }

    void freshDatabaseNeedsNoCopy()
    {
        TestData d;
        const RecoveryResult res
            = recuperarDados(d.dm(), writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P"))})), at());
        QVERIFY(res.backupFile.isEmpty());
        QVERIFY(!QFileInfo::exists(RegisterCopies::folder(d.dir())));
    }

    void backupThatCannotBeWrittenStopsTheImport()
    {
        TestData d;
        fillRegister(d);
        const QStringList before = dump(d);
        // A file where the folder of copies should be: no copy can be made.
        QFile blocker(RegisterCopies::folder(d.dir()));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        try {
            recuperarDados(d.dm(), writeFile(d.dir(), fileOf({holder(1, QStringLiteral("A"), 2, QStringLiteral("P"))})), at());
            QFAIL("the import went on without its copy");
        } catch (const plat::Error& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Não foi possível criar a pasta de cópias de segurança")),
                     qPrintable(e.message()));
        }
        QCOMPARE(dump(d), before);
    }

    void shippedSampleMatchesItsGeneratorAndImports()
    {
        const QString shipped = zelta::test::sourceDir() + QStringLiteral("/resources/exemplo/EXEMPLO.TEX");
        QFile f(shipped);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(shipped));
        QCOMPARE(f.readAll(), sampleFile());

        TestData d;
        const RecoveryResult res = recuperarDados(d.dm(), shipped, at());
        QCOMPARE(res.holders, 12);
        QCOMPARE(res.advisors, 6);
        QCOMPARE(res.institution.numero, QStringLiteral("123456789"));
        QCOMPARE(res.institution.cotas, 15);
        // Every area code of the sample is one the area table knows.
        QCOMPARE(d.db()
                     .scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI a WHERE NOT EXISTS (SELECT 1 FROM GRANDE_A g "
                                            "WHERE replace(replace(g.CODIGO,'.',''),'-','')=a.COD_AREA)"))
                     .toInt(),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestRecoveryImport)
#include "test_recovery_import.moc"
