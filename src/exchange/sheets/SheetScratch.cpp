#include "exchange/sheets/SheetScratch.h"

#include "platform/system/Error.h"
#include "platform/system/FileNames.h"
#include "platform/system/SystemError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zelta::sheets {

void sheetNotWritten(const QString& target, const QString& why)
{
    throw plat::Error::output(
        QStringLiteral("A planilha %1 não pôde ser gravada: %2").arg(QDir::toNativeSeparators(target), why));
}

SheetScratch::SheetScratch(const QString& target) : m_target(target), m_final(target)
{
    // Opened first: its opening also clears the temporaries a killed export
    // of the same target left behind.
    if (!m_final.open(QIODevice::WriteOnly))
        sheetNotWritten(target, m_final.errorString());
    const QFileInfo info(target);
    QByteArray pattern = plat::sys::encodePath(info.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0)
        sheetNotWritten(target, QStringLiteral("não foi possível criar um arquivo na pasta %1: %2")
                                    .arg(QDir::toNativeSeparators(info.absolutePath()), plat::sys::systemErrorText(errno)));
    m_path = plat::sys::decodePath(pattern);
    // Held open and locked, as AtomicFile holds its own, so that another
    // export of the same name does not take it for a killed one's.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
}

SheetScratch::~SheetScratch()
{
    if (m_fd >= 0) {
        ::unlink(plat::sys::encodePath(m_path).constData());
        ::close(m_fd);
    }
}

QString SheetScratch::folder() const { return QFileInfo(m_path).absolutePath(); }

void SheetScratch::publish()
{
    const int fd = ::open(plat::sys::encodePath(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        sheetNotWritten(
            m_target, QStringLiteral("o arquivo gravado não pôde ser lido de volta: %1").arg(plat::sys::systemErrorText(errno)));
    QByteArray chunk(plat::sys::AtomicFile::kBufferSize, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), size_t(chunk.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            sheetNotWritten(m_target, QStringLiteral("o arquivo gravado não pôde ser lido de volta: %1")
                                          .arg(plat::sys::systemErrorText(error)));
        }
        if (n == 0)
            break;
        if (m_final.write(chunk.constData(), n) != n) {
            ::close(fd);
            sheetNotWritten(m_target, m_final.errorString());
        }
    }
    ::close(fd);
    if (!m_final.commit())
        sheetNotWritten(m_target, m_final.errorString());
}

} // namespace zelta::sheets
