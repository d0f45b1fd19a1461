#include "platform/system/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::sys {

bool makePrivatePath(const QString& path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList missing;
    for (QString p = clean; !p.isEmpty() && !QFileInfo::exists(p); p = QFileInfo(p).path()) {
        missing.prepend(p);
        if (p == QFileInfo(p).path())
            break;
    }
    for (const QString& p : std::as_const(missing))
        if (::mkdir(encodePath(p).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    // mkdir applies the umask, which may only take bits away from 0700.
    return QFileInfo(clean).isDir();
}

void createPrivateFile(const QString& path)
{
    const int fd = ::open(encodePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

} // namespace plat::sys
