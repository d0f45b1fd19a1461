#include "exchange/sheets/SheetReaders.h"

#include "exchange/sheets/SheetBuilder.h"
#include "exchange/sheets/ZipReader.h"
#include "platform/system/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zelta::sheets {

namespace {

enum class Container { Csv, Xlsx, Ods };

// A zip container is a workbook: ODS has its part "content.xml", XLSX its
// workbook part.
Container containerOf(QFile& file)
{
    if (file.peek(4) != QByteArray("PK\x03\x04", 4))
        return Container::Csv;
    Container kind = Container::Csv;
    {
        const ZipFile zip(file);
        if (zip.has(QStringLiteral("content.xml")))
            kind = Container::Ods;
        else if (zip.has(QStringLiteral("xl/workbook.xml")))
            kind = Container::Xlsx;
        else
            unreadable(QStringLiteral("o arquivo compactado não é XLSX nem ODS"));
    }
    file.seek(0);
    return kind;
}

QString whyNotOpened(const QFileInfo& info)
{
    if (!info.exists())
        return QStringLiteral("o arquivo não existe");
    if (!info.isReadable())
        return QStringLiteral("não há permissão para lê-lo");
    return QStringLiteral("o sistema recusou a leitura");
}

} // namespace

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
        throw plat::Error::input(
            QStringLiteral("O arquivo %1 não pôde ser aberto: %2").arg(QDir::toNativeSeparators(path), whyNotOpened(info)));
    const QString name = info.fileName();
    Container kind = Container::Csv;
    readNamed(name, [&] {
        if (file.size() > limits.maxFileBytes)
            tooLarge(QStringLiteral("o arquivo passa de %1 MB").arg(limits.maxFileBytes >> 20));
        kind = containerOf(file);
        return Workbook{};
    });
    switch (kind) {
    case Container::Ods:
        return readOds(file, name, limits);
    case Container::Xlsx:
        return readXlsx(file, name, limits);
    case Container::Csv:
        break;
    }
    return readCsv(file.readAll(), name, limits);
}

} // namespace zelta::sheets
