#pragma once

#include "exchange/sheets/Sheet.h"

#include <QByteArray>

namespace zelta::sheets {

// Reads a spreadsheet file: XLSX and ODS by their contents (a zip container
// holding a workbook), anything else as CSV. Throws plat::Error (Input) with
// a Portuguese message for a file it cannot read or one beyond the limits.
Workbook readWorkbook(const QString& path, const Limits& limits = {});

// The readers alone. CSV takes the file's bytes; XLSX and ODS the path of the
// zip container.
Workbook readCsv(const QByteArray& bytes, const Limits& limits = {});
Workbook readXlsx(const QString& path, const Limits& limits = {});
Workbook readOds(const QString& path, const Limits& limits = {});

} // namespace zelta::sheets
