#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace zelta::sheets {

// One cell as a spreadsheet program shows it: empty, a text, a number or a
// date (a number the file formats as a date). Uncomputed is a formula whose
// file keeps no result (a sheet written by a program that does not calculate);
// its text holds the cell's reference ("C5") for the message.
struct Cell {
    enum class Type : quint8 { Empty, Text, Number, Date, Uncomputed };
    Type type = Type::Empty;
    double number = 0;
    QDate date;
    QString text; // Text only

    static Cell ofText(const QString& t) { return t.isEmpty() ? Cell{} : Cell{Type::Text, 0, {}, t}; }
    static Cell ofNumber(double n) { return {Type::Number, n, {}, {}}; }
    static Cell ofDate(const QDate& d) { return {Type::Date, 0, d, {}}; }
    static Cell ofUncomputed(const QString& reference) { return {Type::Uncomputed, 0, {}, reference}; }
    bool isEmpty() const { return type == Type::Empty || (type == Type::Text && text.trimmed().isEmpty()); }
};

// A row that holds at least one cell, with its number as the program shows it
// (the first row is 1). Cells are in column order from column A; missing
// cells at the end are empty.
struct SheetRow {
    int number = 0;
    QList<Cell> cells;
    const Cell& cell(int column) const;
};

// The rows of one sheet that hold something; blank rows are left out, their
// numbers are not reused.
struct Sheet {
    QString name;
    bool hidden = false; // hidden in the spreadsheet program
    QList<SheetRow> rows;
};

// What a spreadsheet file holds. A CSV file is one sheet; its separator and
// character set as detected are kept to be shown.
struct Workbook {
    QList<Sheet> sheets;
    QString separator; // CSV: ";", "," or "TAB"
    QString encoding;  // CSV: "UTF-8" or "Windows-1252"
    // The sheet of that name; the first when the name is empty. Throws
    // plat::Error (Input) when there is no such sheet.
    const Sheet& sheet(const QString& name) const;
};

// What a reader keeps of a file at most: a file beyond these is refused with
// a message, so that a hostile file (a zip bomb, millions of repeated cells)
// costs neither unbounded memory nor unbounded time. Together they keep a
// reader under 300 MB; a sheet of 100,000 holders (1.2 million cells, 20
// million characters, 180 MB of XML when LibreOffice writes it) is within.
struct Limits {
    qint64 maxFileBytes = 256LL << 20; // a file on disk
    qint64 maxXmlBytes = 256LL << 20;  // the parts of a zip container together, unpacked
    qint64 maxCells = 3'000'000;       // cells kept, from column A to each row's last filled one
    qint64 maxChars = 64'000'000;      // characters of text kept
    int maxColumns = 16384;
    int maxRows = 1'048'576;
};

} // namespace zelta::sheets
