#include "exchange/sheets/SheetBuilder.h"

#include "platform/system/Error.h"

#include <quazip.h>
#include <quazipfile.h>

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
    throw plat::Error::input(QStringLiteral("O arquivo não tem a planilha \"%1\"; as planilhas são: %2")
                                 .arg(name, names.join(QStringLiteral(", "))));
}

void tooLarge(const QString& what)
{
    throw plat::Error::input(QStringLiteral("A planilha é grande demais para ser lida (%1)").arg(what));
}

void unreadable(const QString& why)
{
    throw plat::Error::input(QStringLiteral("O arquivo não pôde ser lido como planilha: %1").arg(why));
}

void SheetBuilder::beginSheet(const QString& name)
{
    m_book.sheets.append(Sheet{name, {}});
    spendChars(name.size());
}

void SheetBuilder::spendChars(qint64 chars)
{
    m_chars += chars;
    if (m_chars > m_limits.maxChars)
        tooLarge(QStringLiteral("mais de %1 milhões de caracteres de texto").arg(m_limits.maxChars / 1'000'000));
}

void SheetBuilder::put(qint64 row, qint64 column, const Cell& cell)
{
    if (cell.type == Cell::Type::Empty)
        return;
    if (row < 1 || row > m_limits.maxRows)
        tooLarge(QStringLiteral("mais de %1 linhas").arg(m_limits.maxRows));
    if (column < 1 || column > m_limits.maxColumns)
        tooLarge(QStringLiteral("mais de %1 colunas").arg(m_limits.maxColumns));
    if (++m_cells > m_limits.maxCells)
        tooLarge(QStringLiteral("mais de %1 células preenchidas").arg(m_limits.maxCells));
    spendChars(cell.text.size());
    QList<SheetRow>& rows = m_book.sheets.last().rows;
    // Rows come in order in every format; a row out of order is looked up.
    SheetRow* target = nullptr;
    if (!rows.isEmpty() && rows.last().number == row)
        target = &rows.last();
    else if (rows.isEmpty() || rows.last().number < row)
        target = &rows.emplace_back(SheetRow{int(row), {}});
    else
        for (SheetRow& r : rows)
            if (r.number == row)
                target = &r;
    if (!target)
        unreadable(QStringLiteral("linhas fora de ordem"));
    if (target->cells.size() < column)
        target->cells.resize(column);
    target->cells[column - 1] = cell;
}

namespace {

// Passes the part's bytes through until the limit, then reports the end.
class LimitedDevice : public QIODevice {
public:
    LimitedDevice(QIODevice& source, qint64 limit) : m_source(source), m_limit(limit) { open(QIODevice::ReadOnly); }
    bool exceeded() const { return m_exceeded; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_read >= m_limit) {
            m_exceeded = true;
            return -1;
        }
        const qint64 n = m_source.read(data, std::min(maxSize, m_limit - m_read));
        if (n > 0)
            m_read += n;
        return n == 0 && m_source.atEnd() ? -1 : n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& m_source;
    qint64 m_limit;
    qint64 m_read = 0;
    bool m_exceeded = false;
};

} // namespace

struct ZipPart::Impl {
    QuaZipFile file;
    std::unique_ptr<LimitedDevice> limited;
    qint64 limit = 0;
    explicit Impl(QuaZip& zip) : file(&zip) {}
};

ZipPart::ZipPart(QuaZip& zip, const QString& name, qint64 limit) : d(std::make_unique<Impl>(zip))
{
    if (!zip.setCurrentFile(name, QuaZip::csInsensitive))
        unreadable(QStringLiteral("falta a parte %1").arg(name));
    if (!d->file.open(QIODevice::ReadOnly))
        unreadable(QStringLiteral("a parte %1 não pôde ser aberta").arg(name));
    d->limit = limit;
    d->limited = std::make_unique<LimitedDevice>(d->file, limit);
}

ZipPart::~ZipPart()
{
    d->limited.reset();
    d->file.close();
}

QIODevice* ZipPart::device() { return d->limited.get(); }

void ZipPart::checkLimit() const
{
    if (d->limited->exceeded())
        tooLarge(QStringLiteral("uma parte do arquivo descompactada passa de %1 MB").arg(d->limit >> 20));
}

} // namespace zelta::sheets
