#pragma once

#include <QByteArrayView>
#include <QString>

namespace zelta::sheets {

// A zip container as the program wrote it, read back from the disk before it
// takes its name: every entry read to its end (so that its CRC is checked),
// and every XML entry ending with the end of its root element, since a
// library that loses a failed write of its own scratch file still zips a
// sound container around a part cut short.
struct ZipReadBack {
    // Empty when every entry is whole; otherwise what is wrong, in Portuguese.
    QString problem;
    // How many times `marker` occurs in the entries whose names begin with
    // `folder`: the rows a sheet holds, compared with the rows written.
    qint64 markers = 0;

    static ZipReadBack read(const QString& path, QByteArrayView folder = {}, QByteArrayView marker = {});
};

} // namespace zelta::sheets
