#pragma once

#include "exchange/sheets/Sheet.h"

#include <QIODevice>
#include <memory>

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

// A zip container opened for reading (minizip's unzFile); throws when the
// file is not one.
class ZipFile {
public:
    explicit ZipFile(const QString& path);
    ~ZipFile();
    ZipFile(const ZipFile&) = delete;
    ZipFile& operator=(const ZipFile&) = delete;
    bool has(const QString& name) const; // names compared without case
    void* handle() const { return m_zip; }

private:
    void* m_zip = nullptr;
};

// A part of a zip container read through a device that stops after the
// limit, so that a part that unpacks to gigabytes is refused, not read.
class ZipPart {
public:
    ZipPart(ZipFile& zip, const QString& name, qint64 limit); // throws when the part is missing or unreadable
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
