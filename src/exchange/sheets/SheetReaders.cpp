#include "exchange/sheets/SheetReaders.h"

#include "exchange/sheets/SheetBuilder.h"
#include "platform/system/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zelta::sheets {

Workbook readWorkbook(const QString& path, const Limits& limits)
{
    // Opening a fifo would wait for a writer that may never come, and a
    // device may never end: only a regular file is read.
    const QFileInfo info(path);
    if (info.isDir())
        throw plat::Error::input(QStringLiteral("%1 é uma pasta, não uma planilha").arg(QDir::toNativeSeparators(path)));
    if (info.exists() && !info.isFile())
        throw plat::Error::input(QStringLiteral("%1 não é um arquivo comum (é um dispositivo, uma fila ou um soquete)")
                                     .arg(QDir::toNativeSeparators(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw plat::Error::input(QStringLiteral("O arquivo %1 não pôde ser aberto: %2").arg(path, file.errorString()));
    if (file.size() > limits.maxFileBytes)
        tooLarge(QStringLiteral("o arquivo passa de %1 MB").arg(limits.maxFileBytes >> 20));
    // A zip container is a workbook: ODS names its kind in the part
    // "mimetype", XLSX has its workbook part.
    if (file.peek(4) != QByteArray("PK\x03\x04", 4))
        return readCsv(file.readAll(), limits);
    file.close();
    bool ods = false, xlsx = false;
    {
        const ZipFile zip(path);
        ods = zip.has(QStringLiteral("content.xml"));
        xlsx = zip.has(QStringLiteral("xl/workbook.xml"));
    }
    if (ods)
        return readOds(path, limits);
    if (xlsx)
        return readXlsx(path, limits);
    unreadable(QStringLiteral("o arquivo compactado não é XLSX nem ODS"));
}

} // namespace zelta::sheets
