#include "exchange/sheets/SheetBuilder.h"

#include "platform/system/Error.h"

#include <QFile>

#include <unzip.h>

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
    m_book.sheets.append(Sheet{name, false, {}});
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

ZipFile::ZipFile(const QString& path)
{
    m_zip = unzOpen64(QFile::encodeName(path).constData());
    if (!m_zip)
        unreadable(QStringLiteral("o arquivo compactado está danificado"));
}

ZipFile::~ZipFile()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipFile::has(const QString& name) const { return unzLocateFile(m_zip, name.toUtf8().constData(), 2) == UNZ_OK; }

namespace {

// The part's bytes as minizip inflates them, until the limit.
class LimitedDevice : public QIODevice {
public:
    LimitedDevice(unzFile zip, qint64 limit) : m_zip(zip), m_limit(limit) { open(QIODevice::ReadOnly); }
    bool exceeded() const { return m_exceeded; }
    bool failed() const { return m_failed; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_read >= m_limit) {
            m_exceeded = true;
            return -1;
        }
        const int n = unzReadCurrentFile(m_zip, data, unsigned(std::min<qint64>({maxSize, m_limit - m_read, 1 << 20})));
        if (n < 0)
            m_failed = true;
        if (n <= 0)
            return -1;
        m_read += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_limit;
    qint64 m_read = 0;
    bool m_exceeded = false;
    bool m_failed = false;
};

} // namespace

struct ZipPart::Impl {
    unzFile zip = nullptr;
    std::unique_ptr<LimitedDevice> limited;
    qint64 limit = 0;
};

ZipPart::ZipPart(ZipFile& zip, const QString& name, qint64 limit) : d(std::make_unique<Impl>())
{
    d->zip = zip.handle();
    if (!zip.has(name))
        unreadable(QStringLiteral("falta a parte %1").arg(name));
    if (unzOpenCurrentFile(d->zip) != UNZ_OK)
        unreadable(QStringLiteral("a parte %1 não pôde ser aberta").arg(name));
    d->limit = limit;
    d->limited = std::make_unique<LimitedDevice>(d->zip, limit);
}

ZipPart::~ZipPart()
{
    d->limited.reset();
    unzCloseCurrentFile(d->zip);
}

QIODevice* ZipPart::device() { return d->limited.get(); }

void ZipPart::checkLimit() const
{
    if (d->limited->exceeded())
        tooLarge(QStringLiteral("uma parte do arquivo descompactada passa de %1 MB").arg(d->limit >> 20));
    if (d->limited->failed())
        unreadable(QStringLiteral("uma parte do arquivo compactado está danificada"));
}

} // namespace zelta::sheets
