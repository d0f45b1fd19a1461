#include "exchange/sheets/SheetReaders.h"

#include "exchange/sheets/SheetBuilder.h"
#include "platform/system/Error.h"

#include <QFile>
#include <QFileInfo>

namespace zelta::sheets {

Workbook readWorkbook(const QString& path, const Limits& limits)
{
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
