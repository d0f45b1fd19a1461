// libFuzzer target for the CSV reader.
#include "fuzz_sheets.h"

#include "exchange/sheets/SheetReaders.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const zelta::sheets::Limits limits = zelta::fuzz::fuzzLimits();
    zelta::fuzz::readOrRefuse([&] { return zelta::sheets::readCsv(bytes, QStringLiteral("fuzz.csv"), limits); }, limits);
    return 0;
}
