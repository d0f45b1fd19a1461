// The checking reports on the page model: the holder query for each choice of
// situations, the words printed for the coded fields, the master-detail link
// to the advisor, the fixed boxes, the page breaks, and the PDFs of the
// command line read back as text.
#include "../report/FixedMeasurer.h"

#include "app/cli/Cli.h"
#include "platform/db/Query.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"
#include "reports/SelecaoRelatorio.h"
#include "reports/TFrm_Relatorio_Bol.h"
#include "reports/TFrm_Relatorio_Ori.h"
#include "support/CliRun.h"
#include "support/TestData.h"

#include <QProcess>
#include <algorithm>
#include <QTemporaryDir>
#include <QtTest>

using namespace zelta;
using zelta::test::FixedMeasurer;
using zelta::test::TestData;
using zelta::test::makeCpf;
using plat::report::Page;
using plat::report::PageModel;
using plat::report::TextRun;

namespace {

const QDateTime kAt(QDate(2026, 3, 9), QTime(14, 5, 7));

PageModel holderPages(TDm_Dados& dm, const SituacoesBolsista& s)
{
    prepararRelatorioBol(*dm.Qr_Relatorio_Bol, s);
    TFrm_Relatorio_Bol report(dm);
    return report.layOut(FixedMeasurer(), kAt);
}

PageModel advisorPages(TDm_Dados& dm)
{
    TFrm_Relatorio_Ori report(dm);
    return report.layOut(FixedMeasurer(), kAt);
}

QStringList allTexts(const PageModel& m)
{
    QStringList out;
    for (const Page& p : m.pages)
        for (const TextRun& t : p.texts)
            out << t.text;
    return out;
}

// The texts of detail band n (from 0) of a page, found by the band's frame.
QList<TextRun> bandTexts(const Page& page, int n)
{
    const QRectF frame = page.frames.at(n + 1); // frame 0 is the page header
    QList<TextRun> out;
    for (const TextRun& t : page.texts)
        if (frame.contains(t.rect.center()))
            out << t;
    return out;
}

QStringList textsOf(const QList<TextRun>& runs)
{
    QStringList out;
    for (const TextRun& t : runs)
        out << t.text;
    return out;
}

const TextRun* runAt(const QList<TextRun>& runs, double left, double top)
{
    for (const TextRun& t : runs)
        if (qAbs(t.rect.left() - left) < 0.01 && qAbs(t.rect.top() - top) < 0.01)
            return &t;
    return nullptr;
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

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestRelatorios : public QObject {
    Q_OBJECT
private slots:
    void queryTextForEachChoice();
    void choiceSelectsExactlyItsHolders();
    void holderBandWordsAndLink();
    void holderTitleWrappedAndClipped();
    void longValuesPrintWholeInASmallerSize();
    void holderPagesBreakWithHeader();
    void emptySelectionsPrintNothing();
    void advisorWords_data();
    void advisorWords();
    void advisorEveryRecordInPrimaryOrder();
    void situationList();
    void commandLinePdfs();
};

void TestRelatorios::queryTextForEachChoice()
{
    TestData data;
    plat::db::Query& q = *data.dm().Qr_Relatorio_Bol;
    const struct {
        SituacoesBolsista s;
        const char* text;
    } cases[] = {
        {{true, false, false}, "Select * From ZeltaBol Where Situacao=:novo"},
        {{false, true, false}, "Select * From ZeltaBol Where Situacao=:renovado"},
        {{false, false, true}, "Select * From ZeltaBol Where Situacao=:excluido"},
        {{true, true, false}, "Select * From ZeltaBol Where Situacao=:novo OR Situacao=:renovado"},
        {{true, false, true}, "Select * From ZeltaBol Where Situacao=:novo OR Situacao=:excluido"},
        {{false, true, true}, "Select * From ZeltaBol Where Situacao=:renovado OR Situacao=:excluido"},
        {{true, true, true}, "Select * From ZeltaBol Where Situacao=:novo OR Situacao=:renovado OR Situacao=:excluido"},
    };
    for (const auto& c : cases) {
        prepararRelatorioBol(q, c.s);
        QCOMPARE(q.sql(), QStringList{QString::fromUtf8(c.text)});
        QVERIFY(q.isOpen());
    }
}

void TestRelatorios::choiceSelectsExactlyItsHolders()
{
    TestData data;
    data.addHolder(QStringLiteral("ANA NOVA"), makeCpf(100000001), QStringLiteral("Novo"));
    data.addHolder(QStringLiteral("BRUNO RENOVADO"), makeCpf(100000002), QStringLiteral("Renovado"));
    data.addHolder(QStringLiteral("CARLA EXCLUIDA"), makeCpf(100000003), QStringLiteral("Excluído"));
    data.addHolder(QStringLiteral("DANIEL EXCLUIDO"), makeCpf(100000004), QStringLiteral("Excluído"));
    plat::db::Query& q = *data.dm().Qr_Relatorio_Bol;

    auto names = [&](const SituacoesBolsista& s) {
        prepararRelatorioBol(q, s);
        QStringList out;
        for (q.first(); !q.eof(); q.next())
            out << q.field(QStringLiteral("Nome")).asString();
        out.sort();
        return out;
    };
    QCOMPARE(names({false, false, true}), (QStringList{QStringLiteral("CARLA EXCLUIDA"), QStringLiteral("DANIEL EXCLUIDO")}));
    QCOMPARE(names({true, false, false}), QStringList{QStringLiteral("ANA NOVA")});
    QCOMPARE(names({false, true, true}), (QStringList{QStringLiteral("BRUNO RENOVADO"), QStringLiteral("CARLA EXCLUIDA"),
                                                      QStringLiteral("DANIEL EXCLUIDO")}));
    QCOMPARE(names({true, true, true}).size(), 4);
}

void TestRelatorios::holderBandWordsAndLink()
{
    TestData data;
    const QString cpfOri = makeCpf(300000001);
    const qint64 codigo = data.addAdvisor(cpfOri, QStringLiteral("PAULO ORIENTADOR"), QStringLiteral("D"),
                                          QStringLiteral("ESTUDO DAS ABELHAS"));
    data.addHolder(QStringLiteral("ANA"), makeCpf(100000001), QStringLiteral("Novo"), cpfOri, codigo, QStringLiteral("F"));
    data.addHolder(QStringLiteral("BETO"), makeCpf(100000002), QStringLiteral("Novo"), cpfOri, codigo, QStringLiteral("M"));
    data.addHolder(QStringLiteral("CAIO"), makeCpf(100000003), QStringLiteral("Novo"), QString(), QVariant(), QString());
    // An advisor CPF kept without a number: the CPF prints, the advisor does not.
    data.addHolder(QStringLiteral("DORA"), makeCpf(100000004), QStringLiteral("Novo"), cpfOri, QVariant(), QStringLiteral("X"));

    const PageModel m = holderPages(data.dm(), {true, false, false});
    QCOMPARE(m.pageCount(), 1);
    const Page& page = m.pages.first();
    QCOMPARE(page.frames.size(), 5);
    QCOMPARE(page.frames.at(1), QRectF(10, 25.6, 190, 38.9));

    QHash<QString, QList<TextRun>> byName;
    for (int i = 0; i < 4; ++i) {
        const QList<TextRun> runs = bandTexts(page, i);
        const TextRun* name = runAt(runs, 10 + 74.1, page.frames.at(i + 1).top() + 1.6);
        QVERIFY(name);
        QVERIFY(name->font.bold);
        byName.insert(name->text, runs);
    }
    QCOMPARE(byName.size(), 4);

    const auto sexWord = [&](const QString& who) {
        const QList<TextRun>& runs = byName.value(who);
        const double top = runs.first().rect.top() - 1.6;
        const TextRun* sex = runAt(runs, 10 + 74.1, top + 6.9);
        return sex ? sex->text : QString();
    };
    QCOMPARE(sexWord(QStringLiteral("ANA")), QStringLiteral("Feminino"));
    QCOMPARE(sexWord(QStringLiteral("BETO")), QStringLiteral("Masculino"));
    QCOMPARE(sexWord(QStringLiteral("CAIO")), QStringLiteral("Não Informado"));
    QCOMPARE(sexWord(QStringLiteral("DORA")), QStringLiteral("Não Informado"));

    const QStringList ana = textsOf(byName.value(QStringLiteral("ANA")));
    QVERIFY(ana.contains(QStringLiteral("PAULO ORIENTADOR")));
    QVERIFY(ana.contains(QStringLiteral("ESTUDO DAS ABELHAS")));
    QVERIFY(ana.contains(cpfOri));
    QVERIFY(ana.contains(QStringLiteral("17/05/1980")));
    QVERIFY(ana.contains(QStringLiteral("1234-5")));

    for (const QString& who : {QStringLiteral("CAIO"), QStringLiteral("DORA")}) {
        const QStringList texts = textsOf(byName.value(who));
        QVERIFY2(!texts.contains(QStringLiteral("PAULO ORIENTADOR")), qPrintable(who));
        QVERIFY2(!texts.contains(QStringLiteral("ESTUDO DAS ABELHAS")), qPrintable(who));
        QVERIFY(texts.contains(QStringLiteral("Projeto")));
        QVERIFY(texts.contains(QStringLiteral("Novo")));
    }
    QVERIFY(textsOf(byName.value(QStringLiteral("DORA"))).contains(cpfOri));
    QVERIFY(!textsOf(byName.value(QStringLiteral("CAIO"))).contains(cpfOri));
}

void TestRelatorios::holderTitleWrappedAndClipped()
{
    TestData data;
    // 40 words of 5 letters: 240 characters, more than three lines of the box.
    QStringList words;
    for (int i = 0; i < 40; ++i)
        words << QStringLiteral("P%1").arg(i, 4, 10, QLatin1Char('0'));
    const QString title = words.join(u' ');
    const QString longName = QStringLiteral("MARIA APARECIDA DOS SANTOS FERREIRA DE ALBUQUERQUE E SILVA NETA");
    const qint64 codigo = data.addAdvisor(makeCpf(300000001), longName.left(60), QStringLiteral("D"), title);
    data.addHolder(longName.left(60), makeCpf(100000001), QStringLiteral("Renovado"), makeCpf(300000001), codigo);

    const PageModel m = holderPages(data.dm(), {false, true, false});
    QCOMPARE(m.pageCount(), 1);
    const Page& page = m.pages.first();
    const QRectF frame = page.frames.at(1);
    const QRectF box(frame.left() + 21.7, frame.top() + 22.8, 162.7, 13.5);
    QStringList titleLines;
    for (const TextRun& t : bandTexts(page, 0)) {
        // Nothing crosses the band's frame.
        QVERIFY2(frame.contains(t.rect), qPrintable(t.text));
        if (t.text.startsWith(u'P') && t.text.size() > 10) {
            QVERIFY(box.contains(t.rect));
            titleLines << t.text;
        }
    }
    // Three 4 mm lines fit in 13.5 mm, and these metrics do not shrink: the
    // rest of the title is not shown, and the last line says so.
    QCOMPARE(titleLines.size(), 3);
    QVERIFY(titleLines.last().endsWith(plat::report::kCutMark));
    titleLines.last().chop(plat::report::kCutMark.size());
    QVERIFY(title.startsWith(titleLines.join(u' ')));
    QVERIFY(titleLines.join(u' ').size() < title.size());
}

void TestRelatorios::longValuesPrintWholeInASmallerSize()
{
    // With the fonts' own metrics: a 60-character name and a 240-character
    // title fit in smaller sizes; a name of wide letters does not even at 6 pt.
    TestData data;
    const QString title = QStringList(40, QStringLiteral("QQQQQ")).join(u' ');
    const QString name = QStringLiteral("MARIA APARECIDA DOS SANTOS FERREIRA DE ALBUQUERQUE E SILVA N");
    const QString wide(60, u'W');
    const qint64 codigo = data.addAdvisor(makeCpf(300000001), name, QStringLiteral("D"), title);
    data.addHolder(name, makeCpf(100000001), QStringLiteral("Novo"), makeCpf(300000001), codigo);
    data.addHolder(wide, makeCpf(100000002), QStringLiteral("Novo"), makeCpf(300000001), codigo);
    prepararRelatorioBol(*data.dm().Qr_Relatorio_Bol, {true, false, false});
    const Page page = TFrm_Relatorio_Bol(data.dm()).layOut(kAt).pages.first();

    const QRectF frame = page.frames.at(1);
    QStringList titleLines;
    int wholeNames = 0;
    for (const TextRun& t : bandTexts(page, 0)) {
        QVERIFY2(frame.contains(t.rect), qPrintable(t.text));
        if (t.text.startsWith(QStringLiteral("QQ"))) {
            titleLines << t.text;
            QVERIFY(t.font.points < 10 && t.font.points >= 6);
        }
        if (t.text == name) {
            ++wholeNames; // the holder's (bold, smaller) and the advisor's
            QVERIFY(t.font.points < (t.font.bold ? 10 : 10.01) && t.font.points >= 6);
            QVERIFY(plat::report::FontMeasurer().width(t.text, t.font) <= t.rect.width());
        }
    }
    QCOMPARE(wholeNames, 2);
    QCOMPARE(titleLines.join(u' '), title);

    const QStringList other = textsOf(bandTexts(page, 1));
    const auto cut = std::find_if(other.begin(), other.end(), [](const QString& t) { return t.startsWith(u'W'); });
    QVERIFY(cut != other.end());
    QVERIFY(cut->endsWith(plat::report::kCutMark));
    QVERIFY(cut->size() < 60);
}

void TestRelatorios::holderPagesBreakWithHeader()
{
    TestData data;
    for (int i = 0; i < 13; ++i)
        data.addHolder(QStringLiteral("BOLSISTA %1").arg(i, 2, 10, QLatin1Char('0')), makeCpf(100000001 + i),
                       QStringLiteral("Novo"));
    const PageModel m = holderPages(data.dm(), {true, true, true});
    // 277 mm of paper less the 15.6 mm header hold six 38.9 mm bands.
    QCOMPARE(m.pageCount(), 3);
    QCOMPARE(m.pages[0].frames.size(), 7);
    QCOMPARE(m.pages[2].frames.size(), 2);
    for (const Page& p : m.pages) {
        QStringList texts;
        for (const TextRun& t : p.texts)
            texts << t.text;
        QVERIFY(texts.contains(QStringLiteral("Relatório de Conferência - Bolsistas")));
        QVERIFY(texts.contains(QStringLiteral("Orvu - Quarvelin Tessaline")));
        QVERIFY(texts.contains(QStringLiteral("09/03/2026 14:05:07")));
        QVERIFY(texts.contains(QString::number(p.number)));
    }
    QCOMPARE(allTexts(m).filter(QStringLiteral("BOLSISTA ")).size(), 13);
}

void TestRelatorios::emptySelectionsPrintNothing()
{
    TestData data;
    QVERIFY(advisorPages(data.dm()).isEmpty());
    data.addHolder(QStringLiteral("ANA"), makeCpf(100000001), QStringLiteral("Novo"));
    QVERIFY(holderPages(data.dm(), {false, false, true}).isEmpty());
    QVERIFY(holderPages(data.dm(), {false, true, false}).isEmpty());
    QCOMPARE(holderPages(data.dm(), {true, false, false}).pageCount(), 1);
}

void TestRelatorios::advisorWords_data()
{
    QTest::addColumn<QString>("codArea");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("titulacao");
    QTest::addColumn<QString>("titulacaoWord");
    QTest::newRow("full code, doctor") << "10203040"
                                       << "1.02.03.04-0"
                                       << "D"
                                       << "Doutorado";
    QTest::newRow("three characters, master") << "123"
                                              << "1.23..-"
                                              << "M"
                                              << "Mestrado";
    QTest::newRow("empty") << ""
                           << "Não Informado"
                           << ""
                           << "Não Informado";
    QTest::newRow("blank code, other degree") << "   "
                                              << "Não Informado"
                                              << "X"
                                              << "Não Informado";
}

void TestRelatorios::advisorWords()
{
    QFETCH(QString, codArea);
    QFETCH(QString, area);
    QFETCH(QString, titulacao);
    QFETCH(QString, titulacaoWord);
    QCOMPARE(TFrm_Relatorio_Ori::areaFormatada(codArea), area);
    QCOMPARE(TFrm_Relatorio_Ori::palavraTitulacao(titulacao), titulacaoWord);

    // The same words on the page, at the positions of the band.
    TestData data;
    data.addAdvisor(makeCpf(300000001), QStringLiteral("ORIENTADOR"), titulacao, QStringLiteral("T"), codArea);
    const PageModel m = advisorPages(data.dm());
    QCOMPARE(m.pageCount(), 1);
    const QList<TextRun> runs = bandTexts(m.pages.first(), 0);
    const double top = m.pages.first().frames.at(1).top();
    QVERIFY(runAt(runs, 10 + 78.3, top + 6.9));
    QCOMPARE(runAt(runs, 10 + 78.3, top + 6.9)->text, area);
    QCOMPARE(runAt(runs, 10 + 23.8, top + 6.9)->text, titulacaoWord);
}

void TestRelatorios::advisorEveryRecordInPrimaryOrder()
{
    TestData data;
    data.addAdvisor(makeCpf(300000001), QStringLiteral("ZULMIRA SEM BOLSISTA"));
    const qint64 b = data.addAdvisor(makeCpf(300000002), QStringLiteral("ALBERTO COM BOLSISTA"));
    data.addAdvisor(makeCpf(300000003), QStringLiteral("MARCOS"));
    data.addHolder(QStringLiteral("ANA"), makeCpf(100000001), QStringLiteral("Novo"), makeCpf(300000002), b);
    data.db().exec(QStringLiteral("UPDATE ZELTAORI SET PESQUISADOR = 'S', CATEGORIA = '1A', P_CHAVE1 = ?, P_CHAVE2 = 'SOLO' "
                                  "WHERE Codigo = ?"),
                   {QStringLiteral("UMA PALAVRA CHAVE XX"), b});
    data.db().exec(QStringLiteral("UPDATE ZELTAORI SET PESQUISADOR = 'N' WHERE NOME = 'MARCOS'"));

    const PageModel m = advisorPages(data.dm());
    QCOMPARE(m.pageCount(), 1);
    const Page& page = m.pages.first();
    QCOMPARE(page.frames.size(), 4);
    QCOMPARE(page.frames.at(1).height(), 40.2);
    QStringList order, researcher;
    for (int i = 0; i < 3; ++i) {
        const QList<TextRun> runs = bandTexts(page, i);
        const double top = page.frames.at(i + 1).top();
        order << runAt(runs, 10 + 78.3, top + 1.6)->text;
        researcher << runAt(runs, 10 + 40.7, top + 32.8)->text;
    }
    // Record order, not name order; advisors without holders included.
    QCOMPARE(order, (QStringList{QStringLiteral("ZULMIRA SEM BOLSISTA"), QStringLiteral("ALBERTO COM BOLSISTA"),
                                 QStringLiteral("MARCOS")}));
    QCOMPARE(researcher, (QStringList{QStringLiteral("Não"), QStringLiteral("Sim"), QStringLiteral("Não")}));

    // Key words in their fixed widths: 52.3 mm hold 26 characters of 2 mm.
    const QList<TextRun> runs = bandTexts(page, 1);
    const double top = page.frames.at(2).top();
    const TextRun* key1 = runAt(runs, 10 + 27.5, top + 27.5);
    QVERIFY(key1);
    QCOMPARE(key1->text, QStringLiteral("UMA PALAVRA CHAVE XX"));
    QCOMPARE(key1->rect.width(), 52.3);
    QCOMPARE(runAt(runs, 10 + 81.3, top + 27.5)->text, QStringLiteral("SOLO"));
    QCOMPARE(runAt(runs, 10 + 91.0, top + 32.8)->text, QStringLiteral("1A"));
}

void TestRelatorios::situationList()
{
    SituacoesBolsista s = lerSituacoes(QStringLiteral("Excluído,novo"));
    QVERIFY(s.novos && !s.renovados && s.excluidos);
    s = lerSituacoes(QStringLiteral("Renovado"));
    QVERIFY(!s.novos && s.renovados && !s.excluidos);
    const auto refusal = [](const QString& list) {
        try {
            lerSituacoes(list);
        } catch (const plat::Error& e) {
            return e.kind() == plat::Error::Kind::Usage ? e.message() : QString();
        }
        return QString();
    };
    QVERIFY(!refusal(QString()).isEmpty());
    QVERIFY(refusal(QStringLiteral("Novo,Antigo")).contains(QStringLiteral("Antigo")));
}

void TestRelatorios::commandLinePdfs()
{
    TestData data;
    plat::sys::Settings::instance().setDataDirectoryOverride(data.dir());
    const auto restore = qScopeGuard([] { plat::sys::Settings::instance().setDataDirectoryOverride(QString()); });
    QTemporaryDir out;
    const QString bolPdf = out.filePath(QStringLiteral("bolsistas.pdf"));
    const QString oriPdf = out.filePath(QStringLiteral("orientadores.pdf"));

    // Nothing to print: no file.
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("orientadores"), QStringLiteral("--pdf"), oriPdf}), 0);
    QVERIFY(!QFile::exists(oriPdf));

    const QString cpfOri = makeCpf(300000001);
    const qint64 codigo = data.addAdvisor(cpfOri, QStringLiteral("PAULO ORIENTADOR"), QStringLiteral("M"),
                                          QStringLiteral("ESTUDO DAS ABELHAS"), QStringLiteral("10203040"));
    data.addHolder(QStringLiteral("ANA EXCLUIDA"), makeCpf(100000001), QStringLiteral("Excluído"), cpfOri, codigo,
                   QStringLiteral("F"));
    data.addHolder(QStringLiteral("BETO NOVO"), makeCpf(100000002), QStringLiteral("Novo"), cpfOri, codigo, QStringLiteral("M"));

    QString text, err;
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("bolsistas"), QStringLiteral("--situacao"),
                  QStringLiteral("Excluído"), QStringLiteral("--pdf"), bolPdf},
                 &text, &err),
             0);
    const QString bol = pdfText(bolPdf);
    QVERIFY2(bol.contains(QStringLiteral("Relatório de Conferência - Bolsistas")), qPrintable(bol));
    QVERIFY(bol.contains(QStringLiteral("ANA EXCLUIDA")));
    QVERIFY(bol.contains(QStringLiteral("Feminino")));
    QVERIFY(bol.contains(QStringLiteral("PAULO ORIENTADOR")));
    QVERIFY(bol.contains(QStringLiteral("ESTUDO DAS ABELHAS")));
    QVERIFY(!bol.contains(QStringLiteral("BETO NOVO")));

    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("orientadores"), QStringLiteral("--pdf"), oriPdf}, &text, &err), 0);
    const QString ori = pdfText(oriPdf);
    QVERIFY2(ori.contains(QStringLiteral("Relatório de Conferência - Orientadores")), qPrintable(ori));
    QVERIFY(ori.contains(QStringLiteral("1.02.03.04-0")));
    QVERIFY(ori.contains(QStringLiteral("Mestrado")));
    QVERIFY(ori.contains(QStringLiteral("PAULO ORIENTADOR")));

    // Without --situacao, as the help shows it optional: every situation.
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("bolsistas"), QStringLiteral("--pdf"), bolPdf}, nullptr, &err), 0);
    const QString all = pdfText(bolPdf);
    QVERIFY(all.contains(QStringLiteral("ANA EXCLUIDA")) && all.contains(QStringLiteral("BETO NOVO")));

    // Usage errors: an empty or unknown situation, an option the report lacks.
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("bolsistas"), QStringLiteral("--situacao="),
                  QStringLiteral("--pdf"), bolPdf},
                 nullptr, &err),
             2);
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("bolsistas"), QStringLiteral("--situacao"), QStringLiteral("Velho"),
                  QStringLiteral("--pdf"), bolPdf},
                 nullptr, &err),
             2);
    QVERIFY(err.contains(QStringLiteral("Velho")));
    QCOMPARE(cli({QStringLiteral("relatorio"), QStringLiteral("orientadores"), QStringLiteral("--situacao"),
                  QStringLiteral("Novo"), QStringLiteral("--pdf"), oriPdf},
                 nullptr, &err),
             2);
}

QTEST_MAIN(TestRelatorios)
#include "test_relatorios.moc"
