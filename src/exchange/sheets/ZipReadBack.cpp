#include "exchange/sheets/ZipReadBack.h"

#include <QByteArray>
#include <QFile>

#include <unzip.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace zelta::sheets {

namespace {

struct UnzipClose {
    void operator()(void* zip) const { unzClose(zip); }
};

// The name of the root element of an XML text that begins with `head`.
QByteArray rootName(const QByteArray& head)
{
    for (qsizetype at = head.indexOf('<'); at >= 0; at = head.indexOf('<', at + 1)) {
        const char next = at + 1 < head.size() ? head.at(at + 1) : '\0';
        if (next == '?' || next == '!')
            continue;
        qsizetype end = at + 1;
        while (end < head.size() && !QByteArrayView(" \t\r\n>/").contains(head.at(end)))
            ++end;
        return head.mid(at + 1, end - at - 1);
    }
    return {};
}

// Reads the current entry to its end. Keeps its first and last bytes for the
// XML check and counts the marker on the way.
class EntryReader {
public:
    explicit EntryReader(QByteArrayView marker) : m_marker(marker.data(), size_t(marker.size())) {}
    // UNZ_OK, or the minizip code of the failure.
    int read(unzFile zip, bool count)
    {
        QByteArray chunk(kChunk, Qt::Uninitialized);
        for (;;) {
            const int n = unzReadCurrentFile(zip, chunk.data(), unsigned(chunk.size()));
            if (n < 0)
                return n;
            if (n == 0)
                return UNZ_OK;
            const std::string_view piece(chunk.constData(), size_t(n));
            if (m_head.size() < kEnds)
                m_head.append(piece.data(), qsizetype(std::min(piece.size(), size_t(kEnds - m_head.size()))));
            keepLast(m_tail, piece, kEnds);
            if (count && !m_marker.empty())
                countIn(piece);
        }
    }
    const QByteArray& head() const { return m_head; }
    QByteArray tail() const { return QByteArray(m_tail.data(), qsizetype(m_tail.size())); }
    qint64 count() const { return m_count; }

private:
    static constexpr qsizetype kChunk = 256 * 1024;
    static constexpr qsizetype kEnds = 512;

    static void keepLast(std::string& kept, std::string_view piece, size_t size)
    {
        if (piece.size() >= size) {
            kept.assign(piece.substr(piece.size() - size));
            return;
        }
        kept.append(piece);
        if (kept.size() > size)
            kept.erase(0, kept.size() - size);
    }
    qint64 occurrences(std::string_view text) const
    {
        qint64 n = 0;
        const char* at = text.data();
        const char* const end = at + text.size();
        while (const void* found = ::memmem(at, size_t(end - at), m_marker.data(), m_marker.size())) {
            ++n;
            at = static_cast<const char*>(found) + m_marker.size();
        }
        return n;
    }
    // A marker cut by the end of a piece is counted once, in the seam of
    // the two pieces: neither side alone can hold it whole.
    void countIn(std::string_view piece)
    {
        const size_t keep = m_marker.size() - 1;
        m_count += occurrences(m_carry + std::string(piece.substr(0, std::min(keep, piece.size()))));
        m_count += occurrences(piece);
        keepLast(m_carry, piece, keep);
    }

    std::string_view m_marker;
    QByteArray m_head;
    std::string m_tail;
    std::string m_carry;
    qint64 m_count = 0;
};

bool endsItsRoot(const QByteArray& head, const QByteArray& tail)
{
    const QByteArray root = rootName(head);
    return !root.isEmpty() && tail.trimmed().endsWith("</" + root + '>');
}

} // namespace

ZipReadBack ZipReadBack::read(const QString& path, QByteArrayView folder, QByteArrayView marker)
{
    ZipReadBack r;
    const std::unique_ptr<void, UnzipClose> zip(unzOpen64(QFile::encodeName(path).constData()));
    int step = zip ? unzGoToFirstFile(zip.get()) : UNZ_BADZIPFILE;
    if (step != UNZ_OK) {
        r.problem = QStringLiteral("o arquivo lido de volta do disco não é um arquivo compactado inteiro");
        return r;
    }
    for (; step == UNZ_OK; step = unzGoToNextFile(zip.get())) {
        char name[512] = {};
        if (unzGetCurrentFileInfo64(zip.get(), nullptr, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK
            || unzOpenCurrentFile(zip.get()) != UNZ_OK) {
            r.problem = QStringLiteral("uma parte do arquivo lido de volta do disco não pôde ser aberta");
            return r;
        }
        const QByteArray entry(name);
        const QString shown = QString::fromUtf8(entry);
        EntryReader reader(marker);
        const int read = reader.read(zip.get(), !folder.isEmpty() && entry.startsWith(folder));
        const int closed = unzCloseCurrentFile(zip.get());
        if (read != UNZ_OK || closed != UNZ_OK) {
            r.problem = read == UNZ_OK && closed == UNZ_CRCERROR
                            ? QStringLiteral("a parte %1 do arquivo lido de volta do disco não confere com sua soma de "
                                             "verificação (CRC)")
                                  .arg(shown)
                            : QStringLiteral("a parte %1 do arquivo lido de volta do disco não pôde ser lida").arg(shown);
            return r;
        }
        if ((entry.endsWith(".xml") || entry.endsWith(".rels")) && !endsItsRoot(reader.head(), reader.tail())) {
            r.problem = QStringLiteral("a parte %1 do arquivo termina antes do fim").arg(shown);
            return r;
        }
        r.markers += reader.count();
    }
    if (step != UNZ_END_OF_LIST_OF_FILE)
        r.problem = QStringLiteral("o índice do arquivo compactado lido de volta do disco está danificado");
    return r;
}

} // namespace zelta::sheets
