// Exported spreadsheets as a Brazilian desktop writes them, opened by real
// programs; and exports that cannot be completed (a file-size limit, a cell
// the format refuses), which leave no file and say why in Portuguese, on the
// command line with nothing of the libraries' own words.
#include "RealPrograms.h"

#include "exchange/sheets/SheetExport.h"
#include "exchange/sheets/SheetWriter.h"
#include "exchange/sheets/ZipReadBack.h"
#include "platform/system/Error.h"
#include "platform/system/StderrCapture.h"
#include "support/Throws.h"
#include "support/TestData.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <vector>

#include <zip.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace zelta;
using namespace zelta::sheets;
using zelta::test::errorOf;

namespace {

// A soft file-size limit on this process while it lives, SIGXFSZ ignored as
// the program ignores it: a write past the limit fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit limit{bytes, m_old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_old{};
    void (*m_signal)(int) = nullptr;
};

QStringList everyEntry(const QString& dir) { return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

// The words of the libraries and of the C library that must not reach the user.
bool soundsForeign(const QString& message)
{
    for (const char* word : {"rror", "ZIP", "No space", "too large", "xlsx file", "Zip ", "System"})
        if (message.contains(QLatin1String(word)))
            return true;
    return false;
}

void writeRows(const QString& path, int rows)
{
    auto w = SheetWriter::create(path, QStringLiteral("Muitas"));
    for (int i = 0; i < rows; ++i)
        w->row({Cell::ofText(QStringLiteral("%1 JOÃO DA SILVA DE ALBUQUERQUE E SOUZA").arg(i)), Cell::ofNumber(i * 0.25),
                Cell::ofDate(QDate(1950, 1, 1).addDays(i % 20000)), Cell::ofText(QStringLiteral("Renovado"))});
    w->finish();
}

// The cells of the first sheet of each file as openpyxl reads them,
// "type:value", and the left page margin of each.
QJsonArray readByOpenpyxl(const QStringList& files)
{
    const QString dumped = test::runPython(QStringLiteral(R"(
import sys, json, openpyxl
out = []
for name in sys.argv[1:]:
    ws = openpyxl.load_workbook(name).worksheets[0]
    rows = [[type(c).__name__ + ":" + str(c) for c in r] for r in ws.iter_rows(values_only=True)]
    out.append({"rows": rows, "margin": ws.page_margins.left})
print(json.dumps(out))
)"),
                                           files);
    return QJsonDocument::fromJson(dumped.toUtf8()).array();
}

// A zip of the entries given, each stored (level 0) or compressed.
void writeZip(const QString& path, const QList<std::pair<const char*, QByteArray>>& entries, int level)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    QVERIFY(zip);
    for (const auto& [name, bytes] : entries) {
        zip_fileinfo info{};
        QCOMPARE(zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, level ? Z_DEFLATED : 0, level), ZIP_OK);
        QCOMPARE(zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size())), ZIP_OK);
        QCOMPARE(zipCloseFileInZip(zip), ZIP_OK);
    }
    QCOMPARE(zipClose(zip, nullptr), ZIP_OK);
}

} // namespace

class TestSheetExport : public QObject {
    Q_OBJECT
private slots:
    void readBackByRealProgramsOnABrazilianDesktop();
    void sizeLimitOrRefusedCellLeavesNoFile();
    void libraryTemporariesLieBesideTheTarget();
    void stderrCaptureKeepsOnlyTheLibraryLines();
    void readBackCountsRowsAndFindsDamage();
    void commandLineSaysItInPortuguese();

private:
    QTemporaryDir m_tmp;
};

void TestSheetExport::readBackByRealProgramsOnABrazilianDesktop()
{
    if (test::pythonWithOpenpyxl().isEmpty() || test::soffice().isEmpty())
        QSKIP("python3-openpyxl or libreoffice-calc-nogui is not installed");
    // The process's C locale as Qt leaves it on a Brazilian desktop: a decimal comma.
    const QByteArray before = std::setlocale(LC_ALL, nullptr);
    QVERIFY2(std::setlocale(LC_ALL, "pt_BR.UTF-8"), "the locale pt_BR.UTF-8 is missing: run scripts/install-deps");
    const QList<QByteArray> names{"LANG", "LC_ALL", "LC_NUMERIC"};
    QHash<QByteArray, QByteArray> environment;
    for (const QByteArray& name : names)
        if (qEnvironmentVariableIsSet(name.constData()))
            environment.insert(name, qgetenv(name.constData()));
    const auto restore = qScopeGuard([&] {
        std::setlocale(LC_ALL, before.constData());
        for (const QByteArray& name : names) {
            if (environment.contains(name))
                qputenv(name.constData(), environment.value(name));
            else
                qunsetenv(name.constData());
        }
    });
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));
    qputenv("LANG", "pt_BR.UTF-8");
    qunsetenv("LC_ALL");
    qunsetenv("LC_NUMERIC");

    const QString dir = m_tmp.filePath(QStringLiteral("brasil"));
    QVERIFY(QDir().mkpath(dir));
    // Runs of spaces and spaces at the ends are kept by every format.
    QStringList files;
    for (const QString& name : {QStringLiteral("a.xlsx"), QStringLiteral("b.ods"), QStringLiteral("c.csv")}) {
        files << QDir(dir).filePath(name);
        auto w = SheetWriter::create(files.last(), QStringLiteral("Pendências"));
        w->row({Cell::ofText(QStringLiteral("CPF")), Cell::ofText(QStringLiteral("Nome")), Cell::ofText(QStringLiteral("Valor")),
                Cell::ofText(QStringLiteral("Data"))});
        w->row({Cell::ofText(QStringLiteral("012.345.678-90")), Cell::ofText(QStringLiteral("JOÃO  D'ÁVILA")),
                Cell::ofNumber(1234.5), Cell::ofDate(QDate(1979, 3, 14))});
        w->row({Cell::ofText(QStringLiteral("000.000.001-91")), Cell::ofText(QStringLiteral(" ZÉLIA")), Cell::ofNumber(0.25),
                Cell::ofDate(QDate(2001, 12, 31))});
        w->finish();
    }
    const QVariantList expected{QVariantList{QStringLiteral("str:CPF"), QStringLiteral("str:Nome"), QStringLiteral("str:Valor"),
                                             QStringLiteral("str:Data")},
                                QVariantList{QStringLiteral("str:012.345.678-90"), QStringLiteral("str:JOÃO  D'ÁVILA"),
                                             QStringLiteral("float:1234.5"), QStringLiteral("datetime:1979-03-14 00:00:00")},
                                QVariantList{QStringLiteral("str:000.000.001-91"), QStringLiteral("str: ZÉLIA"),
                                             QStringLiteral("float:0.25"), QStringLiteral("datetime:2001-12-31 00:00:00")}};
    // openpyxl reads the XLSX file itself, page margins included.
    const QJsonArray own = readByOpenpyxl({files.first()});
    QCOMPARE(own.size(), 1);
    QCOMPARE(own[0][QStringLiteral("rows")].toArray().toVariantList(), expected);
    QCOMPARE(own[0][QStringLiteral("margin")].toDouble(), 0.7);
    // LibreOffice, in pt-BR, opens all three and saves them as XLSX, which
    // openpyxl then reads: the same cells, of the same types, from each.
    const QString back = m_tmp.filePath(QStringLiteral("brasil-lo"));
    QVERIFY(test::convertWithLibreOffice(files.mid(0, 2), QStringLiteral("xlsx"), back, m_tmp.filePath(QStringLiteral("lo"))));
    QVERIFY(test::convertWithLibreOffice(files.mid(2), QStringLiteral("xlsx"), back, m_tmp.filePath(QStringLiteral("lo"))));
    const QJsonArray converted = readByOpenpyxl({QDir(back).filePath(QStringLiteral("a.xlsx")),
                                                 QDir(back).filePath(QStringLiteral("b.xlsx")),
                                                 QDir(back).filePath(QStringLiteral("c.xlsx"))});
    QCOMPARE(converted.size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(converted[i][QStringLiteral("rows")].toArray().toVariantList(), expected);
}

void TestSheetExport::sizeLimitOrRefusedCellLeavesNoFile()
{
    for (const char* ext : {"xlsx", "ods", "csv"}) {
        // Unlimited, the rows make a whole file of some size.
        const QString whole = m_tmp.filePath(QStringLiteral("inteira.") + QLatin1String(ext));
        writeRows(whole, 40000);
        const rlim_t size = rlim_t(QFileInfo(whole).size());
        QVERIFY(size > 64 * 1024);
        // Limited below the smallest part and halfway through the file; and
        // for XLSX above the file while below its sheet's XML: there the
        // library zips a sheet cut short without a word, and only reading it
        // back tells.
        std::vector<rlim_t> limits{4096, size / 2};
        if (QLatin1String(ext) == u"xlsx")
            limits.push_back(size + size / 2);
        for (const rlim_t limit : limits) {
            const QString dir = m_tmp.filePath(QStringLiteral("limite-%1-%2").arg(limit).arg(QLatin1String(ext)));
            QVERIFY(QDir().mkpath(dir));
            const QString path = QDir(dir).filePath(QStringLiteral("lista.") + QLatin1String(ext));
            QString error;
            {
                const FileSizeLimit fsize(limit);
                error = errorOf([&] { writeRows(path, 40000); });
            }
            const QString where = QStringLiteral("%1 at %2 bytes: %3").arg(QLatin1String(ext)).arg(limit).arg(error);
            QVERIFY2(error.startsWith(QStringLiteral("A planilha %1 não pôde ser gravada: ").arg(path)), qPrintable(where));
            QVERIFY2(!soundsForeign(error), qPrintable(where));
            QVERIFY2(everyEntry(dir).isEmpty(), qPrintable(where + u' ' + everyEntry(dir).join(u',')));
        }
    }

    // A text longer than an XLSX cell holds is named, and fails the file.
    const QString dir = m_tmp.filePath(QStringLiteral("longa"));
    QVERIFY(QDir().mkpath(dir));
    const QString refused = QDir(dir).filePath(QStringLiteral("longa.xlsx"));
    const QString error = errorOf([&] {
        auto w = SheetWriter::create(refused, QStringLiteral("Longa"));
        w->row({Cell::ofText(QStringLiteral("CPF")), Cell::ofText(QStringLiteral("Nome"))});
        w->row({Cell::ofText(QStringLiteral("1")), Cell::ofText(QString(40000, u'Ã'))});
        w->row({Cell::ofText(QStringLiteral("2"))});
        w->finish();
    });
    QCOMPARE(error, QStringLiteral("A planilha %1 não pôde ser gravada: o texto da célula B2 tem 40000 caracteres, e uma "
                                   "célula XLSX guarda até 32.767")
                        .arg(refused));
    QCOMPARE(everyEntry(dir), QStringList());
}

void TestSheetExport::libraryTemporariesLieBesideTheTarget()
{
    // The XLSX library keeps the rows in a file it opens and unlinks at once:
    // this process's descriptors show where it lies.
    const auto deletedFiles = [] {
        QStringList found;
        for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files)) {
            const QString target = fd.symLinkTarget();
            if (target.endsWith(QStringLiteral(" (deleted)")))
                found << QFileInfo(target.chopped(10)).absolutePath();
        }
        return found;
    };
    const QString dir = m_tmp.filePath(QStringLiteral("ao-lado"));
    QVERIFY(QDir().mkpath(dir));
    const QStringList before = deletedFiles();
    auto w = SheetWriter::create(QDir(dir).filePath(QStringLiteral("lista.xlsx")), QStringLiteral("Lista"));
    w->row({Cell::ofText(QStringLiteral("CPF"))});
    QStringList during = deletedFiles();
    for (const QString& old : before)
        during.removeOne(old);
    QVERIFY(!during.isEmpty());
    QCOMPARE(during, QStringList(during.size(), dir));
    w->finish();
}

void TestSheetExport::stderrCaptureKeepsOnlyTheLibraryLines()
{
    // The standard error of this test goes to a file meanwhile, to see what
    // would have reached the terminal.
    std::fflush(stderr);
    const QString seenPath = m_tmp.filePath(QStringLiteral("stderr.txt"));
    const int seen = ::open(QFile::encodeName(seenPath).constData(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    const int saved = ::dup(STDERR_FILENO);
    QVERIFY(seen >= 0 && saved >= 0);
    ::dup2(seen, STDERR_FILENO);
    QByteArray kept;
    {
        plat::sys::StderrCapture capture({QByteArrayLiteral("[ERROR]"), QByteArrayLiteral("[WARNING]")});
        std::fprintf(stderr, "[ERROR] workbook_close(): Error creating 'x'. System error = No space left on device\n");
        std::fprintf(stderr, "outra coisa\n[WARNING]: aviso\n");
        ::write(STDERR_FILENO, "sem fim", 7);
        kept = capture.finish();
        std::fprintf(stderr, "depois\n");
    }
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(seen);
    QCOMPARE(kept, QByteArray("[ERROR] workbook_close(): Error creating 'x'. System error = No space left on device\n"
                              "[WARNING]: aviso\n"));
    QFile file(seenPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("outra coisa\nsem fim\ndepois\n"));
}

void TestSheetExport::readBackCountsRowsAndFindsDamage()
{
    // Rows of every length, the first one placed so that its marker is cut
    // by the end of the first piece read (256 KiB).
    const QByteArray head = "<?xml version=\"1.0\"?>\n<worksheet><sheetData>";
    QByteArray sheet = head + QByteArray(256 * 1024 - 2 - head.size(), ' ');
    for (int i = 0; i < 30000; ++i)
        sheet += "<row r=\"" + QByteArray::number(i + 1) + "\">" + QByteArray(i % 37, 'x') + "</row>";
    sheet += "</sheetData></worksheet>\n";
    QCOMPARE(sheet.indexOf("<row "), 256 * 1024 - 2);
    const QByteArray rels = "<?xml version=\"1.0\"?><Relationships><Relationship Id=\"r\"/></Relationships>";
    const QString whole = m_tmp.filePath(QStringLiteral("inteiro.zip"));
    writeZip(whole, {{"_rels/.rels", rels}, {"xl/worksheets/sheet1.xml", sheet}, {"mimetype", "not xml"}}, 6);
    ZipReadBack back = ZipReadBack::read(whole, "xl/worksheets/", "<row ");
    QCOMPARE(back.problem, QString());
    QCOMPARE(back.markers, 30000);

    // A part cut short inside a zip that is sound itself.
    const QString cut = m_tmp.filePath(QStringLiteral("cortado.zip"));
    writeZip(cut, {{"_rels/.rels", rels}, {"xl/worksheets/sheet1.xml", sheet.left(sheet.size() - 40)}}, 6);
    QCOMPARE(ZipReadBack::read(cut).problem, QStringLiteral("a parte xl/worksheets/sheet1.xml do arquivo termina antes do fim"));

    // A byte changed on the disk, in a stored part: its CRC fails.
    const QString changed = m_tmp.filePath(QStringLiteral("alterado.zip"));
    writeZip(changed, {{"_rels/.rels", rels}}, 0);
    QFile file(changed);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf("Relationship Id");
    QVERIFY(at > 0);
    bytes[at] = 'r';
    QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
    file.close();
    QVERIFY2(ZipReadBack::read(changed).problem.contains(QStringLiteral("(CRC)")),
             qPrintable(ZipReadBack::read(changed).problem));

    // A zip whose end (the index) is missing.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.left(bytes.size() / 2));
    file.close();
    QCOMPARE(ZipReadBack::read(changed).problem,
             QStringLiteral("o arquivo lido de volta do disco não é um arquivo compactado inteiro"));
}

void TestSheetExport::commandLineSaysItInPortuguese()
{
    test::TestData data;
    const QString ori = test::makeCpf(401230567);
    const qint64 codigo = data.addAdvisor(ori, QStringLiteral("HELENA ÁVILA"));
    data.db().exec(QStringLiteral("BEGIN"));
    for (int i = 0; i < 1500; ++i)
        data.addHolder(QStringLiteral("BOLSISTA DE NOME BEM LONGO NÚMERO %1").arg(i), test::makeCpf(200000000 + i),
                       QStringLiteral("Novo"), ori, codigo);
    data.db().exec(QStringLiteral("COMMIT"));
    static QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
    env.remove(QStringLiteral("LC_ALL"));
    for (const char* ext : {"xlsx", "ods", "csv"}) {
        const QString whole = m_tmp.filePath(QStringLiteral("cli-inteira.") + QLatin1String(ext));
        QCOMPARE(exportList(data.dm(), ExportList::Holders, whole), 1500);
        // Limited below the first part the libraries write, where the XLSX
        // library prints its own "[ERROR]" lines, and to half the file.
        for (const rlim_t limit : {rlim_t(4096), rlim_t(QFileInfo(whole).size() / 2)}) {
            const QString dir = m_tmp.filePath(QStringLiteral("cli-%1-%2").arg(limit).arg(QLatin1String(ext)));
            QVERIFY(QDir().mkpath(dir));
            const QString path = QDir(dir).filePath(QStringLiteral("bolsistas.") + QLatin1String(ext));
            QProcess p;
            p.setProcessEnvironment(env);
            p.setChildProcessModifier([limit] {
                const rlimit fsize{limit, limit};
                ::setrlimit(RLIMIT_FSIZE, &fsize);
            });
            p.start(QStringLiteral(ZELTA_EXE),
                    {QStringLiteral("exportar"), QStringLiteral("bolsistas"), path, QStringLiteral("--dados"), data.dir()});
            QVERIFY(p.waitForFinished(120000));
            const QString err = QString::fromUtf8(p.readAllStandardError());
            const QString out = QString::fromUtf8(p.readAllStandardOutput());
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 2, qPrintable(out + err));
            QVERIFY2(err.startsWith(QStringLiteral("A planilha %1 não pôde ser gravada: ").arg(path)), qPrintable(err));
            // One line, the program's: nothing the libraries printed.
            QVERIFY2(err.count(u'\n') == 1 && !soundsForeign(err), qPrintable(err));
            QVERIFY(out.isEmpty());
            QCOMPARE(everyEntry(dir), QStringList());
        }
    }
}

QTEST_GUILESS_MAIN(TestSheetExport)
#include "test_sheet_export.moc"
