// The banded report engine: laying out into pages, fixed boxes, hooks,
// master-detail links, font metrics and PDF output.
#include "FixedMeasurer.h"

#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/report/PagePainter.h"
#include "platform/report/PdfWriter.h"
#include "platform/report/Report.h"
#include "platform/system/Error.h"
#include "support/TestData.h"
#include "support/Throws.h"

#include <QFontInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace plat::report;
using zelta::test::FixedMeasurer;
using zelta::test::TestData;

namespace {

// Rows held in memory, one field "Linha".
class ListSource : public ReportSource {
public:
    explicit ListSource(QStringList rows) : m_rows(std::move(rows)) {}
    void first() override { m_pos = 0; }
    void next() override { ++m_pos; }
    bool eof() const override { return m_pos >= m_rows.size(); }
    QString text(const QString&) const override { return eof() ? QString() : m_rows.at(m_pos); }
    QVariant value(const QString& f) const override { return text(f); }

private:
    QStringList m_rows;
    qsizetype m_pos = 0;
};

QStringList numbered(int n)
{
    QStringList rows;
    for (int i = 1; i <= n; ++i)
        rows << QStringLiteral("linha %1").arg(i);
    return rows;
}

// The shared page form with a 10 mm detail band holding one field.
ReportLayout simpleLayout(double detailHeight = 10)
{
    ReportLayout layout;
    layout.title = QStringLiteral("Teste");
    layout.pageHeader.height = 15.6;
    layout.pageHeader.framed = true;
    layout.pageHeader.addLabel(QStringLiteral("Cabeçalho"), 1.3, 1.6, bold(10));
    layout.pageHeader.addDateTime(0, 1.6).toBand(Qt::AlignRight);
    layout.pageHeader.addPageNumber(0, 6.9).toBand(Qt::AlignRight);
    layout.detail.height = detailHeight;
    layout.detail.addField(QStringLiteral("Linha"), 4.2, 1.9).named(QStringLiteral("Linha"));
    return layout;
}

const TextRun* find(const Page& page, const QString& text)
{
    for (const TextRun& t : page.texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

QString pdfText(const QString& pdf, const QStringList& extra = {})
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), QStringList{QStringLiteral("-layout")} << extra << pdf << QStringLiteral("-"));
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

const QDateTime kPrintedAt(QDate(1999, 8, 31), QTime(14, 5, 9));

} // namespace

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void noRowsNoPages();
    void pagination();
    void bandTallerThanPage();
    void fixedBoxesWrapAndCut();
    void wrapSplitsLongWords();
    void hookChangesOneBandOnly();
    void masterDetailByRecordNumber();
    void masterDetailByRange();
    void arialMetrics();
    void pdfReadsBack();
    void pdfFailureLeavesNoFile();
};

void TestReport::noRowsNoPages()
{
    ListSource empty({});
    Report report(simpleLayout());
    QVERIFY(report.layOut(FixedMeasurer(), kPrintedAt).isEmpty()); // no source at all
    report.setSource(&empty);
    const PageModel model = report.layOut(FixedMeasurer(), kPrintedAt);
    QVERIFY(model.isEmpty());
    const auto error = zelta::test::thrown(plat::Error::Kind::Output,
                                           [&] { writePdf(model, QDir::temp().filePath(QStringLiteral("nunca.pdf"))); });
    QVERIFY(error && !error->isEmpty());
}

void TestReport::pagination()
{
    // 277 mm of printable height, 15.6 of header: 26 bands of 10 mm per page.
    ListSource rows(numbered(60));
    Report report(simpleLayout(10));
    report.setSource(&rows);
    const PageModel model = report.layOut(FixedMeasurer(), kPrintedAt);
    QCOMPARE(model.pageCount(), 3);
    QCOMPARE(model.title, QStringLiteral("Teste"));

    int row = 0;
    for (const Page& page : model.pages) {
        // The framed header on every page, with the date and the page number
        // right-aligned to the band.
        QCOMPARE(page.frames.size(), 1);
        QCOMPARE(page.frames.first(), QRectF(10, 10, 190, 15.6));
        QVERIFY(find(page, QStringLiteral("Cabeçalho")));
        const TextRun* date = find(page, QStringLiteral("31/08/1999 14:05:09"));
        QVERIFY(date);
        QCOMPARE(date->rect.right(), 200.0);
        QVERIFY(date->align & Qt::AlignRight);
        const TextRun* number = find(page, QString::number(page.number));
        QVERIFY(number);
        QCOMPARE(number->rect.top(), 10 + 6.9);

        const QStringList lines = page.lines();
        const int bands = int(lines.filter(QStringLiteral("linha ")).size());
        QCOMPARE(bands, page.number < 3 ? 26 : 8);
        // Bands follow each other under the header, in row order.
        for (int i = 0; i < bands; ++i) {
            const TextRun* t = find(page, QStringLiteral("linha %1").arg(++row));
            QVERIFY2(t, qPrintable(QStringLiteral("linha %1").arg(row)));
            QCOMPARE(t->rect.left(), 10 + 4.2);
            QVERIFY(qAbs(t->rect.top() - (10 + 15.6 + 10 * i + 1.9)) < 1e-9);
        }
    }
    QCOMPARE(row, 60);
}

void TestReport::bandTallerThanPage()
{
    // A band taller than the page still prints, one per page, instead of
    // making pages without end.
    ListSource rows(numbered(3));
    Report report(simpleLayout(300));
    report.setSource(&rows);
    const PageModel model = report.layOut(FixedMeasurer(), kPrintedAt);
    QCOMPARE(model.pageCount(), 3);
    for (const Page& page : model.pages)
        QCOMPARE(page.lines().filter(QStringLiteral("linha ")).size(), 1);
}

void TestReport::fixedBoxesWrapAndCut()
{
    ReportLayout layout = simpleLayout(40);
    layout.detail.items.clear();
    layout.detail.framed = true;
    // 40 mm wide, 9 mm high: 20 characters a line, two lines.
    layout.detail.addField(QStringLiteral("Linha"), 20, 5).named(QStringLiteral("Titulo")).box(40, 9);
    // 10 mm wide: five characters, centred.
    layout.detail.addField(QStringLiteral("Linha"), 100, 5).named(QStringLiteral("Chave")).fixedWidth(10, Qt::AlignHCenter);

    ListSource rows({QStringLiteral("ESTUDO DOS SOLOS DO CERRADO E SUA CONSERVACAO NO PLANALTO")});
    Report report(layout);
    report.setSource(&rows);
    const PageModel model = report.layOut(FixedMeasurer(), kPrintedAt);
    QCOMPARE(model.pageCount(), 1);
    const Page& page = model.pages.first();
    QCOMPARE(page.frames.size(), 2); // header and detail
    QCOMPARE(page.frames.at(1), QRectF(10, 25.6, 190, 40));

    const TextRun* l1 = find(page, QStringLiteral("ESTUDO DOS SOLOS DO"));
    const TextRun* l2 = find(page, QStringLiteral("CERRADO E SUA"));
    QVERIFY(l1 && l2);
    QCOMPARE(l1->rect, QRectF(30, 30.6, 40, 4));
    QCOMPARE(l2->rect, QRectF(30, 34.6, 40, 4));
    QVERIFY(!find(page, QStringLiteral("CONSERVACAO NO"))); // below the box: not shown

    const TextRun* key = find(page, QStringLiteral("ESTUD"));
    QVERIFY(key);
    QCOMPARE(key->rect.width(), 10.0);
    QVERIFY(key->align & Qt::AlignHCenter);
}

void TestReport::wrapSplitsLongWords()
{
    const FixedMeasurer m;
    // 10 mm: five characters a line.
    QCOMPARE(wrapText(QStringLiteral("ABCDEFGHIJKL MN"), 10, Font(), m),
             (QStringList{QStringLiteral("ABCDE"), QStringLiteral("FGHIJ"), QStringLiteral("KL MN")}));
    QCOMPARE(wrapText(QStringLiteral("AB\nCD  EF"), 10, Font(), m), (QStringList{QStringLiteral("AB"), QStringLiteral("CD EF")}));
    // An empty paragraph is an empty line of its own.
    QCOMPARE(wrapText(QStringLiteral("AB\n\nCD"), 10, Font(), m),
             (QStringList{QStringLiteral("AB"), QString(), QStringLiteral("CD")}));
    // Narrower than one character: still one character a line, never a loop.
    QCOMPARE(wrapText(QStringLiteral("ABC"), 1, Font(), m),
             (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    QCOMPARE(cutText(QStringLiteral("ABCDEFG"), 9.9, Font(), m), QStringLiteral("ABCD"));
    QCOMPARE(cutText(QStringLiteral("ABC"), 100, Font(), m), QStringLiteral("ABC"));
}

void TestReport::hookChangesOneBandOnly()
{
    ReportLayout layout = simpleLayout(10);
    layout.detail.addLabel(QString(), 100, 1.9).named(QStringLiteral("Sexo")).fixedWidth(42.3, Qt::AlignHCenter);
    ListSource rows({QStringLiteral("F"), QStringLiteral("M"), QStringLiteral("")});
    Report report(layout);
    report.setSource(&rows);
    QList<int> seen;
    report.setBeforePrint([&](BandContext& band) {
        seen << band.row();
        const QString sexo = band.master().text(QStringLiteral("Linha"));
        band.setText(QStringLiteral("Sexo"), sexo == QStringLiteral("F")   ? QStringLiteral("Feminino")
                                             : sexo == QStringLiteral("M") ? QStringLiteral("Masculino")
                                                                           : QStringLiteral("Não Informado"));
        // The field is printed on the first band only.
        if (band.row() == 1)
            band.setEnabled(QStringLiteral("Linha"), true);
        else if (band.row() == 2)
            band.setEnabled(QStringLiteral("Linha"), false);
    });
    const Page page = report.layOut(FixedMeasurer(), kPrintedAt).pages.first();
    QCOMPARE(seen, (QList<int>{1, 2, 3}));
    QVERIFY(find(page, QStringLiteral("Feminino")));
    QVERIFY(find(page, QStringLiteral("Masculino")));
    QVERIFY(find(page, QStringLiteral("Não Informado")));
    QVERIFY(find(page, QStringLiteral("F")));
    QVERIFY(!find(page, QStringLiteral("M"))); // disabled on the second band
    // A change holds for its band only: the layout itself is untouched.
    QCOMPARE(report.layout().detail.item(QStringLiteral("Sexo"))->text, QString());
    QVERIFY(report.layout().detail.item(QStringLiteral("Linha"))->enabled);

    // A hook that names an item the band lacks is a fault of the definition.
    report.setBeforePrint([](BandContext& band) { band.setText(QStringLiteral("Nada"), QString()); });
    QVERIFY(zelta::test::throws(plat::Error::Kind::Layout, [&] { report.layOut(FixedMeasurer(), kPrintedAt); }));
}

void TestReport::masterDetailByRecordNumber()
{
    // Holders from a query, each with its advisor from a table in record
    // number (Codigo) order.
    TestData data;
    const qint64 a1 = data.addAdvisor(zelta::test::makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
    const qint64 a2 = data.addAdvisor(zelta::test::makeCpf(222222222), QStringLiteral("ORIENTADOR DOIS"));
    data.addHolder(QStringLiteral("BOLSISTA B"), zelta::test::makeCpf(333), QStringLiteral("Novo"), QString(), a2);
    data.addHolder(QStringLiteral("BOLSISTA A"), zelta::test::makeCpf(444), QStringLiteral("Novo"), QString(), a1);
    data.addHolder(QStringLiteral("BOLSISTA SEM"), zelta::test::makeCpf(555), QStringLiteral("Novo"), QString(), QVariant());
    data.addHolder(QStringLiteral("BOLSISTA PERDIDO"), zelta::test::makeCpf(666), QStringLiteral("Novo"), QString(), 99);

    plat::db::Query& holders = *data.dm().Qr_Relatorio_Bol;
    holders.setSql({QStringLiteral("Select * From ZeltaBol Where Situacao='Novo'")});
    holders.open();
    plat::db::Table advisors(data.db(), QStringLiteral("ZELTAORI"));
    advisors.setIndexFieldNames(QStringLiteral("Codigo"));
    advisors.open();

    ReportLayout layout = simpleLayout(10);
    layout.detail.items.clear();
    layout.detail.addField(QStringLiteral("Nome"), 1, 1);
    layout.detail.addField(QStringLiteral("NOME"), 80, 1).fromDetail();
    QuerySource master(holders);
    TableSource detail(advisors, QStringLiteral("Codigo"));
    Report report(layout);
    report.setSource(&master);
    report.setDetailLink(&detail, QStringLiteral("NUMERO_ORIENTADOR"));
    const QStringList lines = report.layOut(FixedMeasurer(), kPrintedAt).pages.first().lines();
    const QStringList body = lines.mid(lines.indexOf(QStringLiteral("1")) + 1);
    QCOMPARE(body,
             (QStringList{QStringLiteral("BOLSISTA B"), QStringLiteral("ORIENTADOR DOIS"), QStringLiteral("BOLSISTA A"),
                          QStringLiteral("ORIENTADOR UM"), QStringLiteral("BOLSISTA SEM"), QStringLiteral("BOLSISTA PERDIDO")}));
}

void TestReport::masterDetailByRange()
{
    // Advisors from a table, each with its first holder through a range on the
    // holders' ordering by NUMERO_ORIENTADOR.
    TestData data;
    const qint64 a1 = data.addAdvisor(zelta::test::makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
    data.addAdvisor(zelta::test::makeCpf(222222222), QStringLiteral("ORIENTADOR DOIS"));
    data.addHolder(QStringLiteral("BOLSISTA DO UM"), zelta::test::makeCpf(333), QStringLiteral("Novo"), QString(), a1);

    plat::db::Table advisors(data.db(), QStringLiteral("ZELTAORI"));
    advisors.open();
    plat::db::Table holders(data.db(), QStringLiteral("ZELTABOL"));
    holders.setIndexName(QStringLiteral("Id_Numero_Orientador"));
    holders.open();

    ReportLayout layout = simpleLayout(10);
    layout.detail.items.clear();
    layout.detail.addField(QStringLiteral("NOME"), 1, 1);
    layout.detail.addField(QStringLiteral("Nome"), 80, 1).fromDetail();
    TableSource master(advisors);
    TableSource detail(holders, QStringLiteral("NUMERO_ORIENTADOR"));
    Report report(layout);
    report.setSource(&master);
    report.setDetailLink(&detail, QStringLiteral("Codigo"));
    const QStringList lines = report.layOut(FixedMeasurer(), kPrintedAt).pages.first().lines();
    QCOMPARE(lines.mid(lines.indexOf(QStringLiteral("1")) + 1),
             (QStringList{QStringLiteral("ORIENTADOR UM"), QStringLiteral("BOLSISTA DO UM"), QStringLiteral("ORIENTADOR DOIS")}));

    // A link over a field that the detail's ordering does not start with is refused.
    TableSource wrong(holders, QStringLiteral("CPF"));
    report.setDetailLink(&wrong, QStringLiteral("Codigo"));
    QVERIFY(zelta::test::throws(plat::Error::Kind::Layout, [&] { report.layOut(FixedMeasurer(), kPrintedAt); }));
}

void TestReport::arialMetrics()
{
    // "Arial" is drawn with a face of the same metrics (Liberation Sans here),
    // so the layouts' positions hold: an Arial "M" is 0.833 em wide.
    QCOMPARE(QFontInfo(toQFont(bold(12))).family(), QStringLiteral("Liberation Sans"));
    const FontMeasurer m;
    const double em10 = 10 / 72.0 * 25.4;
    QVERIFY2(qAbs(m.width(QStringLiteral("M"), regular(10)) - 0.833 * em10) < 0.02,
             qPrintable(QString::number(m.width(QStringLiteral("M"), regular(10)))));
    // Widths grow with the size (within the rounding of glyph advances).
    const double w10 = m.width(QStringLiteral("MMMM"), regular(10));
    QVERIFY(qAbs(w10 * 2 / m.width(QStringLiteral("MMMM"), regular(20)) - 1) < 0.005);
    QVERIFY(m.width(QStringLiteral("Relatório"), bold(10)) > m.width(QStringLiteral("Relatório"), regular(10)));
    const double h = m.lineHeight(regular(10));
    QVERIFY2(h > 3.5 && h < 4.5, qPrintable(QString::number(h)));
}

void TestReport::pdfReadsBack()
{
    ListSource rows(numbered(60));
    Report report(simpleLayout(10));
    report.setSource(&rows);
    const PageModel model = report.layOut(kPrintedAt);
    QCOMPARE(model.pageCount(), 3);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("relatório.pdf"));
    writePdf(model, pdf);
    const QString all = pdfText(pdf);
    QVERIFY(all.contains(QStringLiteral("Cabeçalho")));
    QCOMPARE(all.count(QStringLiteral("31/08/1999 14:05:09")), 3);
    QCOMPARE(all.count(u'\f'), 3); // one form feed per page
    const QString second = pdfText(pdf, {QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-l"), QStringLiteral("2")});
    QVERIFY(second.contains(QStringLiteral("linha 27")));
    QVERIFY(second.contains(QStringLiteral("linha 52")));
    QVERIFY(!second.contains(QStringLiteral("linha 53")));
}

void TestReport::pdfFailureLeavesNoFile()
{
    ListSource rows(numbered(1));
    Report report(simpleLayout());
    report.setSource(&rows);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("falta/relatorio.pdf"));
    const auto error = zelta::test::thrown(plat::Error::Kind::Output,
                                           [&] { writePdf(report.layOut(FixedMeasurer(), kPrintedAt), pdf); });
    QVERIFY(error && error->contains(QStringLiteral("relatorio.pdf")));
    QVERIFY2(error->endsWith(QStringLiteral("Arquivo ou diretório inexistente")),
             qPrintable(*error)); // the system's words, in Portuguese
    QVERIFY(!QFile::exists(pdf));
}

QTEST_MAIN(TestReport)
#include "test_report.moc"
