#include "exchange/sheets/SheetBuilder.h"

#include "platform/system/Error.h"

#include <algorithm>

namespace zelta::sheets {

const Cell& SheetRow::cell(int column) const
{
    static const Cell empty;
    return column >= 0 && column < cells.size() ? cells[column] : empty;
}

const Sheet& Workbook::sheet(const QString& name) const
{
    if (sheets.isEmpty())
        throw plat::Error::input(QStringLiteral("O arquivo não tem nenhuma planilha"));
    if (name.isEmpty())
        return sheets.first();
    for (const Sheet& s : sheets)
        if (s.name == name)
            return s;
    QStringList names;
    for (const Sheet& s : sheets)
        names << s.name;
    throw plat::Error::input(
        QStringLiteral("O arquivo não tem a planilha \"%1\"; as planilhas são: %2").arg(name, names.join(QStringLiteral(", "))));
}

void tooLarge(const QString& what) { throw Refusal{Refusal::Kind::TooLarge, what}; }

void unreadable(const QString& why) { throw Refusal{Refusal::Kind::Unreadable, why}; }

Workbook readNamed(const QString& name, const std::function<Workbook()>& read)
{
    try {
        return read();
    } catch (const Refusal& r) {
        switch (r.kind) {
        case Refusal::Kind::TooLarge:
            throw plat::Error::input(QStringLiteral("A planilha %1 é grande demais para ser lida (%2)").arg(name, r.detail));
        case Refusal::Kind::Unreadable:
            throw plat::Error::input(QStringLiteral("O arquivo %1 não pôde ser lido como planilha: %2").arg(name, r.detail));
        case Refusal::Kind::Encoding:
            break;
        }
        throw plat::Error::input(QStringLiteral("O arquivo %1 %2").arg(name, r.detail));
    }
}

QString cellReference(qint64 row, qint64 column)
{
    QString letters;
    for (qint64 c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + int((c - 1) % 26)));
    return letters + QString::number(row);
}

void SheetBuilder::beginSheet(const QString& name, bool hidden)
{
    spendChars(name.size());
    m_book.sheets.append(Sheet{name, hidden, {}});
}

void SheetBuilder::spendChars(qint64 chars)
{
    m_chars += chars;
    if (m_chars > m_limits.maxChars)
        tooLarge(QStringLiteral("mais de %1 milhões de caracteres de texto").arg(m_limits.maxChars / 1'000'000));
}

void SheetBuilder::tooManyCells() const
{
    tooLarge(
        QStringLiteral("mais de %1 células, contadas da coluna A até a última preenchida de cada linha").arg(m_limits.maxCells));
}

void SheetBuilder::expectRepeats(qint64 times, qint64 lastRow, qint64 filled, qint64 lastColumn)
{
    if (times <= 0 || filled <= 0)
        return;
    if (lastRow > m_limits.maxRows)
        tooLarge(QStringLiteral("mais de %1 linhas").arg(m_limits.maxRows));
    if (lastColumn > m_limits.maxColumns)
        tooLarge(QStringLiteral("mais de %1 colunas").arg(m_limits.maxColumns));
    // Both factors are within the limits checked above: no overflow.
    if (m_positions + times * lastColumn > m_limits.maxCells)
        tooManyCells();
}

void SheetBuilder::put(qint64 row, qint64 column, const Cell& cell)
{
    if (cell.type == Cell::Type::Empty)
        return;
    if (m_book.sheets.isEmpty())
        unreadable(QStringLiteral("há células fora de uma planilha"));
    if (row < 1 || row > m_limits.maxRows)
        tooLarge(QStringLiteral("mais de %1 linhas").arg(m_limits.maxRows));
    if (column < 1 || column > m_limits.maxColumns)
        tooLarge(QStringLiteral("mais de %1 colunas").arg(m_limits.maxColumns));
    QList<SheetRow>& rows = m_book.sheets.last().rows;
    // Rows come in order in every format; a row out of order is looked up.
    SheetRow* target = nullptr;
    if (!rows.isEmpty() && rows.last().number == row) {
        target = &rows.last();
    } else if (rows.isEmpty() || rows.last().number < row) {
        // The row before is complete: it keeps no spare room.
        if (!rows.isEmpty())
            rows.last().cells.squeeze();
        target = &rows.emplace_back(SheetRow{int(row), {}});
    } else {
        const auto found = std::lower_bound(rows.begin(), rows.end(), row,
                                            [](const SheetRow& r, qint64 number) { return r.number < number; });
        if (found == rows.end() || found->number != row)
            unreadable(QStringLiteral("as linhas estão fora de ordem"));
        target = &*found;
    }
    if (target->cells.size() < column) {
        m_positions += column - target->cells.size();
        if (m_positions > m_limits.maxCells)
            tooManyCells();
        target->cells.resize(column);
    }
    Cell& kept = target->cells[column - 1];
    kept = cell;
    if (kept.type == Cell::Type::Uncomputed && kept.text.isEmpty())
        kept.text = cellReference(row, column);
}

} // namespace zelta::sheets
