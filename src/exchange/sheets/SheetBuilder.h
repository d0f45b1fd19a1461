#pragma once

#include "exchange/sheets/Sheet.h"

#include <functional>

namespace zelta::sheets {

// Why a file is refused. The readers throw it wherever they find the cause;
// their entry points give it the file's name (readNamed) and make it the
// Portuguese message of a plat::Error.
struct Refusal {
    enum class Kind { TooLarge, Unreadable, Encoding };
    Kind kind;
    QString detail;
};
[[noreturn]] void tooLarge(const QString& what);
[[noreturn]] void unreadable(const QString& why);

// Runs a reader; a refusal becomes plat::Error (Input) naming the file.
Workbook readNamed(const QString& name, const std::function<Workbook()>& read);

// Fills a sheet cell by cell while keeping count against the limits; the
// readers share it so that every format is bounded the same way. The cells a
// sheet keeps are counted by position, from column A to each row's last
// filled cell, since that is what the rows hold in memory.
class SheetBuilder {
public:
    SheetBuilder(Workbook& book, const Limits& limits) : m_book(book), m_limits(limits) {}
    void beginSheet(const QString& name, bool hidden = false);
    // Puts a cell at a row and a column (both from 1); empty cells are not
    // kept. A formula without its result gets the cell's reference ("C5").
    void put(qint64 row, qint64 column, const Cell& cell);
    // Before a row is written out many times (a repeated row): refuses when
    // `times` copies of `filled` cells reaching `lastColumn` would pass the
    // limits, so that nothing beyond them is ever built.
    void expectRepeats(qint64 times, qint64 lastRow, qint64 filled, qint64 lastColumn);
    const Limits& limits() const { return m_limits; }
    // The text budget: texts are counted as they are read, before they are
    // kept, so that no text beyond the budget is ever built.
    void spendChars(qint64 chars);

private:
    void tooManyCells() const;
    Workbook& m_book;
    const Limits& m_limits;
    qint64 m_positions = 0;
    qint64 m_chars = 0;
};

// "C5" for row 5, column 3 (both from 1).
QString cellReference(qint64 row, qint64 column);

} // namespace zelta::sheets
