#include "platform/system/AtomicFile.h"

#include "platform/system/PrivateFiles.h"
#include "platform/system/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::sys {

namespace {

AtomicFile::DirectorySync& directorySync()
{
    static AtomicFile::DirectorySync sync = [](int fd) { return ::fsync(fd); };
    return sync;
}

// A name mkstemp gives for the pattern ".<target>.XXXXXX".
bool isTemporaryName(const QByteArray& entry, const QByteArray& target)
{
    if (entry.size() != target.size() + 8 || !entry.startsWith('.') || entry.at(target.size() + 1) != '.'
        || entry.mid(1, target.size()) != target)
        return false;
    for (qsizetype i = entry.size() - 6; i < entry.size(); ++i) {
        const char c = entry.at(i);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Removes the temporary files that earlier writers of this target left behind
// when they were killed, and nothing else: only regular files of this user
// named as this class names them, and only those no running writer holds
// (each writer keeps its temporary file locked while it lives).
void removeStaleTemporaries(const QString& targetPath)
{
    const QFileInfo target(targetPath);
    const QByteArray dirName = encodePath(target.absolutePath());
    const QByteArray targetName = encodePath(target.fileName());
    DIR* dir = ::opendir(dirName.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (!isTemporaryName(name, targetName))
            continue;
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, name.constData(), 0);
        ::close(fd);
    }
    ::closedir(dir);
}

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
    // A device, a fifo or a socket under the final name would be replaced by
    // the rename: /dev/null given as the target must stay a device.
    struct stat existing {};
    if (::stat(encodePath(m_fileName).constData(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
        m_failed = true;
        setErrorString(QStringLiteral("%1 não é um arquivo comum (é um dispositivo, uma fila ou um soquete) e não foi "
                                      "substituído")
                           .arg(QDir::toNativeSeparators(m_fileName)));
        return false;
    }
    const QFileInfo target(m_fileName);
    // Hidden, and named after the target, so that a temporary file left by a
    // crash is recognisable and never mistaken for the file itself.
    QByteArray pattern = encodePath(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    m_failed = false;
    m_replaced = false;
    m_written = Digest();
    m_buffer.clear();
    removeStaleTemporaries(m_fileName);
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        fail(QStringLiteral("Não foi possível criar o arquivo %1").arg(QDir::toNativeSeparators(m_fileName)), errno);
        return false;
    }
    m_fd = fd;
    m_tempName = decodePath(pattern);
    // Held until the file is renamed or removed, and dropped by the system
    // when the process dies: a locked temporary file belongs to a live writer.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    // mkstemp makes the file private to its owner (0600), as a new file that
    // holds personal data stays. A file it replaces keeps the mode it had:
    // the user may have opened it up, and the program never tightens nor
    // widens what exists.
    if (existing.st_mode != 0 && S_ISREG(existing.st_mode))
        ::fchmod(m_fd, existing.st_mode & 0777);
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
    if (ok && ::rename(encodePath(m_tempName).constData(), encodePath(m_fileName).constData()) != 0) {
        fail(QStringLiteral("Não foi possível gravar o arquivo com o nome %1").arg(shown), errno);
        ok = false;
    }
    if (!ok) {
        removeTemporary();
        QIODevice::close();
        return false;
    }
    m_tempName.clear();
    m_replaced = true;
    // The new name lives in the directory: make the rename itself durable. A
    // folder that cannot confirm it is a failure to report, though the file
    // already carries its name: a crash now could still bring back the older
    // file or no file. A file system that cannot sync folders at all has
    // nothing more to offer, and that is no failure.
    const QString folder = QDir::toNativeSeparators(QFileInfo(m_fileName).absolutePath());
    const int dir = ::open(encodePath(QFileInfo(m_fileName).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        fail(QStringLiteral("Não foi possível confirmar no disco a gravação na pasta %1").arg(folder), errno);
        QIODevice::close();
        return false;
    }
    const int synced = directorySync()(dir);
    const int syncError = errno;
    ::close(dir);
    if (synced != 0 && syncError != EINVAL && syncError != EOPNOTSUPP) {
        fail(QStringLiteral("Não foi possível confirmar no disco a gravação na pasta %1").arg(folder), syncError);
        QIODevice::close();
        return false;
    }
    QIODevice::close();
    return true;
}

AtomicFile::DirectorySync AtomicFile::setDirectorySync(DirectorySync sync)
{
    return std::exchange(directorySync(), std::move(sync));
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
    setErrorString(what + QStringLiteral(": ") + writeErrorText(error));
}

void AtomicFile::removeTemporary()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.isEmpty()) {
        ::unlink(encodePath(m_tempName).constData());
        m_tempName.clear();
    }
    m_buffer.clear();
}

} // namespace plat::sys
