// Spreadsheets: import of 10,000 new holders from an XLSX file (read, check,
// write), and export of a register of 100,000 holders to XLSX, with the
// process's peak memory, then to ODS and CSV.
#include "exchange/sheets/SheetExport.h"
#include "exchange/sheets/SheetImport.h"
#include "exchange/sheets/SheetReaders.h"
#include "exchange/sheets/SheetWriter.h"
#include "platform/db/Database.h"
#include "support/Register.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

using namespace zelta;
using namespace zelta::bench;
using namespace zelta::sheets;

namespace {

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Processor time of the whole process (every thread), in milliseconds: on a
// shared machine the wall clock says more about the neighbours.
qint64 processorMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(u' ', 0, 2) : QStringLiteral("?");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    out << "load average before: " << loadAverage() << '\n';
    {
        // Export first, so that the peak memory is the export's.
        Register big(RegisterShape{50000, 100000, 1.0 / 3.0, 1999});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bolsistas.xlsx"));
        QElapsedTimer t;
        t.start();
        qint64 cpu = processorMs();
        const int rows = exportList(big.dm(), ExportList::Holders, path);
        out << QStringLiteral("export of %1 holders to XLSX: %2 ms (processor %5 ms), %3 KB, peak memory %4 MB\n")
                   .arg(rows)
                   .arg(t.elapsed())
                   .arg(QFile(path).size() / 1024)
                   .arg(peakMegabytes())
                   .arg(processorMs() - cpu);
        // The other two formats, after the figure of memory.
        for (const char* ext : {"ods", "csv"}) {
            const QString other = dir.filePath(QStringLiteral("bolsistas.") + QLatin1String(ext));
            t.restart();
            cpu = processorMs();
            exportList(big.dm(), ExportList::Holders, other);
            out << QStringLiteral("export of %1 holders to %2: %3 ms (processor %5 ms), %4 KB\n")
                       .arg(rows)
                       .arg(QString::fromLatin1(ext).toUpper())
                       .arg(t.elapsed())
                       .arg(QFile(other).size() / 1024)
                       .arg(processorMs() - cpu);
        }
    }
    {
        Register reg(RegisterShape{2000, 0, 0, 7});
        reg.dm().database().exec(QStringLiteral("UPDATE ZELTAINT SET Cotas = 20000"));
        const QString advisor
            = reg.dm().database().scalar(QStringLiteral("SELECT CPF FROM ZELTAORI ORDER BY Codigo LIMIT 1")).toString();
        // The file to import, 10,000 new holders with their CPFs as numbers
        // and dates as date cells, as the selection office's sheet holds them.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("novos.xlsx"));
        {
            auto w = SheetWriter::create(path, QStringLiteral("Novos"));
            w->row({Cell::ofText(QStringLiteral("Nome")), Cell::ofText(QStringLiteral("CPF")),
                    Cell::ofText(QStringLiteral("Sexo")), Cell::ofText(QStringLiteral("Data de Nascimento")),
                    Cell::ofText(QStringLiteral("Agência")), Cell::ofText(QStringLiteral("CPF do Orientador"))});
            for (int i = 0; i < 10000; ++i)
                w->row({Cell::ofText(Register::name(unsigned(i) * 2654435761u)),
                        Cell::ofNumber(Register::cpf(300000000 + i).remove(u'.').remove(u'-').toDouble()),
                        Cell::ofText(i % 2 ? QStringLiteral("F") : QStringLiteral("Masculino")),
                        Cell::ofDate(QDate(1970 + i % 30, 1 + i % 12, 1 + i % 28)), Cell::ofText(QStringLiteral("1234-5")),
                        Cell::ofText(advisor)});
            w->finish();
        }
        QElapsedTimer t;
        t.start();
        const Workbook book = readWorkbook(path);
        const qint64 read = t.elapsed();
        const ImportCheck check = checkImport(reg.dm().database(), ImportKind::Holders, book.sheets.first());
        const qint64 checked = t.elapsed();
        if (!check.problems.isEmpty()) {
            out << "unexpected problem: " << problemLine(check.problems.first()) << '\n';
            return 1;
        }
        const ImportResult r = writeImport(reg.dm(), check);
        out << QStringLiteral("import of %1 holders from XLSX: %2 ms (read %3, check %4, copy and write %5)\n")
                   .arg(r.added)
                   .arg(t.elapsed())
                   .arg(read)
                   .arg(checked - read)
                   .arg(t.elapsed() - checked);
    }
    out << "load average after: " << loadAverage() << '\n';
    return 0;
}
