#include "RealPrograms.h"

#include "support/Throws.h"
#include "support/SourceTree.h"
#include "support/TestData.h"
#include "exchange/sheets/CsvText.h"
#include "exchange/sheets/SheetImport.h"
#include "exchange/sheets/SheetReaders.h"
#include "platform/system/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zelta;
using namespace zelta::sheets;
using zelta::test::errorOf;
using zelta::test::TestData;

namespace {

QString filesDir() { return test::sourceDir() + QStringLiteral("/tests/sheets/files"); }

QString quoted(QString text)
{
    text.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    text.replace(u'\n', QStringLiteral("\\n")).replace(u'\r', QStringLiteral("\\r")).replace(u'\t', QStringLiteral("\\t"));
    return u'"' + text + u'"';
}

QString cellReference(int row, int column)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

// A workbook as the files' .expected give it: for a CSV its character set
// and separator, then each sheet's name (and whether it is hidden) and its
// cells, "B2 1234567890", "A2 \"MARIA\"", "C2 1979-03-14", "D3 fórmula".
QStringList dump(const Workbook& book)
{
    QStringList out;
    if (!book.encoding.isEmpty())
        out << QStringLiteral("CSV %1 %2").arg(book.encoding, book.separator);
    for (const Sheet& sheet : book.sheets) {
        out << QStringLiteral("[%1]%2").arg(sheet.name, sheet.hidden ? QStringLiteral(" oculta") : QString());
        for (const SheetRow& row : sheet.rows)
            for (int c = 0; c < row.cells.size(); ++c) {
                const Cell& cell = row.cells[c];
                QString value;
                switch (cell.type) {
                case Cell::Type::Empty:
                    continue;
                case Cell::Type::Text:
                    value = quoted(cell.text);
                    break;
                case Cell::Type::Number:
                    value = QString::number(cell.number, 'g', 15);
                    break;
                case Cell::Type::Date:
                    value = cell.date.toString(Qt::ISODate);
                    break;
                case Cell::Type::Uncomputed:
                    value = QStringLiteral("fórmula %1").arg(cell.text);
                    break;
                }
                out << cellReference(row.number, c + 1) + u' ' + value;
            }
    }
    return out;
}

QStringList readOrMessage(const QString& path)
{
    try {
        return dump(readWorkbook(path));
    } catch (const plat::Error& e) {
        return {QStringLiteral("erro: ") + e.message()};
    }
}

QStringList expectedOf(const QString& path)
{
    QFile f(path + QStringLiteral(".expected"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// Every sheet of a folder that has its .expected, read; the differences,
// one line each, so that a failure shows every file that reads wrong.
QStringList differences(const QString& dir, const QStringList& names)
{
    QStringList out;
    for (const QString& name : names) {
        const QStringList expected = expectedOf(filesDir() + u'/' + name);
        const QStringList got = readOrMessage(dir + u'/' + name);
        if (expected.isEmpty())
            out << QStringLiteral("%1: no .expected; reads as:\n%2").arg(name, got.join(u'\n'));
        else if (got != expected)
            out << QStringLiteral("%1: expected\n%2\nread\n%3").arg(name, expected.join(u'\n'), got.join(u'\n'));
    }
    return out;
}

QStringList sheetsIn(const QString& dir)
{
    QStringList names = QDir(dir).entryList(QDir::Files, QDir::Name);
    names.removeIf([](const QString& n) { return n.endsWith(QStringLiteral(".expected")) || n.endsWith(QStringLiteral(".py")); });
    return names;
}

} // namespace

class TestSheetReaders : public QObject {
    Q_OBJECT
private slots:
    void sheetsAsOfficesMakeThem();
    void sheetsWrittenNowByThePrograms();
    void legacyCharacterSetsAreToldFromPortuguese();
    void sizeIsBoundedByTheCellsPresent();
    void formulaWithoutValueIsNamedInTheImport();

private:
    QTemporaryDir m_tmp;
};

void TestSheetReaders::sheetsAsOfficesMakeThem()
{
    const QStringList names = sheetsIn(filesDir());
    QVERIFY(names.size() >= 20);
    const QStringList wrong = differences(filesDir(), names);
    for (const QString& w : wrong)
        qWarning().noquote() << w;
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1 sheet(s) read wrong").arg(wrong.size())));
}

void TestSheetReaders::sheetsWrittenNowByThePrograms()
{
    // The programs installed here write the same sheets again: what they
    // write today must read as what they wrote when the folder was made.
    if (test::pythonWithOpenpyxl().isEmpty())
        QSKIP("python3-openpyxl is not installed");
    const QString dir = m_tmp.filePath(QStringLiteral("now"));
    test::runPython(QStringLiteral(
                        "import runpy, sys; sys.argv = sys.argv[1:]; runpy.run_path(sys.argv[0], run_name='__main__')"),
                    {filesDir() + QStringLiteral("/make_files.py"), dir, QStringLiteral("--only-programs")});
    const QStringList names = sheetsIn(dir);
    QVERIFY(names.contains(QStringLiteral("openpyxl.xlsx")));
    if (!test::soffice().isEmpty())
        QVERIFY(names.contains(QStringLiteral("libreoffice.ods")) && names.contains(QStringLiteral("libreoffice_ansi.csv")));
    const QStringList wrong = differences(dir, names);
    for (const QString& w : wrong)
        qWarning().noquote() << w;
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1 sheet(s) read wrong").arg(wrong.size())));
}

void TestSheetReaders::legacyCharacterSetsAreToldFromPortuguese()
{
    // What Windows-1252 makes of Portuguese names saved in the DOS and
    // Macintosh character sets, and Portuguese as Windows-1252 writes it.
    const QStringList legacy{
        QStringLiteral("JOÆO"),      QStringLiteral("CONCEI‡ÆO"), QStringLiteral("ANTâNIO"),    QStringLiteral("LUÖS"),
        QStringLiteral("GUIMARÇES"), QStringLiteral("Ant“nio"),   QStringLiteral("M\u00A0rio"), QStringLiteral("çLVARO"),
        QStringLiteral("LUêS"),      QStringLiteral("AÇE"),       QStringLiteral("JOS\u0081"),  QStringLiteral("ESTÒV"),
        QStringLiteral("ASSUN€ÇO"),  QStringLiteral("Jo‹o"),      QStringLiteral("A\u0007B"),
    };
    for (const QString& word : legacy)
        QVERIFY2(firstImplausible(word) >= 0, qPrintable(word));
    const QStringList portuguese{
        QStringLiteral("JOÃO DA CONCEIÇÃO"), QStringLiteral("Ávila"),         QStringLiteral("D´ÁVILA"),
        QStringLiteral("SANT’ANNA"),         QStringLiteral("MUÑOZ"),         QStringLiteral("MÜLLER"),
        QStringLiteral("1º ANO – “TURMA”"),  QStringLiteral("FRANÇOIS"),      QStringLiteral("Açaí e maçã"),
        QStringLiteral("nº 5 — sala…"),      QStringLiteral("OPÇÃO, FICÇÃO"), QStringLiteral("Linha\r\n\tdois"),
    };
    for (const QString& text : portuguese)
        QVERIFY2(firstImplausible(text) < 0, qPrintable(text));
    QCOMPARE(firstImplausible(QStringLiteral("JOSÉ ANTâNIO")), 8);
}

void TestSheetReaders::sizeIsBoundedByTheCellsPresent()
{
    // As wide as a sheet may be: every cell kept.
    QByteArray wide;
    for (int row = 0; row < 3; ++row) {
        for (int c = 1; c <= 16384; ++c)
            wide += QByteArray::number(c % 10) + (c < 16384 ? ";" : "\r\n");
    }
    const Workbook book = readCsv(wide);
    QCOMPARE(book.sheets.first().rows.size(), 3);
    QCOMPARE(book.sheets.first().rows.last().cells.size(), 16384);
    // One column more, or more cells than the limit allows, and the file is
    // refused with its name, before anything beyond the limit is built.
    QCOMPARE(errorOf([] { readCsv(QByteArray(16384, ';') + "x", QStringLiteral("largo.csv")); }),
             QStringLiteral("A planilha largo.csv é grande demais para ser lida (mais de 16384 colunas)"));
    Limits small;
    small.maxCells = 40000;
    QCOMPARE(errorOf([&] { readCsv(wide, QStringLiteral("largo.csv"), small); }),
             QStringLiteral("A planilha largo.csv é grande demais para ser lida (mais de 40000 células, contadas da "
                            "coluna A até a última preenchida de cada linha)"));
    // A cell far to the right costs its row's width, and only once: the
    // cell at the last position of the largest sheet reads alone.
    QByteArray far = "CPF\n" + QByteArray(16383, ';') + "x\n";
    for (int i = 0; i < 1000; ++i)
        far += "\n";
    far += "1\n";
    const Sheet sheet = readCsv(far).sheets.first();
    QCOMPARE(sheet.rows.size(), 3);
    QCOMPARE(sheet.rows[1].cells.size(), 16384);
    QCOMPARE(sheet.rows[2].number, 1003);
    QCOMPARE(sheet.rows[2].cells.size(), 1);
}

void TestSheetReaders::formulaWithoutValueIsNamedInTheImport()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 100);
    const Sheet sheet{QStringLiteral("Bolsistas"),
                      false,
                      {SheetRow{1, {Cell::ofText(QStringLiteral("CPF")), Cell::ofText(QStringLiteral("Nome"))}},
                       SheetRow{5, {Cell::ofText(test::makeCpf(200000001)), Cell::ofUncomputed(QStringLiteral("B5"))}}}};
    const ImportCheck check = checkImport(data.db(), ImportKind::Holders, sheet);
    QStringList lines;
    for (const RowProblem& p : check.problems)
        if (p.field == u"Nome")
            lines << problemLine(p);
    // Its own message, and not the empty name's.
    QCOMPARE(lines, QStringList{QStringLiteral(
                        "linha 5: Nome: a célula B5 tem uma fórmula sem valor calculado; abra a planilha e salve-a de novo")});
}

QTEST_GUILESS_MAIN(TestSheetReaders)
#include "test_sheet_readers.moc"
