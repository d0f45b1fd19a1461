#include "platform/report/PdfWriter.h"

#include "platform/report/TextMeasurer.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Error.h"
#include "platform/system/FileNames.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QHash>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::report {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
// Fast compression: content streams are mostly repeated labels, which the
// quickest level already shrinks about eightfold.
constexpr int kCompression = 1;

// ------------------------------------------------------------------ numbers and strings

// Appends a number with at most two decimals, as PDF operands are written.
void appendNumber(QByteArray& out, double value)
{
    long long hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        out.append('-');
        hundredths = -hundredths;
    }
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, hundredths / 100);
    out.append(buf, r.ptr - buf);
    const int fraction = int(hundredths % 100);
    if (fraction != 0) {
        out.append('.');
        out.append(char('0' + fraction / 10));
        if (fraction % 10 != 0)
            out.append(char('0' + fraction % 10));
    }
}

void appendInt(QByteArray& out, long long value)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr - buf);
}

// A literal string operand: (text), with the three special bytes escaped.
void appendLiteral(QByteArray& out, const QString& text)
{
    out.append('(');
    for (const QChar c : text) {
        const unsigned char b = printedCode(c);
        if (b == '(' || b == ')' || b == '\\')
            out.append('\\');
        out.append(char(b));
    }
    out.append(')');
}

// A text string of the document information: UTF-16 with its byte order
// mark, in hexadecimal, so any title survives.
QByteArray textString(const QString& text)
{
    QByteArray utf16("\xFE\xFF", 2);
    for (const QChar c : text) {
        utf16.append(char(c.unicode() >> 8));
        utf16.append(char(c.unicode() & 0xFF));
    }
    return '<' + utf16.toHex().toUpper() + '>';
}

// ------------------------------------------------------------------ fonts

// The standard font that stands for a layout font in the document.
QByteArray standardFontName(const Font& font)
{
    const QFontInfo info(toQFont(font));
    const QString family = info.family().toLower();
    QByteArray base;
    if (info.fixedPitch() || family.contains(QStringLiteral("mono")) || family.contains(QStringLiteral("courier")))
        base = font.bold ? "Courier-Bold" : "Courier";
    else if (!family.contains(QStringLiteral("sans"))
             && (family.contains(QStringLiteral("serif")) || family.contains(QStringLiteral("times"))))
        base = font.bold ? "Times-Bold" : "Times-Roman";
    else
        base = font.bold ? "Helvetica-Bold" : "Helvetica";
    return base;
}

// ------------------------------------------------------------------ document

// Writes numbered objects to the device, keeping each one's offset for the
// cross-reference table. A failed write is remembered and ends the document.
class PdfDocument {
public:
    explicit PdfDocument(QIODevice& device) : m_device(device) {}

    bool ok() const { return m_ok; }

    int reserve()
    {
        m_offsets.append(-1);
        return int(m_offsets.size());
    }

    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    void write(const char* data, qint64 size)
    {
        if (!m_ok)
            return;
        if (m_device.write(data, size) != size)
            m_ok = false;
        m_pos += size;
    }

    void object(int number, const QByteArray& body)
    {
        begin(number);
        write(body);
        write("\nendobj\n", 8);
    }

    void stream(int number, const QByteArray& content)
    {
        const QByteArray packed = qCompress(content, kCompression);
        // qCompress puts the length in four bytes before the zlib stream.
        const qint64 size = packed.size() - 4;
        QByteArray head = "<< /Length ";
        appendInt(head, size);
        head.append(" /Filter /FlateDecode >>\nstream\n");
        begin(number);
        write(head);
        write(packed.constData() + 4, size);
        write("\nendstream\nendobj\n", 18);
    }

    void finish(int catalog, int info)
    {
        const qint64 xref = m_pos;
        QByteArray table = "xref\n0 ";
        appendInt(table, m_offsets.size() + 1);
        table.append("\n0000000000 65535 f \n");
        for (const qint64 offset : m_offsets) {
            char entry[21];
            std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(offset));
            table.append(entry, 20);
        }
        table.append("trailer\n<< /Size ");
        appendInt(table, m_offsets.size() + 1);
        table.append(" /Root ");
        appendInt(table, catalog);
        table.append(" 0 R /Info ");
        appendInt(table, info);
        table.append(" 0 R >>\nstartxref\n");
        appendInt(table, xref);
        table.append("\n%%EOF\n");
        write(table);
    }

private:
    void begin(int number)
    {
        m_offsets[number - 1] = m_pos;
        QByteArray head;
        appendInt(head, number);
        head.append(" 0 obj\n");
        write(head);
    }

    QIODevice& m_device;
    QList<qint64> m_offsets;
    qint64 m_pos = 0;
    bool m_ok = true;
};

// The fonts a document uses, numbered in the order they first appear.
class FontResources {
public:
    struct Entry {
        Font font;
        const FontTable* table;
        int object;
    };

    // The resource index of a font (its name is /F<index>).
    int indexOf(const Font& font, PdfDocument& doc)
    {
        for (int i = 0; i < m_fonts.size(); ++i)
            if (m_fonts[i].font.family == font.family && m_fonts[i].font.bold == font.bold)
                return i + 1;
        m_fonts.append(Entry{font, &fontTable(font), doc.reserve()});
        return int(m_fonts.size());
    }

    const FontTable& table(int index) const { return *m_fonts[index - 1].table; }

    // Writes every font object and the resource dictionary that names them.
    void write(PdfDocument& doc, int resources) const
    {
        QByteArray names = "<< /Font << ";
        for (int i = 0; i < m_fonts.size(); ++i) {
            const Entry& e = m_fonts[i];
            QByteArray body = "<< /Type /Font /Subtype /Type1 /BaseFont /" + standardFontName(e.font)
                              + " /Encoding /WinAnsiEncoding /FirstChar 32 /LastChar 255 /Widths [";
            for (int code = 32; code < 256; ++code) {
                body.append(code % 16 == 0 ? '\n' : ' ');
                appendNumber(body, e.table->advance[size_t(code)]);
            }
            body.append("] >>");
            doc.object(e.object, body);
            names.append("/F");
            appendInt(names, i + 1);
            names.append(' ');
            appendInt(names, e.object);
            names.append(" 0 R ");
        }
        names.append(">> >>");
        doc.object(resources, names);
    }

private:
    QList<Entry> m_fonts;
};

// The content stream of one page: frames stroked first, then every text run
// in one text object. y grows upwards from the bottom of the paper.
QByteArray pageContent(const Page& page, double paperHeight, FontResources& fonts, PdfDocument& doc)
{
    QByteArray out;
    out.reserve(256 + page.frames.size() * 40 + page.texts.size() * 64);
    const double height = paperHeight * kPointsPerMm;

    if (!page.frames.isEmpty()) {
        appendNumber(out, kFrameLineMm * kPointsPerMm);
        out.append(" w 0 G 0 j\n");
        for (const QRectF& f : page.frames) {
            appendNumber(out, f.left() * kPointsPerMm);
            out.append(' ');
            appendNumber(out, height - f.bottom() * kPointsPerMm);
            out.append(' ');
            appendNumber(out, f.width() * kPointsPerMm);
            out.append(' ');
            appendNumber(out, f.height() * kPointsPerMm);
            out.append(" re\n");
        }
        out.append("S\n");
    }

    if (page.texts.isEmpty())
        return out;
    out.append("BT 0 g\n");
    const Font* current = nullptr;
    const FontTable* table = nullptr;
    for (const TextRun& run : page.texts) {
        if (!current || !(*current == run.font)) {
            const int index = fonts.indexOf(run.font, doc);
            table = &fonts.table(index);
            out.append("/F");
            appendInt(out, index);
            out.append(' ');
            appendNumber(out, run.font.points);
            out.append(" Tf\n");
            current = &run.font;
        }
        const QPointF origin = baselineOrigin(run, *table);
        const double x = origin.x() * kPointsPerMm;
        const double baseline = height - origin.y() * kPointsPerMm;
        out.append("1 0 0 1 ");
        appendNumber(out, x);
        out.append(' ');
        appendNumber(out, baseline);
        out.append(" Tm ");
        appendLiteral(out, run.text);
        out.append(" Tj\n");
    }
    out.append("ET\n");
    return out;
}

} // namespace

void writePdf(const PageModel& model, QIODevice& device)
{
    if (model.isEmpty())
        throw plat::Error::output(QStringLiteral("O relatório não tem linhas a imprimir"));

    PdfDocument doc(device);
    doc.write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", 15);
    const int catalog = doc.reserve();
    const int pages = doc.reserve();
    const int resources = doc.reserve();
    const int info = doc.reserve();

    QByteArray mediaBox = "[0 0 ";
    appendNumber(mediaBox, model.paper.width() * kPointsPerMm);
    mediaBox.append(' ');
    appendNumber(mediaBox, model.paper.height() * kPointsPerMm);
    mediaBox.append(']');

    FontResources fonts;
    QByteArray kids;
    kids.reserve(model.pageCount() * 10);
    for (const Page& page : model.pages) {
        const int content = doc.reserve();
        doc.stream(content, pageContent(page, model.paper.height(), fonts, doc));
        const int pageObject = doc.reserve();
        QByteArray body = "<< /Type /Page /Parent ";
        appendInt(body, pages);
        body.append(" 0 R /MediaBox " + mediaBox + " /Resources ");
        appendInt(body, resources);
        body.append(" 0 R /Contents ");
        appendInt(body, content);
        body.append(" 0 R >>");
        doc.object(pageObject, body);
        appendInt(kids, pageObject);
        kids.append(" 0 R ");
        if (!doc.ok())
            break;
    }

    fonts.write(doc, resources);
    QByteArray tree = "<< /Type /Pages /Count ";
    appendInt(tree, model.pageCount());
    tree.append(" /Kids [" + kids + "] >>");
    doc.object(pages, tree);
    QByteArray root = "<< /Type /Catalog /Pages ";
    appendInt(root, pages);
    root.append(" 0 R >>");
    doc.object(catalog, root);
    const QByteArray created = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    doc.object(info, "<< /Title " + textString(model.title)
                         + " /Creator (zelta99) /Producer (zelta99) /CreationDate (D:" + created + ") >>");
    doc.finish(catalog, info);

    if (!doc.ok())
        throw plat::Error::output(QStringLiteral("Falha ao gravar o PDF: %1").arg(device.errorString()));
}

namespace {

// The first bytes of the regular file at that very name; empty when there is
// none (or it is empty, or not a regular file, which the writer refuses).
QByteArray leadingBytes(const QString& path, int count)
{
    const int fd = ::open(plat::sys::encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray head(count, '\0');
    struct stat st {};
    const ssize_t n = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? ::read(fd, head.data(), size_t(count)) : 0;
    ::close(fd);
    head.truncate(n > 0 ? qsizetype(n) : 0);
    return head;
}

} // namespace

void writePdf(const PageModel& model, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (model.isEmpty())
        throw plat::Error::output(QStringLiteral("O relatório não tem linhas a imprimir"));
    // A report goes over an older report only: a path mistyped as the
    // register's file, or any other document, is not lost to it.
    if (const QByteArray head = leadingBytes(path, 5); !head.isEmpty() && !head.startsWith("%PDF-"))
        throw plat::Error::output(QStringLiteral("O arquivo %1 já existe e não é um PDF; não foi substituído").arg(shown));
    plat::sys::AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw plat::Error::output(file.errorString());
    try {
        writePdf(model, file);
    } catch (const plat::Error& e) {
        file.discard();
        throw plat::Error::output(QStringLiteral("Não foi possível gravar %1: %2").arg(shown, e.message()));
    }
    if (!file.commit())
        throw plat::Error::output(file.errorString());
}

} // namespace plat::report
