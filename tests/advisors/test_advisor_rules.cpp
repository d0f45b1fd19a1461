// The advisor entry form's rules that do not need a window: the required-field
// checks in their order, area codes, the title's capitals and the messages.
#include "advisors/AdvisorReassignment.h"
#include "advisors/AdvisorRules.h"
#include "data/AreaTree.h"
#include "platform/system/Cp1252.h"
#include "platform/system/Error.h"
#include "support/TestData.h"

#include <QTest>

using namespace zelta;
using zelta::test::makeCpf;
using zelta::test::TestData;

namespace {

AdvisorEntry complete()
{
    AdvisorEntry e;
    e.nome = QStringLiteral("ANA");
    e.titulacao = 0;
    e.titulo = QStringLiteral("TITULO");
    e.palavra1 = QStringLiteral("A");
    e.subarea = QStringLiteral("ADMINISTRACAO");
    return e;
}

QStringList words(const char* a, const char* b, const char* c)
{
    return {QString::fromUtf8(a), QString::fromUtf8(b), QString::fromUtf8(c)};
}

// A holder's advisor as stored: "CPF #number".
QString advisorOf(TestData& data, qint64 holder)
{
    const QVariant cpf = data.db().scalar(QStringLiteral("SELECT CPF_ORIENTADOR FROM ZELTABOL WHERE rowid=?"), {holder});
    const QVariant n = data.db().scalar(QStringLiteral("SELECT NUMERO_ORIENTADOR FROM ZELTABOL WHERE rowid=?"), {holder});
    return cpf.toString() + QStringLiteral(" #") + n.toString();
}

// A holder marked to go to the advisor of CPF target, as the reassignment window marks it.
void markHolder(TestData& data, qint64 holder, const QString& target)
{
    data.db().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA='S', CPF_EXORIENTADOR=? WHERE rowid=?"), {target, holder});
}

void markAdvisor(TestData& data, qint64 codigo)
{
    data.db().exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA='S' WHERE Codigo=?"), {codigo});
}

} // namespace

class TestAdvisorRules : public QObject {
    Q_OBJECT
private slots:
    void onlyTheLastFailingCheckSpeaks_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<int>("titulacao");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QStringList>("palavras");
        QTest::addColumn<QString>("subarea");
        QTest::addColumn<QString>("message");
        const QString area = QStringLiteral("ADMINISTRACAO");
        const QStringList ok{QStringLiteral("A"), QString(), QString()};
        QTest::newRow("complete") << "ANA" << 0 << "T" << ok << area << QString();
        QTest::newRow("name") << "" << 1 << "T" << ok << area << QStringLiteral(" Nome do Orientador preenchimento obrigatório");
        QTest::newRow("a blank is a name") << " " << 1 << "T" << ok << area << QString();
        QTest::newRow("degree") << "ANA" << -1 << "T" << ok << area << QStringLiteral("Titulação preenchimento obrigatório");
        QTest::newRow("title over name") << "" << 0 << "" << ok << area << QStringLiteral("Titulos preenchimento obrigatório");
        QTest::newRow("no keyword") << "ANA" << 0 << "T" << words("", "", "") << area
                                    << QStringLiteral("Palavra chave pelo menos uma deve ser preenchida");
        QTest::newRow("A A empty") << "ANA" << 0 << "T" << words("A", "A", "") << area
                                   << QStringLiteral("Palavra chave 1 igual Palavra chave 2");
        QTest::newRow("A empty A") << "ANA" << 0 << "T" << words("A", "", "A") << area
                                   << QStringLiteral("Palavra chave 1 igual Palavra chave 3");
        QTest::newRow("A A A: the last pair")
            << "ANA" << 0 << "T" << words("A", "A", "A") << area << QStringLiteral("Palavra chave 2 igual Palavra chave 3");
        QTest::newRow("empty empty X") << "ANA" << 0 << "T" << words("", "", "X") << area << QString();
        QTest::newRow("exact comparison") << "ANA" << 0 << "T" << words("A", "A ", "a") << area << QString();
        QTest::newRow("name and area: the area")
            << "" << 0 << "T" << ok << "" << QStringLiteral("Área preenchimento obrigatório");
        QTest::newRow("everything missing") << "" << -1 << "" << words("", "", "") << ""
                                            << QStringLiteral("Área preenchimento obrigatório");
    }
    void onlyTheLastFailingCheckSpeaks()
    {
        QFETCH(QString, nome);
        QFETCH(int, titulacao);
        QFETCH(QString, titulo);
        QFETCH(QStringList, palavras);
        QFETCH(QString, subarea);
        QFETCH(QString, message);
        AdvisorEntry e;
        e.nome = nome;
        e.titulacao = titulacao;
        e.titulo = titulo;
        e.palavra1 = palavras.at(0);
        e.palavra2 = palavras.at(1);
        e.palavra3 = palavras.at(2);
        e.subarea = subarea;
        QCOMPARE(advisorEntryProblem(e), message);
        QVERIFY(advisorEntryProblem(complete()).isEmpty());
    }

    void areaCodesAndDigits()
    {
        QCOMPARE(areaCodeDigits(QStringLiteral("1.02.03.04-5")), QStringLiteral("10203045"));
        QCOMPARE(areaCodeFromDigits(QStringLiteral("10203045")), QStringLiteral("1.02.03.04-5"));
        QCOMPARE(areaCodeFromDigits(QString()), QStringLiteral("...-"));
        // Every code of the shipped tree survives the round trip.
        for (const AreaNode& n : areaTree())
            QCOMPARE(areaCodeFromDigits(areaCodeDigits(n.code)), n.code);
    }

    void titlesRaiseAccentedLettersTheSetCarries()
    {
        QCOMPARE(plat::sys::upperCp1252(QStringLiteral("análise de dados")), QStringLiteral("ANÁLISE DE DADOS"));
        QCOMPARE(plat::sys::upperCp1252(QStringLiteral("ção 2º z ñ ÿ")), QStringLiteral("ÇÃO 2º Z Ñ Ÿ"));
        // ß and µ stay: their capitals are not in Windows-1252.
        QCOMPARE(plat::sys::upperCp1252(QStringLiteral("ßµ")), QStringLiteral("ßµ"));
    }

    void messagesAsShown()
    {
        const QString br = QStringLiteral("\n\r"); // LF, then CR
        QCOMPARE(advisorText::areaNotFound(),
                 QStringLiteral("Código de Área Inexistente !!!") + br + br + QStringLiteral("Você tem duas opções :") + br
                     + QStringLiteral("* digitar o código correto; ou") + br
                     + QStringLiteral("* selecionar a área através do botão ") + u'"' + QStringLiteral("Área") + u'"');
        QCOMPARE(advisorText::confirmDelete(), QStringLiteral("Tem certeza que deseja excluir ?") + br
                                                   + QStringLiteral("Esta operação apagará todas as informações do orientador."));
        QCOMPARE(advisorText::cpfOfHolder(QStringLiteral("JOSÉ")),
                 QStringLiteral("CPF já utilizado pelo bolsista") + br + QStringLiteral("JOSÉ") + br);
        QCOMPARE(categoriaCodes().join(u','), QStringLiteral("1A,1B,1C,2A,2B,2C"));
    }

    void reassignmentMovesEveryHolderAndDeletesAllOrNothing()
    {
        TestData data;
        const QString gone = makeCpf(1), two = makeCpf(2), other = makeCpf(3);
        const qint64 x = data.addAdvisor(gone, QStringLiteral("SAI"));
        const qint64 y1 = data.addAdvisor(two, QStringLiteral("DOIS PROJETO A"));
        const qint64 y2 = data.addAdvisor(two, QStringLiteral("DOIS PROJETO B"));
        const qint64 z = data.addAdvisor(other, QStringLiteral("TRES"));
        const qint64 ana = data.addHolder(QStringLiteral("ANA"), makeCpf(11), QStringLiteral("Novo"), gone, x);
        const qint64 bia = data.addHolder(QStringLiteral("BIA"), makeCpf(12), QStringLiteral("Novo"), gone, x);
        const qint64 caio = data.addHolder(QStringLiteral("CAIO"), makeCpf(13), QStringLiteral("Novo"), gone, x);
        const qint64 davi = data.addHolder(QStringLiteral("DAVI"), makeCpf(14), QStringLiteral("Novo"), other, z);
        for (qint64 a : {x, y2, z})
            markAdvisor(data, a);
        markHolder(data, ana, two);   // picked: the second project of that person
        markHolder(data, bia, other); // no pick of the window: the first record of the CPF
        markHolder(data, caio, two);  // picked a record that no longer has the CPF
        const AdvisorPicks picks{{makeCpf(11), y2}, {makeCpf(13), z}};

        // The record to delete is no longer marked: nothing moves.
        data.db().exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA=' ' WHERE Codigo=?"), {x});
        QVERIFY_THROWS_EXCEPTION(plat::Error, reassignHoldersAndDeleteAdvisor(data.db(), gone, x, picks));
        for (qint64 h : {ana, bia, caio})
            QCOMPARE(advisorOf(data, h), gone + QStringLiteral(" #%1").arg(x));
        QCOMPARE(data.count(QStringLiteral("ZELTAORI")), 4);

        markAdvisor(data, x);
        reassignHoldersAndDeleteAdvisor(data.db(), gone, x, picks);
        QCOMPARE(advisorOf(data, ana), two + QStringLiteral(" #%1").arg(y2));
        QCOMPARE(advisorOf(data, bia), other + QStringLiteral(" #%1").arg(z));
        QCOMPARE(advisorOf(data, caio), two + QStringLiteral(" #%1").arg(y1));
        QCOMPARE(advisorOf(data, davi), other + QStringLiteral(" #%1").arg(z)); // not marked: untouched
        QCOMPARE(data.db().scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI WHERE Codigo=?"), {x}).toInt(), 0);
        QCOMPARE(data.count(QStringLiteral("ZELTAORI")), 3);

        // The marks go from every record, also from those that never had one.
        data.db().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA='', CPF_EXORIENTADOR='' WHERE rowid=?"), {davi});
        clearReassignmentMarks(data.db());
        QCOMPARE(data.db().scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI WHERE ALTERA IS NOT ' '")).toInt(), 0);
        const QString marked = QStringLiteral(
            "SELECT count(*) FROM ZELTABOL WHERE ALTERA IS NOT ' ' OR CPF_EXORIENTADOR IS NOT ' '");
        QCOMPARE(data.db().scalar(marked).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAdvisorRules)
#include "test_advisor_rules.moc"
