#include "exchange/sheets/SheetWriter.h"

#include "exchange/sheets/SheetScratch.h"
#include "exchange/sheets/XlsxSheetWriter.h"
#include "exchange/sheets/ZipReadBack.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Error.h"
#include "platform/system/SystemError.h"

#include <QDateTime>
#include <QFileInfo>
#include <QXmlStreamWriter>

#include <zip.h>

#include <cerrno>
#include <cstring>

namespace zelta::sheets {

namespace {

// Why minizip failed: the system's error when it says so, right after the call.
QString zipFailure(int code, int error)
{
    if (code == ZIP_ERRNO && error != 0)
        return plat::sys::writeErrorText(error);
    return QStringLiteral("erro interno do compactador (código %1)").arg(code);
}

// A date as the register's forms show it, dd/mm/yyyy: built digit by digit,
// since QDate::toString with a pattern goes through the calendar and locale
// machinery for every cell of a long list.
QString dayFirst(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return date.toString(QStringLiteral("dd/MM/yyyy"));
    const int values[] = {date.day(), date.month(), date.year()};
    QString out(10, u'/');
    char16_t* p = reinterpret_cast<char16_t*>(out.data());
    const auto digits = [](char16_t* at, int value, int count) {
        for (int i = count - 1; i >= 0; --i, value /= 10)
            at[i] = char16_t(u'0' + value % 10);
    };
    digits(p, values[0], 2);
    digits(p + 3, values[1], 2);
    digits(p + 6, values[2], 4);
    return out;
}

// The ODS writer: no Debian library writes ODS, so its XML is written here
// (the content of one table, a date style) and zipped by minizip.
class OdsSheetWriter final : public SheetWriter {
public:
    ~OdsSheetWriter() override
    {
        m_content.reset();
        if (m_zip)
            zipClose(m_zip, nullptr);
    }
    OdsSheetWriter(const QString& path, const QString& sheetName) : m_scratch(path)
    {
        errno = 0;
        m_zip = zipOpen64(QFile::encodeName(m_scratch.path()).constData(), APPEND_STATUS_CREATE);
        if (!m_zip)
            sheetNotWritten(path,
                            QStringLiteral("o arquivo compactado não pôde ser criado: %1").arg(zipFailure(ZIP_ERRNO, errno)));
        // The mimetype comes first and uncompressed, so programs can tell the kind.
        writePart("mimetype", "application/vnd.oasis.opendocument.spreadsheet", false);
        writePart("META-INF/manifest.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
                  "manifest:version=\"1.2\">\n"
                  " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
                  "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>\n"
                  " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
                  "</manifest:manifest>\n",
                  true);
        openPart("content.xml", true);
        m_content = std::make_unique<PartDevice>(m_zip);
        m_xml.setDevice(m_content.get());
        startContent(sheetName);
    }
    void row(const QList<Cell>& cells) override
    {
        m_xml.writeStartElement(QStringLiteral("table:table-row"));
        for (const Cell& cell : cells)
            writeCell(cell);
        m_xml.writeEndElement();
        ++m_rows;
    }
    void finish() override
    {
        m_xml.writeEndDocument();
        m_content->flushPending();
        const int written = m_content->failure();
        const int writtenError = m_content->failureErrno();
        m_content.reset();
        if (written != ZIP_OK)
            sheetNotWritten(m_scratch.target(),
                            QStringLiteral("erro ao gravar content.xml: %1").arg(zipFailure(written, writtenError)));
        closePart("content.xml");
        errno = 0;
        const int closed = zipClose(m_zip, nullptr);
        const int closeError = errno;
        m_zip = nullptr;
        if (closed != ZIP_OK)
            sheetNotWritten(m_scratch.target(),
                            QStringLiteral("erro ao fechar o arquivo compactado: %1").arg(zipFailure(closed, closeError)));
        const ZipReadBack back = ZipReadBack::read(m_scratch.path(), "content.xml", "<table:table-row");
        if (!back.problem.isEmpty())
            sheetNotWritten(m_scratch.target(), back.problem);
        if (back.markers != m_rows)
            sheetNotWritten(
                m_scratch.target(),
                QStringLiteral("o arquivo lido de volta do disco tem %1 das %2 linhas gravadas").arg(back.markers).arg(m_rows));
        m_scratch.publish();
    }

private:
    // Streams the XML into the open part of the zip. The XML writer hands
    // over a few bytes at a time (an attribute, a closing tag); they are
    // gathered into large pieces, since each call into the zip runs the
    // compressor and the checksum over what it is given.
    class PartDevice : public QIODevice {
    public:
        explicit PartDevice(zipFile zip) : m_zip(zip)
        {
            m_pending.reserve(kPiece);
            open(QIODevice::WriteOnly);
        }
        bool isSequential() const override { return true; }
        // ZIP_OK, or minizip's code of the first failure and the system's
        // error that came with it.
        int failure() const { return m_failure; }
        int failureErrno() const { return m_errno; }
        // Sends what is gathered; false when the zip refused it.
        bool flushPending()
        {
            if (!m_pending.isEmpty() && m_failure == ZIP_OK) {
                errno = 0;
                m_failure = zipWriteInFileInZip(m_zip, m_pending.constData(), unsigned(m_pending.size()));
                m_errno = errno;
            }
            m_pending.resize(0);
            return m_failure == ZIP_OK;
        }

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char* data, qint64 size) override
        {
            m_pending.append(data, size);
            if (m_pending.size() >= kPiece && !flushPending())
                return -1;
            return size;
        }

    private:
        static constexpr qsizetype kPiece = 256 * 1024;
        zipFile m_zip;
        QByteArray m_pending;
        int m_failure = ZIP_OK;
        int m_errno = 0;
    };

    [[noreturn]] void partFailed(const char* name, int code, int error)
    {
        sheetNotWritten(m_scratch.target(),
                        QStringLiteral("%1 não pôde ser gravado: %2").arg(QLatin1String(name), zipFailure(code, error)));
    }
    void openPart(const char* name, bool compressed)
    {
        zip_fileinfo info{};
        const QDateTime now = QDateTime::currentDateTime();
        info.tmz_date = {uInt(now.time().second()), uInt(now.time().minute()),    uInt(now.time().hour()),
                         uInt(now.date().day()),    uInt(now.date().month() - 1), uInt(now.date().year())};
        errno = 0;
        const int r = zipOpenNewFileInZip(m_zip, name, &info, nullptr, 0, nullptr, 0, nullptr, compressed ? Z_DEFLATED : 0,
                                          compressed ? Z_DEFAULT_COMPRESSION : 0);
        if (r != ZIP_OK)
            partFailed(name, r, errno);
    }
    void closePart(const char* name)
    {
        errno = 0;
        const int r = zipCloseFileInZip(m_zip);
        if (r != ZIP_OK)
            partFailed(name, r, errno);
    }
    void writePart(const char* name, const char* text, bool compressed)
    {
        openPart(name, compressed);
        errno = 0;
        const int r = zipWriteInFileInZip(m_zip, text, unsigned(std::strlen(text)));
        if (r != ZIP_OK)
            partFailed(name, r, errno);
        closePart(name);
    }
    void startContent(const QString& sheetName)
    {
        m_xml.writeStartDocument();
        m_xml.writeStartElement(QStringLiteral("office:document-content"));
        const char* ns[][2] = {{"office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0"},
                               {"table", "urn:oasis:names:tc:opendocument:xmlns:table:1.0"},
                               {"text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0"},
                               {"style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0"},
                               {"number", "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"}};
        for (const auto& n : ns)
            m_xml.writeAttribute(QStringLiteral("xmlns:") + QLatin1String(n[0]), QLatin1String(n[1]));
        m_xml.writeAttribute(QStringLiteral("office:version"), QStringLiteral("1.2"));
        // Dates shown day first, as the register's forms show them.
        m_xml.writeStartElement(QStringLiteral("office:automatic-styles"));
        m_xml.writeStartElement(QStringLiteral("number:date-style"));
        m_xml.writeAttribute(QStringLiteral("style:name"), QStringLiteral("N1"));
        for (const char* part : {"day", "/", "month", "/", "year"}) {
            if (part[0] == '/') {
                m_xml.writeTextElement(QStringLiteral("number:text"), QStringLiteral("/"));
                continue;
            }
            m_xml.writeEmptyElement(QStringLiteral("number:") + QLatin1String(part));
            m_xml.writeAttribute(QStringLiteral("number:style"), QStringLiteral("long"));
        }
        m_xml.writeEndElement();
        m_xml.writeStartElement(QStringLiteral("style:style"));
        m_xml.writeAttribute(QStringLiteral("style:name"), QStringLiteral("ce1"));
        m_xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-cell"));
        m_xml.writeAttribute(QStringLiteral("style:data-style-name"), QStringLiteral("N1"));
        m_xml.writeEndElement();
        m_xml.writeEndElement();
        m_xml.writeStartElement(QStringLiteral("office:body"));
        m_xml.writeStartElement(QStringLiteral("office:spreadsheet"));
        m_xml.writeStartElement(QStringLiteral("table:table"));
        m_xml.writeAttribute(QStringLiteral("table:name"), sheetName);
    }
    void writeCell(const Cell& cell)
    {
        m_xml.writeStartElement(QStringLiteral("table:table-cell"));
        QString shown;
        if (cell.type == Cell::Type::Text) {
            m_xml.writeAttribute(QStringLiteral("office:value-type"), QStringLiteral("string"));
            shown = cell.text;
        } else if (cell.type == Cell::Type::Number) {
            m_xml.writeAttribute(QStringLiteral("office:value-type"), QStringLiteral("float"));
            shown = QString::number(cell.number, 'g', 15);
            m_xml.writeAttribute(QStringLiteral("office:value"), shown);
        } else if (cell.type == Cell::Type::Date) {
            m_xml.writeAttribute(QStringLiteral("table:style-name"), QStringLiteral("ce1"));
            m_xml.writeAttribute(QStringLiteral("office:value-type"), QStringLiteral("date"));
            m_xml.writeAttribute(QStringLiteral("office:date-value"), cell.date.toString(Qt::ISODate));
            shown = dayFirst(cell.date);
        }
        if (cell.type != Cell::Type::Empty) {
            // Each line of a text is a paragraph of the cell.
            if (!shown.contains(u'\n'))
                m_xml.writeTextElement(QStringLiteral("text:p"), shown);
            else
                for (const QString& line : shown.split(u'\n'))
                    m_xml.writeTextElement(QStringLiteral("text:p"), line);
        }
        m_xml.writeEndElement();
    }

    SheetScratch m_scratch;
    zipFile m_zip = nullptr;
    qint64 m_rows = 0;
    std::unique_ptr<PartDevice> m_content;
    QXmlStreamWriter m_xml;
};

// CSV as spreadsheet programs in Brazil read it: UTF-8 with its mark, ';'
// between fields, quotes where a field needs them, dates day first.
class CsvSheetWriter final : public SheetWriter {
public:
    // Written straight into the atomic file: no library needs a name to fill.
    explicit CsvSheetWriter(const QString& path) : m_target(path), m_file(path)
    {
        if (!m_file.open(QIODevice::WriteOnly))
            sheetNotWritten(path, m_file.errorString());
        m_file.write("\xEF\xBB\xBF");
    }
    void row(const QList<Cell>& cells) override
    {
        QByteArray line;
        for (int c = 0; c < cells.size(); ++c) {
            if (c > 0)
                line += ';';
            QString text = cells[c].type == Cell::Type::Text     ? cells[c].text
                           : cells[c].type == Cell::Type::Date   ? dayFirst(cells[c].date)
                           : cells[c].type == Cell::Type::Number ? QString::number(cells[c].number, 'g', 15).replace(u'.', u',')
                                                                 : QString();
            if (text.contains(u';') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r')
                || text != text.trimmed())
                text = u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
            line += text.toUtf8();
        }
        line += "\r\n";
        if (m_file.write(line) != line.size())
            sheetNotWritten(m_target, m_file.errorString());
    }
    void finish() override
    {
        if (!m_file.commit())
            sheetNotWritten(m_target, m_file.errorString());
    }

private:
    QString m_target;
    plat::sys::AtomicFile m_file;
};

QString extensionOf(const QString& path) { return QFileInfo(path).suffix().toLower(); }

} // namespace

bool SheetWriter::knownExtension(const QString& path)
{
    const QString ext = extensionOf(path);
    return ext == u"xlsx" || ext == u"ods" || ext == u"csv";
}

std::unique_ptr<SheetWriter> SheetWriter::create(const QString& path, const QString& sheetName)
{
    const QString ext = extensionOf(path);
    if (ext == u"xlsx")
        return std::make_unique<XlsxSheetWriter>(path, sheetName);
    if (ext == u"ods")
        return std::make_unique<OdsSheetWriter>(path, sheetName);
    if (ext == u"csv")
        return std::make_unique<CsvSheetWriter>(path);
    throw plat::Error::usage(QStringLiteral("O nome do arquivo deve terminar em .xlsx, .ods ou .csv: %1").arg(path));
}

} // namespace zelta::sheets
