#include "platform/system/WriterLock.h"

#include <QDir>

namespace plat::sys {

WriterLock::WriterLock(const QString& dataDirectory) : m_lock(std::make_unique<QLockFile>(lockFile(dataDirectory)))
{
    // Age alone never makes a lock stale: the window program stays open for
    // days. A holder that died is still recognised by its process id.
    m_lock->setStaleLockTime(0);
}

WriterLock::~WriterLock() = default;

QString WriterLock::lockFile(const QString& dataDirectory)
{
    return QDir(dataDirectory).filePath(QStringLiteral("zelta99.lock"));
}

WriterLock::Result WriterLock::tryLock()
{
    if (m_lock->isLocked())
        return Result::Taken;
    if (m_lock->tryLock(0))
        return Result::Taken;
    if (m_lock->error() != QLockFile::LockFailedError)
        return Result::Unavailable;
    QString host;
    QString app;
    if (!m_lock->getLockInfo(&m_holderPid, &host, &app))
        m_holderPid = 0;
    return Result::Held;
}

} // namespace plat::sys
