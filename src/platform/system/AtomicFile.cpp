#include "platform/system/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::sys {

namespace {

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

quint64 load64(const unsigned char* p)
{
    quint64 w;
    std::memcpy(&w, p, 8);
    return w;
}

} // namespace

// ------------------------------------------------------------------ Digest

void AtomicFile::Digest::mix(quint64 word)
{
    m_hash ^= word;
    m_hash *= 0x9E3779B97F4A7C15ull;
    m_hash ^= m_hash >> 31;
}

void AtomicFile::Digest::add(const char* data, qint64 size)
{
    auto p = reinterpret_cast<const unsigned char*>(data);
    m_size += size;
    while (size > 0 && m_tailSize > 0) {
        m_tail[m_tailSize++] = *p++;
        --size;
        if (m_tailSize == 8) {
            mix(load64(m_tail));
            m_tailSize = 0;
        }
    }
    for (; size >= 8; p += 8, size -= 8)
        mix(load64(p));
    for (; size > 0; --size)
        m_tail[m_tailSize++] = *p++;
}

quint64 AtomicFile::Digest::value() const
{
    Digest copy = *this;
    unsigned char last[8] = {};
    std::memcpy(last, copy.m_tail, size_t(copy.m_tailSize));
    copy.mix(load64(last));
    copy.mix(quint64(m_size));
    return copy.m_hash;
}

// --------------------------------------------------------------- AtomicFile

AtomicFile::AtomicFile(const QString& fileName, QObject* parent) : QIODevice(parent), m_fileName(fileName) {}

AtomicFile::~AtomicFile() { removeTemporary(); }

bool AtomicFile::open(OpenMode mode)
{
    if (isOpen() || (mode & ReadOnly) || !(mode & WriteOnly) || (mode & (Append | NewOnly | ExistingOnly))) {
        setErrorString(QStringLiteral("Modo de abertura não aceito para %1").arg(QDir::toNativeSeparators(m_fileName)));
        return false;
    }
    const QFileInfo target(m_fileName);
    // Hidden, and named after the target, so that a temporary file left by a
    // crash is recognisable and never mistaken for the file itself.
    QByteArray pattern = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                                           + QStringLiteral(".XXXXXX"));
    m_failed = false;
    m_written = Digest();
    m_buffer.clear();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        fail(QStringLiteral("Não foi possível criar o arquivo %1").arg(QDir::toNativeSeparators(m_fileName)), errno);
        return false;
    }
    m_fd = fd;
    m_tempName = QFile::decodeName(pattern);
    // mkstemp makes the file private to its owner; the finished file gets the
    // permissions any new file of the user would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(m_fd, 0666 & ~mask);
    m_buffer.reserve(kBufferSize);
    return QIODevice::open(WriteOnly | Unbuffered);
}

qint64 AtomicFile::readData(char*, qint64) { return -1; }

qint64 AtomicFile::writeData(const char* data, qint64 size)
{
    if (m_fd < 0 || m_failed)
        return -1;
    m_written.add(data, size);
    if (m_buffer.size() + size > kBufferSize && !flushBuffer())
        return -1;
    if (size >= kBufferSize) {
        if (!writeAll(data, size))
            return -1;
    } else {
        m_buffer.append(data, size);
    }
    return size;
}

bool AtomicFile::flushBuffer()
{
    if (m_buffer.isEmpty())
        return true;
    const bool ok = writeAll(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
    return ok;
}

bool AtomicFile::writeAll(const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("Erro ao gravar o arquivo %1").arg(QDir::toNativeSeparators(m_fileName)), errno);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool AtomicFile::verifyWritten()
{
    // Drop the cached pages first, where the system allows it, so that the
    // bytes come back from the device rather than from memory.
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_DONTNEED);
    if (::lseek(m_fd, 0, SEEK_SET) != 0) {
        fail(QStringLiteral("Erro ao conferir o arquivo %1").arg(QDir::toNativeSeparators(m_fileName)), errno);
        return false;
    }
    Digest read;
    QByteArray chunk(kBufferSize, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(m_fd, chunk.data(), size_t(chunk.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("Erro ao conferir o arquivo %1").arg(QDir::toNativeSeparators(m_fileName)), errno);
            return false;
        }
        if (n == 0)
            break;
        read.add(chunk.constData(), n);
    }
    if (read.size() != m_written.size() || read.value() != m_written.value()) {
        m_failed = true;
        setErrorString(QStringLiteral("O arquivo %1 lido de volta do disco difere do que foi gravado (%2 bytes lidos, %3 "
                                      "gravados)")
                           .arg(QDir::toNativeSeparators(m_fileName))
                           .arg(read.size())
                           .arg(m_written.size()));
        return false;
    }
    return true;
}

bool AtomicFile::commit()
{
    if (m_fd < 0) {
        if (!m_failed)
            setErrorString(QStringLiteral("O arquivo %1 não está aberto").arg(QDir::toNativeSeparators(m_fileName)));
        QIODevice::close();
        return false;
    }
    const QString shown = QDir::toNativeSeparators(m_fileName);
    bool ok = !m_failed && flushBuffer();
    if (ok && ::fsync(m_fd) != 0) {
        fail(QStringLiteral("Erro ao gravar o arquivo %1").arg(shown), errno);
        ok = false;
    }
    ok = ok && verifyWritten();
    if (ok) {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) {
            fail(QStringLiteral("Erro ao gravar o arquivo %1").arg(shown), errno);
            ok = false;
        }
    }
    if (ok && ::rename(QFile::encodeName(m_tempName).constData(), QFile::encodeName(m_fileName).constData()) != 0) {
        fail(QStringLiteral("Não foi possível gravar o arquivo com o nome %1").arg(shown), errno);
        ok = false;
    }
    if (!ok) {
        removeTemporary();
        QIODevice::close();
        return false;
    }
    m_tempName.clear();
    // The new name lives in the directory: make the rename itself durable.
    const int dir = ::open(QFile::encodeName(QFileInfo(m_fileName).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    QIODevice::close();
    return true;
}

void AtomicFile::discard()
{
    removeTemporary();
    QIODevice::close();
}

void AtomicFile::close()
{
    if (isOpen())
        discard();
}

void AtomicFile::fail(const QString& what, int error)
{
    m_failed = true;
    setErrorString(what + QStringLiteral(": ") + systemText(error));
}

void AtomicFile::removeTemporary()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.isEmpty()) {
        ::unlink(QFile::encodeName(m_tempName).constData());
        m_tempName.clear();
    }
    m_buffer.clear();
}

} // namespace plat::sys
