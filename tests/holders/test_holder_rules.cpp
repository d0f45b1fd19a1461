// The holder registry's rules: the quota arithmetic, the required-field checks
// of the entry form, and the look-up of a holder's advisor.
#include "data/CpfOwners.h"
#include "data/TDm_Dados.h"
#include "holders/HolderRules.h"
#include "platform/system/Error.h"
#include "support/TestData.h"

#include <QTest>

using namespace zelta;
using namespace zelta::test;

class TestHolderRules : public QObject {
    Q_OBJECT

private slots:
    void quotaAllowsUpToCotas()
    {
        QVERIFY(!quotaFull(QStringLiteral("9"), QStringLiteral("10"))); // 6 RN + 3 NV
        QVERIFY(quotaFull(QStringLiteral("10"), QStringLiteral("10"))); // 6 RN + 4 NV
        QVERIFY(quotaFull(QStringLiteral("0"), QStringLiteral("0")));
        QVERIFY(quotaFull(QStringLiteral("12"), QStringLiteral("10")));
    }

    void quotaThatIsNoWholeNumberStopsTheOperation()
    {
        QVERIFY_THROWS_EXCEPTION(plat::Error, quotaFull(QStringLiteral("3"), QString()));
        QVERIFY_THROWS_EXCEPTION(plat::Error, quotaFull(QStringLiteral("3"), cotasText(10.5)));
        QCOMPARE(cotasText(10), QStringLiteral("10"));
    }

    void twoLetterCodesBecomeWords()
    {
        QCOMPARE(situacaoWord(QStringLiteral("NV")), QStringLiteral("Novo"));
        QCOMPARE(situacaoWord(QStringLiteral("RN")), QStringLiteral("Renovado"));
        QCOMPARE(situacaoWord(QStringLiteral("EX")), QStringLiteral("Excluído"));
        QCOMPARE(situacaoWord(QStringLiteral("Renovado")), QStringLiteral("Renovado"));
        QCOMPARE(situacaoWord(QStringLiteral("rn")), QStringLiteral("rn"));
    }

    void branchCode()
    {
        QVERIFY(branchCodeFilled(QStringLiteral("12")));
        QVERIFY(branchCodeFilled(QStringLiteral("1234-5")));
        QVERIFY(branchCodeFilled(QStringLiteral("1234 "))); // only the first four count
        QVERIFY(!branchCodeFilled(QString()));
        QVERIFY(!branchCodeFilled(QStringLiteral(" 123")));
        QVERIFY(!branchCodeFilled(QStringLiteral("12 4")));
        QVERIFY(!branchCodeFilled(QStringLiteral("123 -5")));
    }

    void birthDate()
    {
        QVERIFY(birthDateFilled(QStringLiteral("17/05/1980")));
        QVERIFY(!birthDateFilled(QStringLiteral("17/05/    ")));
        QVERIFY(!birthDateFilled(QStringLiteral("  /  /    ")));
        QVERIFY(!birthDateFilled(QString()));
    }

    void requiredChecksKeepTheLastFailingMessage()
    {
        HolderEntry ok{QStringLiteral("ANA"), 0, QStringLiteral("01/02/1990"), QStringLiteral("12"),
                       QStringLiteral("111.444.777-35")};
        QVERIFY(holderEntryProblems(ok).isEmpty());

        HolderEntry e = ok;
        e.nome.clear();
        e.cpfOrientador.clear();
        e.sexo = -1;
        const QList<HolderProblem> p = holderEntryProblems(e);
        QCOMPARE(p.size(), 3);
        QCOMPARE(p.at(0).check, HolderCheck::Sexo);
        QCOMPARE(p.at(1).check, HolderCheck::Orientador);
        QCOMPARE(p.last().message, QStringLiteral("Nome campo obrigatório"));

        e = ok;
        e.agencia = QStringLiteral(" 12");
        QCOMPARE(holderEntryProblems(e).last().message, QStringLiteral("Código da agencia campo obrigatório"));
        e.nascimento = QStringLiteral("01/02/19  ");
        QCOMPARE(holderEntryProblems(e).first().message, QStringLiteral("Data de nascimento campo obrigatório"));
        e = ok;
        e.cpfOrientador.clear();
        QCOMPARE(holderEntryProblems(e).last().message, QStringLiteral("orientador campo obrigatório"));
    }

    void messagesBreakLinesWithLfCr()
    {
        const QString br = QStringLiteral("\n\r"); // LF, then CR
        QCOMPARE(holderText::quotaFullNovo(), QStringLiteral("Limite Máximo de Cotas Alcançado"));
        QCOMPARE(holderText::quotaFullRenovar(), QStringLiteral("Limite máximo de cotas "));
        QCOMPARE(holderText::confirmDeleteNovo(),
                 QStringLiteral("Tem certeza que deseja excluir ?") + br
                     + QStringLiteral("Esta operação apagará todas as informações do bolsista."));
        QCOMPARE(holderText::confirmDeleteRenovado(),
                 QStringLiteral("Tem certeza que deseja excluir ?") + br
                     + QStringLiteral("Esta operação não apagará as informações do bolsista,") + br
                     + QStringLiteral("somente alterará a situação de Renovado para Excluído."));
        QCOMPARE(holderText::cpfOfAdvisor(QStringLiteral("JOSE")),
                 QStringLiteral("CPF já utilizado pelo orientador") + br + QStringLiteral("JOSE"));
        QCOMPARE(holderText::cpfOfHolder(QStringLiteral("BIA")),
                 QStringLiteral("CPF já utilizado pelo bolsista") + br + QStringLiteral("BIA"));
    }

    void advisorOfAHolderFollowsItsNumber()
    {
        TestData data;
        const QString cpf = makeCpf(123456789);
        const qint64 first = data.addAdvisor(cpf, QStringLiteral("JOSE PRIMEIRO"), QStringLiteral("D"), QStringLiteral("A"));
        const qint64 second = data.addAdvisor(cpf, QStringLiteral("JOSE SEGUNDO"), QStringLiteral("D"), QStringLiteral("B"));
        plat::db::Query& q = *data.dm().Qr_Limpa;

        HolderAdvisor a = holderAdvisor(q, cpf, second);
        QVERIFY(a.found);
        QCOMPARE(a.codigo, second);
        QCOMPARE(a.nome, QStringLiteral("JOSE SEGUNDO"));
        QCOMPARE(a.titulo, QStringLiteral("B"));

        a = holderAdvisor(q, cpf, 9999); // the number names no record of that person
        QCOMPARE(a.codigo, first);
        QCOMPARE(a.cpf, cpf);

        // A quote in a recovered CPF is data, not statement text.
        a = holderAdvisor(q, QStringLiteral("1' OR '1'='1"), first);
        QVERIFY(!a.found);
        QVERIFY(!q.isOpen());
    }

    void cpfOwners()
    {
        TestData data;
        const qint64 first = data.addAdvisor(makeCpf(1), QStringLiteral("ORIENTADORA"));
        const qint64 second = data.addAdvisor(makeCpf(1), QStringLiteral("ORIENTADORA OUTRO PROJETO"));
        const qint64 ana = data.addHolder(QStringLiteral("ANA"), makeCpf(2));
        const qint64 bia = data.addHolder(QStringLiteral("BIA"), makeCpf(3));
        const qint64 bia2 = data.addHolder(QStringLiteral("BIA DE NOVO"), makeCpf(3)); // last year's file may share
        CpfOwners owners(data.db()); // one object for many questions, as an import asks them

        // A holder's CPF: an advisor's first, then another holder's.
        CpfOwner o = owners.forHolder(makeCpf(1), ana);
        QVERIFY(o.advisor());
        QCOMPARE(o.record, first);
        QCOMPARE(o.nome, QStringLiteral("ORIENTADORA"));
        o = owners.forHolder(makeCpf(3), ana);
        QCOMPARE(o.kind, CpfOwner::Kind::Holder);
        QCOMPARE(o.record, bia);
        QCOMPARE(owners.forHolder(makeCpf(3), bia).record, bia2); // the record itself is left out
        QVERIFY(!owners.forHolder(makeCpf(2), ana).found());      // its own
        QVERIFY(!owners.forHolder(makeCpf(4), 0).found());
        QCOMPARE(owners.holder(makeCpf(2)).nome, QStringLiteral("ANA")); // a new holder leaves none out

        // An advisor record: another record of the same person is found.
        QCOMPARE(owners.advisor(makeCpf(1), first).record, second);
        QVERIFY(!owners.advisor(makeCpf(2)).found());

        // A quote in a recovered CPF is data, not statement text.
        QVERIFY(!owners.holder(QStringLiteral("1' OR '1'='1")).found());
        // A question asked again sees the register as it is now.
        data.db().exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid = ?"), {bia});
        QCOMPARE(owners.holder(makeCpf(3)).record, bia2);
    }
};

QTEST_GUILESS_MAIN(TestHolderRules)
#include "test_holder_rules.moc"
