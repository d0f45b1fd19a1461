// The sample institution taken down the year's road (recovered, three holders
// renewed), each output compared byte for byte with a file kept in golden/.
// ZELTA_UPDATE_GOLDEN=1 rewrites the files instead; read the difference before
// committing it.
#include "RecoverySample.h"
#include "exchange/RecoveryImport.h"
#include "platform/report/TextMeasurer.h"
#include "exchange/SubmissionWriter.h"
#include "reports/SelecaoRelatorio.h"
#include "reports/TFrm_Relatorio_Bol.h"
#include "support/TestData.h"
#include "validation/TVlCpfCgc.h"
#include "validation/Verificacao.h"

#include <QBuffer>
#include <QFile>
#include <QtTest>

using namespace zelta;

namespace {

void compareWithGolden(const QByteArray& actual, const QString& name)
{
    const QString path = QStringLiteral(ZELTA_GOLDEN_DIR "/") + name;
    QFile f(path);
    if (qEnvironmentVariableIntValue("ZELTA_UPDATE_GOLDEN") == 1) {
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(actual) == actual.size());
        return;
    }
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray expected = f.readAll();
    qsizetype i = 0;
    while (i < actual.size() && i < expected.size() && actual.at(i) == expected.at(i))
        ++i;
    QVERIFY2(actual == expected, qPrintable(QStringLiteral("%1 differs from byte %2 on (%3 bytes, %4 expected)")
                                                .arg(name)
                                                .arg(i)
                                                .arg(actual.size())
                                                .arg(expected.size())));
}

// Metrics that follow the size, so a value printed smaller fits as it would
// on paper: a character is 0.2 mm a point wide (a quarter more in bold), a
// line 0.4 mm a point high.
class ScaledMeasurer : public plat::report::TextMeasurer {
public:
    double width(const QString& text, const plat::report::Font& font) const override
    {
        return double(text.size()) * font.points * (font.bold ? 0.25 : 0.2);
    }
    double lineHeight(const plat::report::Font& font) const override { return font.points * 0.4; }
};

QString mm(double v) { return QString::number(v, 'f', 2); }

// Every frame and text of every page, one a line, positions in millimetres.
QByteArray layoutText(const plat::report::PageModel& model)
{
    QString out = model.title + u'\n';
    for (const plat::report::Page& page : model.pages) {
        out += QStringLiteral("página %1\n").arg(page.number);
        for (const QRectF& r : page.frames)
            out += QStringLiteral("quadro %1 %2 %3 %4\n").arg(mm(r.left()), mm(r.top()), mm(r.width()), mm(r.height()));
        for (const plat::report::TextRun& t : page.texts) {
            const QChar align = (t.align & Qt::AlignRight) ? u'D' : (t.align & Qt::AlignHCenter) ? u'C' : u'E';
            out += QStringLiteral("texto %1 %2 %3 %4 %5 %6%7 |%8|\n")
                       .arg(mm(t.rect.left()), mm(t.rect.top()), mm(t.rect.width()), mm(t.rect.height()))
                       .arg(align)
                       .arg(t.font.points)
                       .arg(t.font.bold ? QStringLiteral("n") : QString(), t.text);
        }
    }
    return out.toUtf8();
}

} // namespace

class TestSampleGolden : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_data = std::make_unique<zelta::test::TestData>();
        const QString file = m_data->dir() + QStringLiteral("/EXEMPLO.TEX");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(sample::sampleFile()) > 0);
        f.close();
        RecoveryOptions options;
        options.today = QDate(1999, 9, 1);
        options.backup = false;
        recuperarDados(m_data->dm(), file, options);
        m_data->db().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO='Renovado' WHERE Nome IN "
                                         "('ANA BEATRIZ QUEIROZ LEMOS','CAMILA ROCHA FONSECA','JOÃO PEDRO ANDRADE LUZ')"));
    }
    void cleanup() { m_data.reset(); }

    void submissionFile()
    {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(writeSubmission(m_data->db(), institutionNumber(m_data->db()), out), 12);
        compareWithGolden(out.data(), QStringLiteral("12345678.htm"));
    }

    void verificationLog()
    {
        // Two gaps, so the log names a holder and an advisor.
        m_data->db().exec(QStringLiteral("UPDATE ZELTABOL SET SEXO='' WHERE Nome='CAMILA ROCHA FONSECA'"));
        m_data->db().exec(QStringLiteral("UPDATE ZELTAORI SET TITULACAO='' WHERE NOME='HELENA DUARTE VASCONCELOS'"));
        TVlCpfCgc validator;
        validator.loadStoredState();
        Verificacao v(m_data->dm(), validator);
        QCOMPARE(v.run(), 2);
        compareWithGolden((v.log().join(u'\n') + u'\n').toUtf8(), QStringLiteral("verificacao.txt"));
    }

    void holderReportLayout()
    {
        SituacoesBolsista all;
        all.novos = all.renovados = all.excluidos = true;
        prepararRelatorioBol(*m_data->dm().Qr_Relatorio_Bol, all);
        TFrm_Relatorio_Bol report(m_data->dm());
        const plat::report::PageModel model = report.layOut(ScaledMeasurer(), QDateTime(QDate(1999, 9, 1), QTime(8, 0)));
        compareWithGolden(layoutText(model), QStringLiteral("relatorio_bolsistas.txt"));
    }

private:
    std::unique_ptr<zelta::test::TestData> m_data;
};

QTEST_GUILESS_MAIN(TestSampleGolden)
#include "test_sample_golden.moc"
