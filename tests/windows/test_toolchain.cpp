// Runs on Windows (under Wine in this tree): each library the toolchain cache
// provides is linked, loaded and made to do one real piece of work, the way
// the program uses it.
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QtTest>

#include <csv.h>
#include <sqlite3.h>
#include <unzip.h>
#include <xlsxwriter.h>
#include <xxhash.h>

namespace {

QStringList sqliteOptions()
{
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK)
        return {};
    QStringList options;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA compile_options", -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
        options << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return options;
}

// Options that name the compiler or the system's threads differ by nature.
QStringList comparable(const QStringList& options)
{
    QStringList kept;
    for (const QString& o : options)
        if (!o.startsWith(u"COMPILER=") && !o.startsWith(u"MUTEX_"))
            kept << o;
    kept.sort();
    return kept;
}

struct CsvFields {
    QList<QStringList> records{{}};
};

QByteArray unzipped(const QString& zipPath, const char* entry)
{
    unzFile zip = unzOpen64(QFile::encodeName(zipPath).constData());
    if (!zip)
        return "<no zip>";
    QByteArray bytes;
    if (unzLocateFile(zip, entry, 0) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char buf[4096];
        int n;
        while ((n = unzReadCurrentFile(zip, buf, sizeof buf)) > 0)
            bytes.append(buf, n);
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return bytes;
}

} // namespace

class TestToolchain final : public QObject {
    Q_OBJECT
private slots:
    void sqliteBuiltLikeTheHostLibrary();
    void sqliteRunsTheFunctionsTheProgramUses();
    void xxhashDigestEqualsTheHostOne();
    void csvParsesQuotedFieldsAndRecords();
    void xlsxWrittenThroughMinizipAndReadBack();
    void pdfPrintedThroughPrintSupport();
    void pluginsFoundBesideTheLibraries();
};

// The host's option list comes from the check script (sqlite3 of the host);
// without it there is nothing to compare with.
void TestToolchain::sqliteBuiltLikeTheHostLibrary()
{
    const QString host = qEnvironmentVariable("ZELTA_HOST_SQLITE_OPTIONS");
    if (host.isEmpty())
        QSKIP("no host option list given");
    QCOMPARE(comparable(sqliteOptions()), comparable(host.split(u' ', Qt::SkipEmptyParts)));
}

void TestToolchain::sqliteRunsTheFunctionsTheProgramUses()
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    const char* sql = "CREATE TABLE t(id INTEGER PRIMARY KEY, nome TEXT);"
                      "INSERT INTO t(nome) VALUES ('Ção'), ('Relatórios');"
                      "CREATE TRIGGER t_au AFTER UPDATE ON t BEGIN SELECT 1; END;"
                      "UPDATE t SET nome = upper(nome) WHERE id = 2;";
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    QVERIFY2(rc == SQLITE_OK, error);
    sqlite3_stmt* st = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "SELECT count(*), json_array(sqrt(16)) FROM t", -1, &st, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_step(st), SQLITE_ROW);
    QCOMPARE(sqlite3_column_int(st, 0), 2);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))), QByteArray("[4.0]"));
    sqlite3_finalize(st);
    sqlite3_close(db);
}

void TestToolchain::xxhashDigestEqualsTheHostOne()
{
    QCOMPARE(quint64(XXH3_64bits("Zelta 99", 8)), Q_UINT64_C(0xf21631dd0875b78f));
}

void TestToolchain::csvParsesQuotedFieldsAndRecords()
{
    csv_parser parser;
    QCOMPARE(csv_init(&parser, CSV_REPALL_NL | CSV_APPEND_NULL), 0);
    CsvFields fields;
    const auto onField = [](void* s, size_t n, void* data) {
        static_cast<CsvFields*>(data)->records.last() << QString::fromUtf8(static_cast<const char*>(s), qsizetype(n));
    };
    const auto onRecord = [](int, void* data) { static_cast<CsvFields*>(data)->records.append(QStringList()); };
    const QByteArray text = "a;\"b;c\"\n\"d\"\"e\";ç\n";
    csv_set_delim(&parser, ';');
    QCOMPARE(csv_parse(&parser, text.constData(), size_t(text.size()), onField, onRecord, &fields), size_t(text.size()));
    csv_fini(&parser, onField, onRecord, &fields);
    csv_free(&parser);
    fields.records.removeLast();
    const QList<QStringList> expected{{u"a"_qs, u"b;c"_qs}, {u"d\"e"_qs, u"ç"_qs}};
    QCOMPARE(fields.records, expected);
}

void TestToolchain::xlsxWrittenThroughMinizipAndReadBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"planilha.xlsx"_qs);
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    QVERIFY(book);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Titulares");
    worksheet_write_string(sheet, 0, 0, "Relatórios Ção", nullptr);
    worksheet_write_number(sheet, 1, 0, 1234.5, nullptr);
    QCOMPARE(int(workbook_close(book)), int(LXW_NO_ERROR));

    QVERIFY(unzipped(path, "xl/sharedStrings.xml").contains("Relatórios Ção"));
    QVERIFY(unzipped(path, "xl/worksheets/sheet1.xml").contains("<v>1234.5</v>"));
}

void TestToolchain::pdfPrintedThroughPrintSupport()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"relatorio.pdf"_qs);
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        QPainter painter;
        QVERIFY(painter.begin(&printer));
        painter.drawRect(QRect(100, 100, 2000, 1000));
        QVERIFY(printer.newPage());
        painter.drawLine(0, 0, 500, 500);
        QVERIFY(painter.end());
    }
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 2);
}

// Qt finds its plugins from where its libraries are: the platform plugin
// this test runs on, and the native style the program's windows use.
void TestToolchain::pluginsFoundBesideTheLibraries()
{
    QCOMPARE(QGuiApplication::platformName(), u"minimal"_qs);
    QVERIFY2(QStyleFactory::keys().contains(u"windowsvista"_qs, Qt::CaseInsensitive),
             qPrintable(QStyleFactory::keys().join(u", ")));
}

QTEST_MAIN(TestToolchain)
#include "test_toolchain.moc"
