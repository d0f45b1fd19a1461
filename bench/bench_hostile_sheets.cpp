// Spreadsheets built to cost: small files that unpack or repeat into far more
// than they hold. Each is read in a child process of its own, so that the
// peak memory printed (ru_maxrss) is that file's alone; the aim is that any
// file under 10 MB is read or refused within 5 s and 300 MB.
#include "exchange/sheets/SheetReaders.h"
#include "platform/system/Error.h"
#include "support/Register.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <functional>

using namespace zelta;
using namespace zelta::sheets;

namespace {

const QByteArray kOdsHead = "<?xml version=\"1.0\"?><office:document-content "
                            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                            "<office:spreadsheet><table:table table:name=\"A\">";
const QByteArray kOdsTail = "</table:table></office:spreadsheet></office:body></office:document-content>";
const QByteArray kSheetMl = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A zip container of the parts given, deflated at the best level.
void writeZip(const QString& path, const QList<std::pair<QByteArray, std::function<void(zipFile)>>>& parts)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    for (const auto& [name, write] : parts) {
        zipOpenNewFileInZip64(zip, name.constData(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 1);
        write(zip);
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

std::function<void(zipFile)> bytes(const QByteArray& data)
{
    return [data](zipFile zip) { zipWriteInFileInZip(zip, data.constData(), unsigned(data.size())); };
}

// A part of `count` copies of `unit` between a head and a tail.
std::function<void(zipFile)> repeated(const QByteArray& head, const QByteArray& unit, qint64 count, const QByteArray& tail)
{
    return [=](zipFile zip) {
        zipWriteInFileInZip(zip, head.constData(), unsigned(head.size()));
        QByteArray block;
        for (int i = 0; i < 4096; ++i)
            block += unit;
        for (qint64 done = 0; done < count; done += 4096)
            zipWriteInFileInZip(zip, block.constData(), unsigned(unit.size() * std::min<qint64>(4096, count - done)));
        zipWriteInFileInZip(zip, tail.constData(), unsigned(tail.size()));
    };
}

void writeOds(const QString& path, const std::function<void(zipFile)>& content)
{
    writeZip(path, {{"mimetype", bytes("application/vnd.oasis.opendocument.spreadsheet")}, {"content.xml", content}});
}

void writeXlsx(const QString& path, const std::function<void(zipFile)>& sheet)
{
    writeZip(path,
             {{"xl/workbook.xml", bytes("<workbook xmlns=\"" + kSheetMl + "\" xmlns:r=\"" + kRels
                                        + "\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>")},
              {"xl/_rels/workbook.xml.rels",
               bytes("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\""
                     + kRels
                     + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                       "</Relationships>")},
              {"xl/worksheets/sheet1.xml", sheet}});
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(data);
}

// Reads the file in a child process: what came of it, the time and the
// child's peak memory.
QString measure(const QString& path)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return QStringLiteral("no pipe");
    QElapsedTimer t;
    t.start();
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        QString outcome;
        try {
            qint64 cells = 0;
            for (const Sheet& s : readWorkbook(path).sheets)
                for (const SheetRow& r : s.rows)
                    cells += r.cells.size();
            outcome = QStringLiteral("read, %1 cell positions").arg(cells);
        } catch (const plat::Error& e) {
            outcome = QStringLiteral("refused: ") + e.message();
        }
        const QByteArray text = outcome.toUtf8();
        (void)!write(pipeEnds[1], text.constData(), size_t(text.size()));
        _exit(0);
    }
    close(pipeEnds[1]);
    QByteArray outcome;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        outcome.append(buffer, n);
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const qint64 cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
                       + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    return QStringLiteral("%1 ms (processor %2 ms), peak %3 MB: %4")
        .arg(t.elapsed())
        .arg(cpu)
        .arg(usage.ru_maxrss / 1024)
        .arg(QString::fromUtf8(outcome));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const auto file = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const qint64 scale = std::max(1, bench::scaled(100));

    // A row repeated a million times with a cell in the last column.
    writeOds(file("linha_repetida.ods"),
             bytes(kOdsHead
                   + "<table:table-row table:number-rows-repeated=\"1000000\"><table:table-cell "
                     "table:number-columns-repeated=\"16383\"/><table:table-cell office:value-type=\"string\">"
                     "<text:p>x</text:p></table:table-cell></table:table-row>"
                   + kOdsTail));
    // 16,384 filled columns a row, 10 MB of text.
    {
        QByteArray row;
        for (int c = 1; c <= 16384; ++c)
            row += c < 16384 ? "x;" : "x\r\n";
        writeFile(file("colunas.csv"), row.repeated(qMax<qint64>(1, 320 * scale / 100)));
    }
    // 10 MB of one-letter fields: five million cells, a thousand a row.
    writeFile(file("campos.csv"), (QByteArray("x;").repeated(999) + "x\n").repeated(5000 * scale / 100));
    // A cell in the last column of each of 300 rows.
    writeXlsx(file("xfd_linhas.xlsx"),
              repeated("<worksheet xmlns=\"" + kSheetMl + "\"><dimension ref=\"A1:XFD1048576\"/><sheetData>",
                       "<row><c r=\"XFD1\" t=\"inlineStr\"><is><t>x</t></is></c></row>", 300, "</sheetData></worksheet>"));
    // A million rows of one cell each.
    writeXlsx(file("um_milhao.xlsx"),
              repeated("<worksheet xmlns=\"" + kSheetMl + "\"><sheetData>", "<row><c t=\"inlineStr\"><is><t>x</t></is></c></row>",
                       1'000'000 * scale / 100, "</sheetData></worksheet>"));
    // A part that unpacks to 1 GB of blanks.
    writeOds(file("bomba.ods"), repeated(kOdsHead, QByteArray(1024, ' '), (1 << 20) * scale / 100, kOdsTail));
    // 300 MB of empty rows: valid XML, as dense as it comes.
    writeOds(file("bomba_densa.ods"),
             repeated(kOdsHead, QByteArray("<table:table-row/>").repeated(64), 260'000 * scale / 100, kOdsTail));
    // Two thousand million spaces in one cell.
    writeOds(file("espacos.ods"), bytes(kOdsHead
                                        + "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>"
                                          "<text:s text:c=\"2000000000\"/></text:p></table:table-cell>"
                                          "</table:table-row>"
                                        + kOdsTail));

    // One cell of 300 million letters.
    writeOds(file("texto_longo.ods"),
             repeated(kOdsHead + "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>",
                      QByteArray(1024, 'a'), 300'000 * scale / 100, "</text:p></table:table-cell></table:table-row>" + kOdsTail));

    for (const char* name : {"linha_repetida.ods", "colunas.csv", "campos.csv", "xfd_linhas.xlsx", "um_milhao.xlsx", "bomba.ods",
                             "bomba_densa.ods", "espacos.ods", "texto_longo.ods"})
        out << QStringLiteral("%1 (%2 KB): %3\n")
                   .arg(QString::fromLatin1(name))
                   .arg(QFile(file(name)).size() / 1024)
                   .arg(measure(file(name)))
            << Qt::flush;
    return 0;
}
