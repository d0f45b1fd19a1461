// libFuzzer target for the XLSX reader: the bytes are a zip container, or its
// parts packed into one (see containerOf).
#include "fuzz_sheets.h"

#include "exchange/sheets/SheetReaders.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes = zelta::fuzz::containerOf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                                {"xl/workbook.xml", "xl/_rels/workbook.xml.rels", "xl/worksheets/sheet1.xml",
                                                 "xl/sharedStrings.xml", "xl/styles.xml"});
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const zelta::sheets::Limits limits = zelta::fuzz::fuzzLimits();
    zelta::fuzz::readOrRefuse([&] { return zelta::sheets::readXlsx(buffer, QStringLiteral("fuzz.xlsx"), limits); }, limits);
    return 0;
}
