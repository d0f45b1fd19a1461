#include "exchange/sheets/XlsxSheetWriter.h"

#include "exchange/sheets/ZipReadBack.h"
#include "platform/system/ClassicLocale.h"
#include "platform/system/StderrCapture.h"
#include "platform/system/SystemError.h"

#include <QDir>
#include <QFile>

#include <cstring>

namespace zelta::sheets {

namespace {

// One stretch of calls into the library: the C locale on this thread, and
// the library's own lines ("[ERROR] ...", "[WARNING] ...") kept from the
// terminal.
class LibraryCalls {
public:
    explicit LibraryCalls(QByteArray& printed) : m_printed(printed) {}
    ~LibraryCalls() { m_printed += m_capture.finish(); }

private:
    QByteArray& m_printed;
    plat::sys::ClassicLocale m_locale;
    plat::sys::StderrCapture m_capture{{QByteArrayLiteral("[ERROR]"), QByteArrayLiteral("[WARNING]")}};
};

// The system error the library named in its lines ("System error = ..."),
// in its text of the C locale; 0 when it named none.
int printedSystemError(const QByteArray& printed)
{
    static const QByteArray kSays("System error = ");
    const qsizetype at = printed.lastIndexOf(kSays);
    if (at < 0)
        return 0;
    QByteArray text = printed.mid(at + kSays.size());
    text = text.left(text.indexOf('\n')).trimmed();
    if (text.endsWith('.'))
        text.chop(1);
    for (int error = 1; error < 256; ++error)
        if (text == ::strerror_l(error, plat::sys::ClassicLocale::handle()))
            return error;
    return 0;
}

// "C5" for the row 4 and column 2, counted from 0.
QString cellName(lxw_row_t row, lxw_col_t col)
{
    QString letters;
    for (unsigned c = unsigned(col) + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(qulonglong(row) + 1);
}

qsizetype utf8Characters(const char* text)
{
    qsizetype n = 0;
    for (; *text; ++text)
        n += (uchar(*text) & 0xC0) != 0x80;
    return n;
}

} // namespace

XlsxSheetWriter::XlsxSheetWriter(const QString& path, const QString& sheetName) : m_scratch(path)
{
    const QString problem = openBook(sheetName);
    if (!problem.isEmpty()) {
        if (m_book)
            closeBook();
        sheetNotWritten(path, problem);
    }
    m_worker = std::thread([this] { writeBatches(); });
}

QString XlsxSheetWriter::openBook(const QString& sheetName)
{
    LibraryCalls calls(m_printed);
    // Constant memory: each row goes to the file when the next begins, so a
    // hundred thousand rows cost what one does. The rows wait in temporary
    // files of the library's, kept in the target's folder: the disk the user
    // chose, not a system folder that may be small or held in memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    m_path = QFile::encodeName(m_scratch.path());
    m_folder = QFile::encodeName(m_scratch.folder());
    options.tmpdir = m_folder.data();
    m_book = workbook_new_opt(m_path.constData(), &options);
    if (!m_book)
        return QStringLiteral("memória insuficiente");
    // Names are counted in characters, at most 31.
    const QByteArray name = sheetName.left(31).toUtf8();
    if (workbook_validate_sheet_name(m_book, name.constData()) != LXW_NO_ERROR)
        return QStringLiteral("o nome \"%1\" não serve de nome de planilha XLSX").arg(sheetName);
    m_sheet = workbook_add_worksheet(m_book, name.constData());
    if (!m_sheet)
        return QStringLiteral("não foi possível criar um arquivo temporário na pasta %1")
            .arg(QDir::toNativeSeparators(m_scratch.folder()));
    m_date = workbook_add_format(m_book);
    if (!m_date)
        return QStringLiteral("memória insuficiente");
    format_set_num_format(m_date, "dd/mm/yyyy");
    return {};
}

XlsxSheetWriter::~XlsxSheetWriter()
{
    stopWorker();
    if (m_book)
        closeBook();
}

void XlsxSheetWriter::row(const QList<Cell>& cells)
{
    const size_t before = m_current.entries.size();
    for (int c = 0; c < cells.size(); ++c) {
        const Cell& cell = cells[c];
        // The library writes nothing for an empty text either.
        if (cell.type == Cell::Type::Empty || (cell.type == Cell::Type::Text && cell.text.isEmpty()))
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
    if (m_current.entries.size() != before)
        ++m_rowsWithCells;
    ++m_row;
    if (m_current.entries.size() >= kBatchCells)
        handOver();
}

void XlsxSheetWriter::finish()
{
    if (!m_current.entries.empty())
        handOver();
    stopWorker();
    const lxw_error closed = closeBook();
    if (m_refusal.error != LXW_NO_ERROR)
        sheetNotWritten(m_scratch.target(), refusalText());
    if (closed != LXW_NO_ERROR)
        sheetNotWritten(m_scratch.target(), closeText(closed));
    const ZipReadBack back = ZipReadBack::read(m_scratch.path(), "xl/worksheets/", "<row ");
    const QString likely = QStringLiteral("; o disco pode estar cheio, ou o arquivo passaria do tamanho máximo permitido");
    if (!back.problem.isEmpty())
        sheetNotWritten(m_scratch.target(), back.problem + likely);
    if (back.markers != m_rowsWithCells)
        sheetNotWritten(m_scratch.target(), QStringLiteral("o arquivo lido de volta do disco tem %1 das %2 linhas gravadas%3")
                                                .arg(back.markers)
                                                .arg(m_rowsWithCells)
                                                .arg(likely));
    m_scratch.publish();
}

lxw_error XlsxSheetWriter::closeBook()
{
    LibraryCalls calls(m_printed);
    const lxw_error e = workbook_close(m_book);
    m_book = nullptr;
    return e;
}

void XlsxSheetWriter::handOver()
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

void XlsxSheetWriter::writeBatches()
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
        if (m_refusal.error == LXW_NO_ERROR) {
            LibraryCalls calls(m_printed);
            write(batch);
        }
        batch.entries.clear();
        batch.texts.resize(0);
        lock.lock();
        m_spare.push_back(std::move(batch));
    }
}

void XlsxSheetWriter::write(Batch& batch)
{
    for (Entry& e : batch.entries) {
        lxw_error r = LXW_NO_ERROR;
        const char* text = batch.texts.constData() + e.text;
        if (e.type == Cell::Type::Text)
            r = worksheet_write_string(m_sheet, e.row, e.col, text, nullptr);
        else if (e.type == Cell::Type::Number)
            r = worksheet_write_number(m_sheet, e.row, e.col, e.number, nullptr);
        else
            r = worksheet_write_datetime(m_sheet, e.row, e.col, &e.date, m_date);
        // A cell the library refused fails the file in finish() rather than
        // leaving a hole in it; what follows it is not worth writing.
        if (r != LXW_NO_ERROR) {
            m_refusal = {r, e.row, e.col, e.type == Cell::Type::Text ? utf8Characters(text) : 0};
            return;
        }
    }
}

void XlsxSheetWriter::stopWorker()
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

QString XlsxSheetWriter::refusalText() const
{
    const QString cell = cellName(m_refusal.row, m_refusal.col);
    switch (m_refusal.error) {
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("o texto da célula %1 tem %2 caracteres, e uma célula XLSX guarda até 32.767")
            .arg(cell)
            .arg(m_refusal.characters);
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("a célula %1 passa do limite do formato XLSX (1.048.576 linhas e 16.384 colunas)").arg(cell);
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("memória insuficiente");
    default:
        return QStringLiteral("a célula %1 foi recusada pela biblioteca XLSX (erro %2)").arg(cell).arg(int(m_refusal.error));
    }
}

QString XlsxSheetWriter::closeText(lxw_error error) const
{
    QString what;
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("memória insuficiente");
    case LXW_ERROR_CREATING_XLSX_FILE:
        what = QStringLiteral("o arquivo não pôde ser criado");
        break;
    case LXW_ERROR_CREATING_TMPFILE:
        what = QStringLiteral("não foi possível criar um arquivo temporário na pasta %1")
                   .arg(QDir::toNativeSeparators(m_scratch.folder()));
        break;
    default:
        what = QStringLiteral("erro ao compactar o arquivo");
        break;
    }
    // The library names the system's error in its own lines only.
    const int system = printedSystemError(m_printed);
    if (system != 0)
        return what + QStringLiteral(": ") + plat::sys::writeErrorText(system);
    return what + QStringLiteral(" (erro %1 da biblioteca XLSX)").arg(int(error));
}

} // namespace zelta::sheets
