#include "exchange/sheets/SheetWriter.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <QXmlStreamWriter>

#include <xlsxwriter.h>
#include <zip.h>

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/file.h>

namespace zelta::sheets {

namespace {

[[noreturn]] void failed(const QString& path, const QString& why)
{
    throw plat::Error::output(QStringLiteral("A planilha %1 não pôde ser gravada: %2").arg(QDir::toNativeSeparators(path), why));
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

// The hidden file the libraries fill by name, then handed whole to an
// AtomicFile on the target: the export keeps every promise the program's
// other outputs keep (a device, fifo or socket given as the target is
// refused before any work, the bytes reach the disk and are read back before
// the file takes its name, and a killed export leaves no file under it).
class Scratch {
public:
    explicit Scratch(const QString& target) : m_target(target), m_final(target)
    {
        // Opened first: its opening also clears the temporaries a killed
        // export of the same target left behind.
        if (!m_final.open(QIODevice::WriteOnly))
            failed(target, m_final.errorString());
        const QFileInfo info(target);
        m_file.setFileTemplate(info.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
        // Held open and locked, as AtomicFile holds its own, so that another
        // export of the same name does not take it for a killed one's.
        if (!m_file.open() || ::flock(int(m_file.handle()), LOCK_EX | LOCK_NB) != 0)
            failed(target, m_file.errorString());
    }
    QString path() const { return m_file.fileName(); }
    void publish()
    {
        QFile written(path());
        if (!written.open(QIODevice::ReadOnly))
            failed(m_target, written.errorString());
        for (QByteArray chunk; !(chunk = written.read(1 << 20)).isEmpty();)
            if (m_final.write(chunk) != chunk.size())
                failed(m_target, m_final.errorString());
        if (written.error() != QFileDevice::NoError)
            failed(m_target, written.errorString());
        if (!m_final.commit())
            failed(m_target, m_final.errorString());
    }

private:
    QString m_target;
    plat::sys::AtomicFile m_final;
    QTemporaryFile m_file;
};

// The XLSX writer. libxlsxwriter formats the rows on a thread of its own:
// while it writes one batch of rows into its scratch file, the caller reads
// the register and converts the next batch, so the two costs overlap instead
// of adding up. The cells reach the library in the order they were given.
class XlsxSheetWriter final : public SheetWriter {
public:
    XlsxSheetWriter(const QString& path, const QString& sheetName) : m_target(path), m_scratch(path)
    {
        // Constant memory: each row goes to the file when the next begins,
        // so a hundred thousand rows cost what one does.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        m_path = QFile::encodeName(m_scratch.path());
        m_book = workbook_new_opt(m_path.constData(), &options);
        if (!m_book)
            failed(path, QStringLiteral("a biblioteca XLSX não criou o arquivo"));
        m_sheet = workbook_add_worksheet(m_book, sheetName.toUtf8().left(31).constData());
        m_date = workbook_add_format(m_book);
        format_set_num_format(m_date, "dd/mm/yyyy");
        m_worker = std::thread([this] { writeBatches(); });
    }
    ~XlsxSheetWriter() override
    {
        stopWorker();
        if (m_book)
            workbook_close(m_book);
    }
    void row(const QList<Cell>& cells) override
    {
        for (int c = 0; c < cells.size(); ++c) {
            const Cell& cell = cells[c];
            if (cell.type == Cell::Type::Empty)
                continue;
            Entry e{m_row, lxw_col_t(c), cell.type, cell.number, {}, 0};
            if (cell.type == Cell::Type::Text) {
                e.text = m_current.texts.size();
                const QStringView text(cell.text);
                m_current.texts.resize(e.text + m_encoder.requiredSpace(text.size()));
                char* end = m_encoder.appendToBuffer(m_current.texts.data() + e.text, text);
                m_current.texts.resize(end - m_current.texts.constData());
                m_current.texts.append('\0');
            } else if (cell.type == Cell::Type::Date) {
                e.date = {uint16_t(cell.date.year()), uint8_t(cell.date.month()), uint8_t(cell.date.day()), 0, 0, 0};
            }
            m_current.entries.push_back(e);
        }
        ++m_row;
        if (m_current.entries.size() >= kBatchCells)
            handOver();
    }
    void finish() override
    {
        if (!m_current.entries.empty())
            handOver();
        stopWorker();
        const lxw_error written = m_cellError;
        const lxw_error e = workbook_close(m_book);
        m_book = nullptr;
        if (written != LXW_NO_ERROR || e != LXW_NO_ERROR)
            failed(m_target, QString::fromUtf8(lxw_strerror(written != LXW_NO_ERROR ? written : e)));
        m_scratch.publish();
    }

private:
    struct Entry {
        lxw_row_t row;
        lxw_col_t col;
        Cell::Type type;
        double number;
        lxw_datetime date;
        qsizetype text; // where a text begins in the batch's texts
    };
    struct Batch {
        std::vector<Entry> entries;
        QByteArray texts; // UTF-8, each text ended by a zero
    };
    static constexpr size_t kBatchCells = 8192;
    static constexpr size_t kBatchesWaiting = 4; // bounds the memory when the library is the slower side

    void handOver()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_full.size() < kBatchesWaiting; });
        m_full.push_back(std::move(m_current));
        m_current = Batch{};
        if (!m_spare.empty()) {
            m_current = std::move(m_spare.back());
            m_spare.pop_back();
        }
        m_changed.notify_all();
    }
    void writeBatches()
    {
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_full.empty() || m_closing; });
            if (m_full.empty())
                return;
            Batch batch = std::move(m_full.front());
            m_full.pop_front();
            m_changed.notify_all();
            lock.unlock();
            write(batch);
            batch.entries.clear();
            batch.texts.resize(0);
            lock.lock();
            m_spare.push_back(std::move(batch));
        }
    }
    void write(Batch& batch)
    {
        for (Entry& e : batch.entries) {
            lxw_error r = LXW_NO_ERROR;
            if (e.type == Cell::Type::Text)
                r = worksheet_write_string(m_sheet, e.row, e.col, batch.texts.constData() + e.text, nullptr);
            else if (e.type == Cell::Type::Number)
                r = worksheet_write_number(m_sheet, e.row, e.col, e.number, nullptr);
            else
                r = worksheet_write_datetime(m_sheet, e.row, e.col, &e.date, m_date);
            // A cell the library refused (a text beyond its length) fails
            // the file in finish() rather than leaving a hole in it.
            if (r != LXW_NO_ERROR && m_cellError == LXW_NO_ERROR)
                m_cellError = r;
        }
    }
    void stopWorker()
    {
        if (!m_worker.joinable())
            return;
        {
            const std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_changed.notify_all();
        m_worker.join();
    }

    QString m_target;
    Scratch m_scratch;
    QByteArray m_path;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_date = nullptr;
    lxw_row_t m_row = 0;
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless}; // each text on its own
    Batch m_current;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_full;   // handed over, waiting for the library
    std::vector<Batch> m_spare; // written, kept for their storage
    bool m_closing = false;
    lxw_error m_cellError = LXW_NO_ERROR; // the worker's; read after it ended
    std::thread m_worker;
};

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
    OdsSheetWriter(const QString& path, const QString& sheetName) : m_target(path), m_scratch(path)
    {
        m_zip = zipOpen64(QFile::encodeName(m_scratch.path()).constData(), APPEND_STATUS_CREATE);
        if (!m_zip)
            failed(path, QStringLiteral("o arquivo compactado não pôde ser criado"));
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
    }
    void finish() override
    {
        m_xml.writeEndDocument();
        const bool written = !m_xml.hasError() && m_content->flushPending();
        m_content.reset();
        if (!written || zipCloseFileInZip(m_zip) != ZIP_OK)
            failed(m_target, QStringLiteral("erro ao gravar content.xml"));
        const int closed = zipClose(m_zip, nullptr);
        m_zip = nullptr;
        if (closed != ZIP_OK)
            failed(m_target, QStringLiteral("erro ao fechar o arquivo compactado"));
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
        bool failed() const { return m_failed; }
        bool isSequential() const override { return true; }
        // Sends what is gathered; false when the zip refused it.
        bool flushPending()
        {
            if (!m_pending.isEmpty() && !m_failed
                && zipWriteInFileInZip(m_zip, m_pending.constData(), unsigned(m_pending.size())) != ZIP_OK)
                m_failed = true;
            m_pending.resize(0);
            return !m_failed;
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
        bool m_failed = false;
    };

    void openPart(const char* name, bool compressed)
    {
        zip_fileinfo info{};
        const QDateTime now = QDateTime::currentDateTime();
        info.tmz_date = {uInt(now.time().second()), uInt(now.time().minute()),    uInt(now.time().hour()),
                         uInt(now.date().day()),    uInt(now.date().month() - 1), uInt(now.date().year())};
        if (zipOpenNewFileInZip(m_zip, name, &info, nullptr, 0, nullptr, 0, nullptr, compressed ? Z_DEFLATED : 0,
                                compressed ? Z_DEFAULT_COMPRESSION : 0)
            != ZIP_OK)
            failed(m_target, QStringLiteral("%1 não pôde ser gravado").arg(QLatin1String(name)));
    }
    void writePart(const char* name, const char* text, bool compressed)
    {
        openPart(name, compressed);
        if (zipWriteInFileInZip(m_zip, text, unsigned(std::strlen(text))) != ZIP_OK || zipCloseFileInZip(m_zip) != ZIP_OK)
            failed(m_target, QStringLiteral("%1 não pôde ser gravado").arg(QLatin1String(name)));
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

    QString m_target;
    Scratch m_scratch;
    zipFile m_zip = nullptr;
    std::unique_ptr<PartDevice> m_content;
    QXmlStreamWriter m_xml;
};

// CSV as spreadsheet programs in Brazil read it: UTF-8 with its mark, ';'
// between fields, quotes where a field needs them, dates day first.
class CsvSheetWriter final : public SheetWriter {
public:
    CsvSheetWriter(const QString& path) : m_target(path), m_scratch(path), m_file(m_scratch.path())
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            failed(path, m_file.errorString());
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
            failed(m_target, m_file.errorString());
    }
    void finish() override
    {
        if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
            failed(m_target, m_file.errorString());
        m_file.close();
        m_scratch.publish();
    }

private:
    QString m_target;
    Scratch m_scratch;
    QFile m_file;
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
