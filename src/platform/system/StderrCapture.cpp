#include "platform/system/StderrCapture.h"

#include <cerrno>
#include <cstdio>
#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace plat::sys {

namespace {

std::mutex& captureMutex()
{
    static std::mutex m;
    return m;
}

// A file without a name, in memory where the system offers it.
int anonymousFile()
{
    const int fd = ::memfd_create("zelta99-stderr", MFD_CLOEXEC);
    if (fd >= 0)
        return fd;
    FILE* f = std::tmpfile();
    if (!f)
        return -1;
    const int copy = ::fcntl(::fileno(f), F_DUPFD_CLOEXEC, 3);
    std::fclose(f);
    return copy;
}

void writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= n;
    }
}

} // namespace

StderrCapture::StderrCapture(QList<QByteArray> prefixes) : m_prefixes(std::move(prefixes))
{
    captureMutex().lock();
    m_holding = true;
    std::fflush(stderr);
    m_capture = anonymousFile();
    m_saved = m_capture >= 0 ? ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3) : -1;
    // Without a place to keep the text the standard error stays as it is:
    // the library's lines then show, which beats losing other ones.
    if (m_saved < 0 || ::dup2(m_capture, STDERR_FILENO) < 0) {
        if (m_saved >= 0)
            ::close(m_saved);
        if (m_capture >= 0)
            ::close(m_capture);
        m_saved = m_capture = -1;
    }
}

StderrCapture::~StderrCapture() { finish(); }

QByteArray StderrCapture::finish()
{
    if (!m_holding)
        return m_kept;
    std::fflush(stderr);
    if (m_saved >= 0) {
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        QByteArray text;
        char chunk[4096];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(m_capture, chunk, sizeof chunk, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            text.append(chunk, n);
            at += n;
        }
        ::close(m_capture);
        QByteArray passed;
        QList<QByteArray> lines = text.split('\n');
        if (lines.last().isEmpty())
            lines.removeLast();
        for (const QByteArray& line : lines) {
            bool own = false;
            for (const QByteArray& p : m_prefixes)
                own = own || line.startsWith(p);
            (own ? m_kept : passed) += line + '\n';
        }
        writeAll(STDERR_FILENO, passed.constData(), passed.size());
    }
    m_holding = false;
    captureMutex().unlock();
    return m_kept;
}

} // namespace plat::sys
