// libFuzzer target for the ODS reader: the bytes are a zip container, or its
// parts packed into one (see containerOf).
#include "fuzz_sheets.h"

#include "exchange/sheets/SheetReaders.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes = zelta::fuzz::containerOf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                                {"content.xml"});
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const zelta::sheets::Limits limits = zelta::fuzz::fuzzLimits();
    zelta::fuzz::readOrRefuse([&] { return zelta::sheets::readOds(buffer, QStringLiteral("fuzz.ods"), limits); }, limits);
    return 0;
}
