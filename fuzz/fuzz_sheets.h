#pragma once

// What every spreadsheet reader must give for any bytes: a workbook that
// keeps to the limits, or a refusal with a Portuguese message that names the
// file. Shared by the three spreadsheet fuzz targets.
#include "exchange/sheets/Sheet.h"
#include "platform/system/Error.h"

#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>

namespace zelta::fuzz {

inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

// Small limits, so that the fuzzer spends its time on the format and not on
// filling memory; the readers refuse what passes them.
inline sheets::Limits fuzzLimits()
{
    sheets::Limits limits;
    limits.maxXmlBytes = 8 << 20;
    limits.maxCells = 200'000;
    limits.maxChars = 4 << 20;
    return limits;
}

inline void checkWorkbook(const sheets::Workbook& book, const sheets::Limits& limits)
{
    qint64 positions = 0;
    for (const sheets::Sheet& sheet : book.sheets) {
        int last = 0;
        for (const sheets::SheetRow& row : sheet.rows) {
            require(row.number > last && row.number <= limits.maxRows, "rows in order, within the limit");
            last = row.number;
            require(!row.cells.isEmpty() && row.cells.size() <= limits.maxColumns, "a kept row has cells, within the limit");
            require(row.cells.last().type != sheets::Cell::Type::Empty, "a row ends with its last filled cell");
            positions += row.cells.size();
            for (const sheets::Cell& cell : row.cells)
                require(cell.type != sheets::Cell::Type::Uncomputed || !cell.text.isEmpty(),
                        "a formula without a result names its cell");
        }
    }
    require(positions <= limits.maxCells, "cells within the limit");
}

inline void readOrRefuse(const std::function<sheets::Workbook()>& read, const sheets::Limits& limits)
{
    try {
        checkWorkbook(read(), limits);
    } catch (const plat::Error& e) {
        require(e.kind() == plat::Error::Kind::Input, "a refusal is an input error");
        require(e.message().contains(QStringLiteral("fuzz")), "a refusal names the file");
    }
}

// A zip container of stored entries with their right checksums. A fuzzer
// that changes the bytes of a real container mostly breaks its deflate
// streams or its checksums, and the XML behind them is never reached; one
// that writes the parts and has them packed reaches the XML readers.
inline QByteArray storedZip(const QList<std::pair<QByteArray, QByteArray>>& entries)
{
    const auto crc32 = [](const QByteArray& data) {
        quint32 crc = 0xFFFFFFFFu;
        for (char byte : data) {
            crc ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    // Little-endian fields, each a value and its width in bytes.
    const auto fields = [](QByteArray& out, std::initializer_list<std::pair<quint32, int>> values) {
        for (const auto& [value, bytes] : values)
            for (int i = 0; i < bytes; ++i)
                out += char((value >> (8 * i)) & 0xFF);
    };
    QByteArray zip, directory;
    for (const auto& [name, data] : entries) {
        const quint32 crc = crc32(data), offset = quint32(zip.size()), size = quint32(data.size());
        const auto nameSize = quint32(name.size());
        fields(
            zip,
            {{0x04034b50, 4}, {20, 2}, {0, 2}, {0, 2}, {0, 2}, {0x21, 2}, {crc, 4}, {size, 4}, {size, 4}, {nameSize, 2}, {0, 2}});
        zip += name + data;
        fields(directory, {{0x02014b50, 4},
                           {20, 2},
                           {20, 2},
                           {0, 2},
                           {0, 2},
                           {0, 2},
                           {0x21, 2},
                           {crc, 4},
                           {size, 4},
                           {size, 4},
                           {nameSize, 2},
                           {0, 2},
                           {0, 2},
                           {0, 2},
                           {0, 2},
                           {0, 4},
                           {offset, 4}});
        directory += name;
    }
    const auto count = quint32(entries.size());
    const auto at = quint32(zip.size());
    zip += directory;
    fields(zip, {{0x06054b50, 4}, {0, 2}, {0, 2}, {count, 2}, {count, 2}, {quint32(directory.size()), 4}, {at, 4}, {0, 2}});
    return zip;
}

// The fuzzer's bytes as a container: as they are when they begin like one,
// otherwise as the parts named, in that order, split at each byte 0xFF
// (which no UTF-8 text holds).
inline QByteArray containerOf(const QByteArray& bytes, const QList<QByteArray>& parts)
{
    if (bytes.startsWith("PK"))
        return bytes;
    const QList<QByteArray> texts = bytes.split('\xFF');
    QList<std::pair<QByteArray, QByteArray>> entries;
    for (qsizetype i = 0; i < parts.size() && i < texts.size(); ++i)
        entries.append({parts[i], texts[i]});
    return storedZip(entries);
}

} // namespace zelta::fuzz
