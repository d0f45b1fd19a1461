#pragma once

#include "exchange/sheets/Sheet.h"

#include <memory>

namespace zelta::sheets {

// Writes one sheet row by row, in the format the file name's extension names
// (.xlsx, .ods, .csv). Dates become date cells, texts stay texts however
// they look (a CPF keeps its zeros). The file is written under a hidden name
// beside the target, readable by its owner only, and takes the target's name
// only when finish() completed it; a writer dropped without finish() leaves
// no file behind.
class SheetWriter {
public:
    virtual ~SheetWriter() = default;
    virtual void row(const QList<Cell>& cells) = 0;
    // Throws plat::Error (Output) when the file could not be completed.
    virtual void finish() = 0;

    // Throws plat::Error (Usage) for an extension it does not write, (Output)
    // when the file cannot be created.
    static std::unique_ptr<SheetWriter> create(const QString& path, const QString& sheetName);
    static bool knownExtension(const QString& path);
};

} // namespace zelta::sheets
