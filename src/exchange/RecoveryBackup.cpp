#include "exchange/RecoveryBackup.h"

#include "platform/db/Database.h"
#include "platform/db/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace zelta {

namespace {

const QRegularExpression& copyName()
{
    static const QRegularExpression re(QStringLiteral("^zelta99-(\\d{8}-\\d{6})(?:-(\\d+))?\\.db$"));
    return re;
}

struct Copy {
    QString stamp;
    int sequence = 0;
    QString path;
};

QList<Copy> copies(const QString& folder)
{
    QList<Copy> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("zelta99-*.db")}, QDir::Files)) {
        const QRegularExpressionMatch m = copyName().match(name);
        if (m.hasMatch())
            out.append({m.captured(1), m.captured(2).toInt(), dir.filePath(name)});
    }
    // The stamp orders copies by time; copies taken within the same second
    // carry a sequence number after it.
    std::sort(out.begin(), out.end(), [](const Copy& a, const Copy& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.sequence < b.sequence;
    });
    return out;
}

} // namespace

QString RecoveryBackup::folder(const QString& dataDirectory) { return QDir(dataDirectory).filePath(QStringLiteral("backups")); }

QString RecoveryBackup::take(const plat::db::Database& db, const QString& dataDirectory, const QDateTime& now)
{
    const QString dirPath = folder(dataDirectory);
    if (!QDir().mkpath(dirPath))
        throw plat::db::DbError(QStringLiteral("Não foi possível criar a pasta de cópias de segurança %1")
                                    .arg(QDir::toNativeSeparators(dirPath)));
    const QDir dir(dirPath);
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = dir.filePath(QStringLiteral("zelta99-%1.db").arg(stamp));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("zelta99-%1-%2.db").arg(stamp).arg(n));

    try {
        db.backupTo(path);
    } catch (const plat::db::DbError& e) {
        QFile::remove(path);
        throw plat::db::DbError(QStringLiteral("Não foi possível gravar a cópia de segurança %1: %2")
                                    .arg(QDir::toNativeSeparators(path), e.message()));
    }

    const QList<Copy> all = copies(dirPath);
    for (qsizetype i = 0; i + kKept < all.size(); ++i)
        if (all[i].path != path)   // a clock set back must not cost the copy just taken
            QFile::remove(all[i].path);
    return path;
}

QStringList RecoveryBackup::list(const QString& dataDirectory)
{
    QStringList out;
    for (const Copy& c : copies(folder(dataDirectory)))
        out << c.path;
    return out;
}

} // namespace zelta
