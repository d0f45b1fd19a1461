#pragma once

#include "exchange/sheets/Sheet.h"

#include <QByteArray>
#include <QIODevice>

namespace zelta::sheets {

// Reads a spreadsheet file: XLSX and ODS by their contents (a zip container
// holding a workbook), anything else as CSV. Throws plat::Error (Input) with
// a Portuguese message that names the file, for a file it cannot read or one
// beyond the limits.
Workbook readWorkbook(const QString& path, const Limits& limits = {});

// The readers alone, over a file's bytes (CSV) or a device open for reading
// (XLSX and ODS, a zip container). `name` is the file's name as messages give it.
Workbook readCsv(const QByteArray& bytes, const QString& name = QStringLiteral("CSV"), const Limits& limits = {});
Workbook readXlsx(QIODevice& file, const QString& name = QStringLiteral("XLSX"), const Limits& limits = {});
Workbook readOds(QIODevice& file, const QString& name = QStringLiteral("ODS"), const Limits& limits = {});

} // namespace zelta::sheets
