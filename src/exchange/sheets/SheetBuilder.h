#pragma once

#include "exchange/sheets/Sheet.h"

#include <QIODevice>
#include <memory>

class QuaZip;

namespace zelta::sheets {

// Fills a sheet cell by cell while keeping count against the limits; the
// readers share it so that every format is bounded the same way.
class SheetBuilder {
public:
    SheetBuilder(Workbook& book, const Limits& limits) : m_book(book), m_limits(limits) {}
    void beginSheet(const QString& name);
    // Puts a cell at a row and a column (both from 1); empty cells are not kept.
    void put(qint64 row, qint64 column, const Cell& cell);
    const Limits& limits() const { return m_limits; }
    // The text budget: a shared string table counts against it too.
    void spendChars(qint64 chars);

private:
    Workbook& m_book;
    const Limits& m_limits;
    qint64 m_cells = 0;
    qint64 m_chars = 0;
};

[[noreturn]] void tooLarge(const QString& what);
[[noreturn]] void unreadable(const QString& why);

// A part of a zip container read through a device that stops after the
// limit, so that a part that unpacks to gigabytes is refused, not read.
class ZipPart {
public:
    ZipPart(QuaZip& zip, const QString& name, qint64 limit);   // throws when the part is missing or unreadable
    ~ZipPart();
    QIODevice* device();
    // After the XML reader stopped: throws the right message when the stop
    // came from the limit.
    void checkLimit() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zelta::sheets
