#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace plat::sys {

// One writer at a time on a data folder: a lock file in the folder, held by
// the window program for its lifetime and by a writing command of the command
// line for its run. A lock left by a process that no longer runs is taken
// over; a live holder's lock never goes stale with age.
class WriterLock {
public:
    enum class Result { Taken, Held, Unavailable };

    explicit WriterLock(const QString& dataDirectory);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    // Taken: this object holds the folder until it goes. Held: another live
    // process holds it (holderPid() tells which). Unavailable: the lock file
    // could not be made (a folder that is missing or read-only), so nobody
    // else can hold it either.
    Result tryLock();
    qint64 holderPid() const { return m_holderPid; }

    static QString lockFile(const QString& dataDirectory);

private:
    std::unique_ptr<QLockFile> m_lock;
    qint64 m_holderPid = 0;
};

} // namespace plat::sys
