#include "platform/system/RegularFile.h"

#include "platform/system/SystemError.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::sys {

namespace {

using Problem = FileContents::Problem;

FileContents failed(Problem problem, int error = 0)
{
    FileContents r;
    r.problem = problem;
    if (error != 0)
        r.systemText = systemErrorText(error);
    return r;
}

Problem kindOf(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return Problem::Directory;
    return S_ISREG(st.st_mode) ? Problem::None : Problem::NotRegular;
}

} // namespace

FileContents readRegularFile(const QString& path, qint64 limit)
{
    const QByteArray name = QFile::encodeName(path);
    // The kind is known before opening, so a device is never opened (opening
    // one can have effects of its own) ...
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? failed(Problem::Missing) : failed(Problem::CannotOpen, errno);
    if (const Problem kind = kindOf(st); kind != Problem::None)
        return failed(kind);

    // ... and checked again on what was opened, in case the name was switched
    // in between. O_NONBLOCK keeps the open itself from waiting on a FIFO.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? failed(Problem::Missing) : failed(Problem::CannotOpen, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0)
        return failed(Problem::CannotOpen, errno);
    if (const Problem kind = kindOf(st); kind != Problem::None)
        return failed(kind);
    if (st.st_size > limit)
        return failed(Problem::TooLarge);

    // Read up to one byte past the limit: that byte tells a file of exactly
    // the limit from a longer one.
    FileContents r;
    r.bytes.resize(qsizetype(qMin<qint64>(qMax<qint64>(st.st_size, 0), limit) + 1));
    qint64 used = 0;
    for (;;) {
        if (used == r.bytes.size()) {
            if (used > limit)
                return failed(Problem::TooLarge);
            r.bytes.resize(qsizetype(qMin<qint64>(limit + 1, qMax<qint64>(used * 2, 64 * 1024))));
        }
        const ssize_t n = ::read(fd, r.bytes.data() + used, size_t(r.bytes.size() - used));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failed(Problem::CannotRead, errno);
        }
        if (n == 0)
            break;
        used += n;
    }
    if (used > limit)
        return failed(Problem::TooLarge);
    r.bytes.truncate(qsizetype(used));
    return r;
}

} // namespace plat::sys
