#include "exchange/sheets/ZipReader.h"

#include "exchange/sheets/SheetBuilder.h"

#include <QXmlStreamReader>

#include <unzip.h>

#include <cstring>

namespace zelta::sheets {

namespace {

// minizip's file functions over a QIODevice: the "path" minizip passes to
// open is the device itself.
voidpf ZCALLBACK ioOpen(voidpf, const void* device, int) { return const_cast<void*>(device); }

uLong ZCALLBACK ioRead(voidpf, voidpf stream, void* buf, uLong size)
{
    const qint64 n = static_cast<QIODevice*>(stream)->read(static_cast<char*>(buf), qint64(size));
    return n > 0 ? uLong(n) : 0;
}

uLong ZCALLBACK ioWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK ioTell(voidpf, voidpf stream)
{
    const qint64 at = static_cast<QIODevice*>(stream)->pos();
    return at >= 0 ? ZPOS64_T(at) : ZPOS64_T(-1);
}

long ZCALLBACK ioSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* device = static_cast<QIODevice*>(stream);
    qint64 base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = device->pos();
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = device->size();
    // Offsets are unsigned; minizip only seeks within the file.
    if (offset > ZPOS64_T(device->size()))
        return -1;
    const qint64 to = base + qint64(offset);
    return to >= 0 && to <= device->size() && device->seek(to) ? 0 : -1;
}

int ZCALLBACK ioClose(voidpf, voidpf) { return 0; }

int ZCALLBACK ioError(voidpf, voidpf) { return 0; }

QString entryName(unzFile zip)
{
    unz_file_info64 info{};
    char name[1024] = {};
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK)
        return QString();
    return QString::fromUtf8(name);
}

[[noreturn]] void damaged(const QString& part)
{
    unreadable(QStringLiteral("a parte %1 do arquivo compactado está danificada").arg(part));
}

[[noreturn]] void partTooLarge(const QString& part, qint64 limit)
{
    tooLarge(QStringLiteral("descompactado, o conteúdo passa de %1 MB na parte %2").arg(limit >> 20).arg(part));
}

// The XML reader's kinds of error in the user's words.
QString xmlProblem(const QXmlStreamReader& xml)
{
    switch (xml.error()) {
    case QXmlStreamReader::PrematureEndOfDocumentError:
        return QStringLiteral("o texto XML acaba antes do fim (o arquivo está incompleto)");
    case QXmlStreamReader::NotWellFormedError:
        return QStringLiteral("o texto XML está malformado");
    case QXmlStreamReader::UnexpectedElementError:
        return QStringLiteral("o texto XML traz um elemento inesperado");
    case QXmlStreamReader::CustomError:
    case QXmlStreamReader::NoError:
        break;
    }
    return QStringLiteral("o texto XML não pôde ser lido");
}

// The longest run of bytes without a '<' that a part may hold. The XML
// reader keeps a whole text between two tags in memory before it gives it,
// so that a part of a gigabyte of blanks would cost two gigabytes; no cell's
// text comes near this.
constexpr qint64 kLongestRun = 4 << 20;

// The part's bytes as minizip inflates them, until the limit, and while no
// run without a tag is longer than kLongestRun.
class LimitedDevice : public QIODevice {
public:
    LimitedDevice(unzFile zip, qint64 limit) : m_zip(zip), m_limit(limit) { open(QIODevice::ReadOnly); }
    bool exceeded() const { return m_exceeded; }
    bool failed() const { return m_failed; }
    bool longRun() const { return m_longRun; }
    qint64 inflated() const { return m_read; }
    bool isSequential() const override { return true; }
    // Reads what is left, so that minizip has seen the whole entry; a part
    // no XML reader reads has no runs to mind.
    void drain()
    {
        char buffer[1 << 16];
        m_watchRuns = false;
        while (!m_exceeded && !m_failed && readData(buffer, sizeof buffer) > 0) {
        }
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_read >= m_limit) {
            // One byte more tells a part of exactly the limit from a larger one.
            char probe = 0;
            const int more = unzReadCurrentFile(m_zip, &probe, 1);
            m_exceeded = more > 0;
            m_failed = more < 0;
            return -1;
        }
        if (m_longRun)
            return -1;
        const int n = unzReadCurrentFile(m_zip, data, unsigned(std::min<qint64>({maxSize, m_limit - m_read, 1 << 20})));
        if (n < 0)
            m_failed = true;
        if (n <= 0)
            return -1;
        m_read += n;
        if (m_watchRuns) {
            const void* tag = memrchr(data, '<', size_t(n));
            m_sinceTag = tag ? data + n - static_cast<const char*>(tag) - 1 : m_sinceTag + n;
            m_longRun = m_sinceTag > kLongestRun;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_limit;
    qint64 m_read = 0;
    qint64 m_sinceTag = 0;
    bool m_exceeded = false;
    bool m_failed = false;
    bool m_longRun = false;
    bool m_watchRuns = true;
};

} // namespace

ZipFile::ZipFile(QIODevice& device)
{
    zlib_filefunc64_def io{ioOpen, ioRead, ioWrite, ioTell, ioSeek, ioClose, ioError, nullptr};
    m_zip = unzOpen2_64(&device, &io);
    if (!m_zip)
        unreadable(QStringLiteral("o arquivo compactado está danificado"));
}

ZipFile::~ZipFile()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipFile::has(const QString& name) const { return unzLocateFile(m_zip, name.toUtf8().constData(), 2) == UNZ_OK; }

void ZipFile::checkRest(qint64 limit)
{
    // A name may come twice; the parts read were the first of each name.
    QSet<QString> seen;
    int at = unzGoToFirstFile(m_zip);
    while (at == UNZ_OK) {
        const QString name = entryName(m_zip);
        const bool read = m_checked.contains(name) && !seen.contains(name);
        seen.insert(name);
        if (!read && !name.endsWith(u'/')) {
            if (unzOpenCurrentFile(m_zip) != UNZ_OK)
                damaged(name);
            LimitedDevice entry(m_zip, limit - m_unpacked);
            entry.drain();
            m_unpacked += entry.inflated();
            const int closed = unzCloseCurrentFile(m_zip);
            if (entry.exceeded())
                partTooLarge(name, limit);
            if (entry.failed() || closed != UNZ_OK)
                damaged(name);
        }
        at = unzGoToNextFile(m_zip);
    }
    if (at != UNZ_END_OF_LIST_OF_FILE)
        unreadable(QStringLiteral("o índice do arquivo compactado está danificado"));
}

struct ZipPart::Impl {
    ZipFile* zip = nullptr;
    QString name;
    std::unique_ptr<LimitedDevice> limited;
    qint64 limit = 0;
    bool open = false;
};

ZipPart::ZipPart(ZipFile& zip, const QString& name, qint64 limit) : d(std::make_unique<Impl>())
{
    d->zip = &zip;
    d->limit = limit;
    if (!zip.has(name))
        unreadable(QStringLiteral("falta a parte %1").arg(name));
    // The entry's name as stored, which may differ in case from the one asked.
    d->name = entryName(zip.m_zip);
    if (unzOpenCurrentFile(zip.m_zip) != UNZ_OK)
        damaged(d->name);
    d->open = true;
    d->limited = std::make_unique<LimitedDevice>(zip.m_zip, limit - zip.m_unpacked);
}

ZipPart::~ZipPart()
{
    d->limited.reset();
    if (d->open)
        unzCloseCurrentFile(d->zip->m_zip);
}

QIODevice* ZipPart::device() { return d->limited.get(); }

void ZipPart::finish(const QXmlStreamReader& xml)
{
    if (d->limited->longRun())
        tooLarge(QStringLiteral("a parte %1 tem um texto de mais de %2 MB").arg(d->name).arg(kLongestRun >> 20));
    if (d->limited->exceeded())
        partTooLarge(d->name, d->limit);
    if (d->limited->failed())
        damaged(d->name);
    // The checksum is compared only once the whole entry has been inflated.
    d->limited->drain();
    if (d->limited->exceeded())
        partTooLarge(d->name, d->limit);
    d->open = false;
    d->zip->m_unpacked += d->limited->inflated();
    const int closed = unzCloseCurrentFile(d->zip->m_zip);
    if (d->limited->failed() || closed != UNZ_OK)
        damaged(d->name);
    d->zip->m_checked.insert(d->name);
    if (xml.hasError())
        unreadable(QStringLiteral("%1, linha %2: %3").arg(d->name).arg(xml.lineNumber()).arg(xmlProblem(xml)));
}

} // namespace zelta::sheets
