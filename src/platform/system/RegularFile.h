#pragma once

#include <QByteArray>
#include <QString>

namespace plat::sys {

// The whole content of a file that the user named, read only when it is a
// regular file: a FIFO would block the reader forever and a device such as
// /dev/zero never ends. At most `limit` bytes are read whatever size the
// system reports, so a file that grows, or one that reports no size (as those
// under /proc do), cannot exhaust memory.
struct FileContents {
    enum class Problem {
        None,
        Missing,    // no such file
        Directory,  // a folder
        NotRegular, // a FIFO, a device or a socket
        TooLarge,   // more than the limit
        CannotOpen, // systemText says why
        CannotRead, // systemText says why
    };
    Problem problem = Problem::None;
    QByteArray bytes;
    QString systemText;

    bool ok() const { return problem == Problem::None; }
};

FileContents readRegularFile(const QString& path, qint64 limit);

} // namespace plat::sys
