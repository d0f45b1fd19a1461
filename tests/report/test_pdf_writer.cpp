// The PDF writer, read back with the poppler tools: the file's structure,
// where texts and frames land, the character set, and failures.
#include "platform/report/PdfWriter.h"
#include "platform/report/TextMeasurer.h"
#include "support/Throws.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace plat::report;

namespace {

constexpr double kPt = 72.0 / 25.4; // points per millimetre

struct Tool {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Tool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    Tool t;
    if (!p.waitForFinished(30000))
        return t;
    t.exitCode = p.exitCode();
    t.out = p.readAllStandardOutput();
    t.err = p.readAllStandardError();
    return t;
}

// Words of a page as pdftotext places them, in points from the top left.
struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;
};

QList<Word> words(const QString& pdf, int page = 1)
{
    const Tool t = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                                                     QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    static const QRegularExpression re(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Word> out;
    for (auto it = re.globalMatch(QString::fromUtf8(t.out)); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
        out << Word{text, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4).toDouble()};
    }
    return out;
}

const Word* findWord(const QList<Word>& list, const QString& text)
{
    for (const Word& w : list)
        if (w.text == text)
            return &w;
    return nullptr;
}

TextRun textRun(const QRectF& mm, const QString& text, const Font& font, Qt::Alignment align = Qt::AlignLeft)
{
    return TextRun{mm, text, font, align};
}

PageModel onePage(QList<TextRun> texts, QList<QRectF> frames = {})
{
    PageModel model;
    model.title = QStringLiteral("Relatório de Conferência");
    Page page;
    page.number = 1;
    page.texts = std::move(texts);
    page.frames = std::move(frames);
    model.pages << page;
    return model;
}

// A device that takes the first limit bytes and then refuses to write.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (m_written + size > m_limit) {
            setErrorString(QStringLiteral("Não há espaço no dispositivo"));
            return -1;
        }
        m_written += size;
        return size;
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

} // namespace

class TestPdfWriter : public QObject {
    Q_OBJECT
private slots:
    void structureIsExact();
    void textsStandWhereTheLayoutPutThem();
    void charactersReadBack();
    void framesAndTextOnTheRaster();
    void failuresAreReported();
};

void TestPdfWriter::structureIsExact()
{
    PageModel model;
    model.title = QStringLiteral("Relatório de Conferência - Bolsistas");
    for (int i = 1; i <= 3; ++i) {
        Page page;
        page.number = i;
        page.texts << textRun(QRectF(10, 10, 50, 5), QStringLiteral("página %1").arg(i), regular(10));
        page.texts << textRun(QRectF(10, 20, 50, 5), QStringLiteral("negrito"), bold(12));
        model.pages << page;
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writePdf(model, buffer);
    const QByteArray pdf = buffer.data();
    QVERIFY(pdf.startsWith("%PDF-1.4\n"));
    QVERIFY(pdf.endsWith("%%EOF\n"));

    // Every offset of the cross-reference table points at its object, so no
    // reader has to rebuild the table.
    const qsizetype sx = pdf.lastIndexOf("startxref\n");
    QVERIFY(sx > 0);
    const qsizetype xref = pdf.mid(sx + 10).split('\n').first().toLongLong();
    QCOMPARE(pdf.mid(xref, 5), QByteArray("xref\n"));
    const QList<QByteArray> lines = pdf.mid(xref).split('\n');
    const int count = lines[1].split(' ').at(1).toInt();
    QVERIFY(count > 3 * 2 + 4);
    QCOMPARE(lines[2], QByteArray("0000000000 65535 f "));
    for (int n = 1; n < count; ++n) {
        const QByteArray entry = lines[2 + n];
        QCOMPARE(entry.size(), 19); // 20 bytes with the line feed
        const qint64 offset = entry.left(10).toLongLong();
        QVERIFY2(pdf.mid(offset).startsWith(QByteArray::number(n) + " 0 obj\n"), entry.constData());
    }
    QVERIFY(pdf.mid(xref).contains("/Size " + QByteArray::number(count) + " "));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("relatório.pdf"));
    writePdf(model, path);
    const Tool info = run(QStringLiteral("pdfinfo"), {path});
    QCOMPARE(info.exitCode, 0);
    QCOMPARE(info.err, QByteArray()); // poppler complains of any damage it repairs
    const QString text = QString::fromUtf8(info.out);
    QVERIFY(text.contains(QStringLiteral("Relatório de Conferência - Bolsistas")));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))));
    QVERIFY(text.contains(QStringLiteral("595.28 x 841.89 pts (A4)")));
    const Tool fonts = run(QStringLiteral("pdffonts"), {path});
    QVERIFY(fonts.out.contains("Helvetica-Bold "));
    QVERIFY(fonts.out.contains("Helvetica "));
    QVERIFY(fonts.out.contains("WinAnsi"));
}

void TestPdfWriter::textsStandWhereTheLayoutPutThem()
{
    const FontMeasurer m;
    const Font f = regular(10);
    const Font b = bold(14);
    const PageModel model = onePage({
        textRun(QRectF(20, 30, 80, 5), QStringLiteral("ESQUERDA"), f),
        textRun(QRectF(20, 50, 80, 5), QStringLiteral("DIREITA"), f, Qt::AlignRight),
        textRun(QRectF(20, 70, 80, 5), QStringLiteral("CENTRO"), b, Qt::AlignHCenter),
        textRun(QRectF(20, 90, 80, 5), QStringLiteral("MMMMMMMMMMWWWWWWWWiiiiiiiiii"), f),
    });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pos.pdf"));
    writePdf(model, path);
    const QList<Word> list = words(path);
    QCOMPARE(list.size(), 4);

    const Word* left = findWord(list, QStringLiteral("ESQUERDA"));
    const Word* right = findWord(list, QStringLiteral("DIREITA"));
    const Word* centre = findWord(list, QStringLiteral("CENTRO"));
    const Word* wide = findWord(list, QStringLiteral("MMMMMMMMMMWWWWWWWWiiiiiiiiii"));
    QVERIFY(left && right && centre && wide);
    QVERIFY(qAbs(left->xMin - 20 * kPt) < 0.05);
    QVERIFY2(qAbs(right->xMax - 100 * kPt) < 0.05, qPrintable(QString::number(right->xMax)));
    QVERIFY(qAbs((centre->xMin + centre->xMax) / 2 - 60 * kPt) < 0.05);
    // The declared widths are the ones the layout measured with.
    QVERIFY2(qAbs((wide->xMax - wide->xMin) - m.width(wide->text, f) * kPt) < 0.05,
             qPrintable(QStringLiteral("%1 %2").arg(wide->xMax - wide->xMin).arg(m.width(wide->text, f) * kPt)));
    QVERIFY(qAbs((centre->xMax - centre->xMin) - m.width(centre->text, b) * kPt) < 0.05);
    // Each text hangs from the top of its box: the glyph box starts just below it.
    for (const auto& [word, top] : {std::pair{left, 30.0}, std::pair{right, 50.0}, std::pair{centre, 70.0}}) {
        QVERIFY2(word->yMin >= top * kPt - 0.05 && word->yMin < top * kPt + 0.3 * 14,
                 qPrintable(QStringLiteral("%1: %2").arg(word->text).arg(word->yMin)));
    }
}

void TestPdfWriter::charactersReadBack()
{
    const PageModel model = onePage({
        textRun(QRectF(10, 10, 150, 5), QStringLiteral("(parênteses)"), regular(10)),
        textRun(QRectF(10, 20, 150, 5), QStringLiteral("barra\\invertida"), regular(10)),
        textRun(QRectF(10, 30, 150, 5), QStringLiteral("AÇÃO ÉRICA São João ü €"), bold(10)),
        textRun(QRectF(10, 40, 150, 5), QStringLiteral("fora\u03A9\u4E2Ddo"), regular(10)),
        textRun(QRectF(10, 50, 150, 5), QStringLiteral("tab\tcontrole"), regular(10)),
    });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chars.pdf"));
    writePdf(model, path);
    const Tool t = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QCOMPARE(t.err, QByteArray());
    const QString text = QString::fromUtf8(t.out);
    QVERIFY2(text.contains(QStringLiteral("(parênteses)")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("barra\\invertida")));
    QVERIFY(text.contains(QStringLiteral("AÇÃO ÉRICA São João ü €")));
    // Outside the set, and control characters: one '?' each, as the measurer counts them.
    QVERIFY(text.contains(QStringLiteral("fora??do")));
    QVERIFY(text.contains(QStringLiteral("tab?controle")));
    const FontMeasurer m;
    QCOMPARE(m.width(QStringLiteral("fora\u03A9\u4E2Ddo"), regular(10)), m.width(QStringLiteral("fora??do"), regular(10)));
}

void TestPdfWriter::framesAndTextOnTheRaster()
{
    // A frame of 100 x 50 mm at (20, 30) and a text inside it, drawn at 10
    // pixels per millimetre.
    const PageModel model = onePage({textRun(QRectF(30, 40, 60, 5), QStringLiteral("DENTRO DO QUADRO"), regular(12))},
                                    {QRectF(20, 30, 100, 50)});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quadro.pdf"));
    writePdf(model, path);
    const Tool t = run(QStringLiteral("pdftoppm"),
                       {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"), QStringLiteral("-png"),
                        QStringLiteral("-singlefile"), path, dir.filePath(QStringLiteral("quadro"))});
    QCOMPARE(t.exitCode, 0);
    const QImage image(dir.filePath(QStringLiteral("quadro.png")));
    QVERIFY(!image.isNull());
    auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    auto darkNear = [&](int x, int y) {
        return dark(x, y) || dark(x, y - 1) || dark(x, y + 1) || dark(x - 1, y) || dark(x + 1, y);
    };
    // The four sides, and nothing just inside or outside them.
    for (int x = 250; x <= 1150; x += 100) {
        QVERIFY2(darkNear(x, 300), qPrintable(QString::number(x)));
        QVERIFY(darkNear(x, 800));
        QVERIFY(!dark(x, 290) && !dark(x, 810));
    }
    for (int y = 350; y <= 750; y += 100) {
        QVERIFY(darkNear(200, y));
        QVERIFY(darkNear(1200, y));
    }
    QVERIFY(!dark(700, 700));
    // The text's ink lies inside its box, below the box's top.
    int inkTop = image.height(), inkBottom = -1, ink = 0;
    for (int y = 320; y < 790; ++y)
        for (int x = 210; x < 1190; ++x)
            if (dark(x, y)) {
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
                ++ink;
                QVERIFY2(x >= 300 && x <= 900, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
    QVERIFY(ink > 500);
    QVERIFY2(inkTop >= 400 && inkBottom <= 450 + 5, qPrintable(QStringLiteral("%1..%2").arg(inkTop).arg(inkBottom)));
}

void TestPdfWriter::failuresAreReported()
{
    PageModel model;
    for (int i = 1; i <= 40; ++i) {
        Page page;
        page.number = i;
        for (int line = 0; line < 50; ++line)
            page.texts << textRun(QRectF(10, 10 + line * 5, 150, 5), QStringLiteral("linha %1 da página %2").arg(line).arg(i),
                                  regular(10));
        model.pages << page;
    }
    // The device fills up part of the way: the writer says so and stops.
    for (const qint64 limit : {0LL, 100LL, 20000LL}) {
        FullDevice full(limit);
        const auto error = zelta::test::thrown(plat::Error::Kind::Output, [&] { writePdf(model, full); });
        QVERIFY(error);
        QVERIFY2(error->contains(QStringLiteral("Não há espaço no dispositivo")), qPrintable(*error));
    }
    // A path that cannot be written: no file, and the path in the message.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("falta/relatorio.pdf"));
    const auto error = zelta::test::thrown(plat::Error::Kind::Output, [&] { writePdf(model, path); });
    QVERIFY(error && error->contains(QStringLiteral("relatorio.pdf")));
    QVERIFY(!QFile::exists(path));
    // A fifo under the name stays a fifo: the writer never renames over
    // something that is not a regular file (as /dev/null would be).
    const QString fifo = dir.filePath(QStringLiteral("fila.pdf"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const auto refused = zelta::test::thrown(plat::Error::Kind::Output, [&] { writePdf(model, fifo); });
    QVERIFY(refused && refused->contains(QStringLiteral("não é um arquivo comum")));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
    // Only an older PDF is replaced: a mistyped path must not cost the
    // register (or any other document) its content.
    const QString other = dir.filePath(QStringLiteral("zelta99.db"));
    {
        QFile f(other);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("SQLite format 3");
    }
    const auto kept = zelta::test::thrown(plat::Error::Kind::Output, [&] { writePdf(model, other); });
    QVERIFY(kept && kept->contains(QStringLiteral("não é um PDF")));
    QFile otherFile(other);
    QVERIFY(otherFile.open(QIODevice::ReadOnly));
    QCOMPARE(otherFile.readAll(), QByteArray("SQLite format 3"));
    const QString older = dir.filePath(QStringLiteral("antigo.pdf"));
    writePdf(model, older);
    writePdf(model, older); // a report over an older report
    // Nothing to print is refused before anything is written.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(zelta::test::throws(plat::Error::Kind::Output, [&] { writePdf(PageModel(), buffer); }));
    QVERIFY(buffer.data().isEmpty());
}

QTEST_MAIN(TestPdfWriter)
#include "test_pdf_writer.moc"
