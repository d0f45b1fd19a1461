#include "data/RegisterCopies.h"

#include "platform/db/Database.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Error.h"
#include "platform/system/PrivateFiles.h"
#include "platform/system/SystemError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using plat::Error;
using plat::db::Database;

namespace zelta {

namespace {

const QString kDamaged = QStringLiteral("-danificado");

const QRegularExpression& copyName()
{
    static const QRegularExpression re(QStringLiteral("^zelta99-(\\d{8}-\\d{6})(?:-(\\d+))?(-danificado)?\\.db$"));
    return re;
}

// Hidden temporary copies: .zelta99-<stamp>-<process>.tmp, and the journal
// SQLite may leave beside one.
const QRegularExpression& temporaryName()
{
    static const QRegularExpression re(QStringLiteral("^\\.zelta99-\\d{8}-\\d{6}-(\\d+)\\.tmp(?:-journal)?$"));
    return re;
}

struct Copy {
    QString stamp;
    int sequence = 0;
    QString path;
};

QList<Copy> copies(const QString& folder, bool damaged)
{
    QList<Copy> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("zelta99-*.db")}, QDir::Files)) {
        const QRegularExpressionMatch m = copyName().match(name);
        if (m.hasMatch() && m.hasCaptured(3) == damaged)
            out.append({m.captured(1), m.captured(2).toInt(), dir.filePath(name)});
    }
    // The stamp orders copies by time; copies taken within the same second
    // carry a sequence number after it.
    std::sort(out.begin(), out.end(), [](const Copy& a, const Copy& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.sequence < b.sequence;
    });
    return out;
}

// Scratch files and folders in the data folder: .zelta99-<work>-<process>-XXXXXX,
// and the journal SQLite may leave beside one.
const QRegularExpression& scratchName()
{
    static const QRegularExpression re(QStringLiteral("^\\.zelta99-(?:reparo|recuperacao)-(\\d+)-"));
    return re;
}

// Whether the process that named a scratch or temporary file still runs.
bool processRuns(qint64 pid) { return ::kill(pid_t(pid), 0) == 0 || errno == EPERM; }

// Leftovers of copies that a process ended before finishing. A temporary file
// of a process still running is its copy in progress and stays.
void removeLeftovers(const QDir& dir)
{
    for (const QString& name : dir.entryList({QStringLiteral(".zelta99-*")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = temporaryName().match(name);
        if (!m.hasMatch())
            continue;
        const qint64 pid = m.captured(1).toLongLong();
        if (pid == ::getpid() || !processRuns(pid))
            QFile::remove(dir.filePath(name));
    }
}

void syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        return;
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0)
        throw Error::output(
            QStringLiteral("Erro ao gravar %1: %2").arg(QDir::toNativeSeparators(path), plat::sys::systemErrorText(error)));
}

// Two copies hold the same content when their bytes agree, apart from the
// header's change counter and the version stamp that goes with it.
bool sameContent(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    for (qint64 offset = 0;; offset += kChunk) {
        QByteArray x = fa.read(kChunk);
        QByteArray y = fb.read(kChunk);
        if (x.size() != y.size())
            return false;
        if (x.isEmpty())
            return true;
        if (offset == 0 && x.size() >= 100) {
            for (int i : {24, 25, 26, 27, 92, 93, 94, 95, 96, 97, 98, 99})
                x[i] = y[i] = 0;
        }
        if (x != y)
            return false;
    }
}

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

QDir makeFolder(const QString& dataDirectory)
{
    const QString dirPath = RegisterCopies::folder(dataDirectory);
    if (!plat::sys::makePrivatePath(dirPath))
        throw Error::output(QStringLiteral("Não foi possível criar a pasta de cópias de segurança %1").arg(shown(dirPath)));
    QDir dir(dirPath);
    removeLeftovers(dir);
    return dir;
}

QString freeName(const QDir& dir, const QString& stamp, const QString& suffix)
{
    QString path = dir.filePath(QStringLiteral("zelta99-%1%2.db").arg(stamp, suffix));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("zelta99-%1-%2%3.db").arg(stamp).arg(n).arg(suffix));
    return path;
}

// Writes the copy under a temporary name, flushed to the disk; checked when
// asked; then renamed to its final name, and the rename made durable.
void writeCopy(const Database& db, const QDir& dir, const QString& stamp, const QString& finalPath, bool check,
               const QString& sameAs = QString(), bool* duplicate = nullptr)
{
    const QString temp = dir.filePath(QStringLiteral(".zelta99-%1-%2.tmp").arg(stamp).arg(::getpid()));
    auto fail = [&](const QString& why) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        throw Error::output(QStringLiteral("Não foi possível gravar a cópia de segurança %1: %2").arg(shown(finalPath), why));
    };
    try {
        db.backupTo(temp);
        syncPath(temp, O_RDONLY);
    } catch (const Error& e) {
        fail(e.message());
    }
    if (check) {
        const QStringList problems = Database::checkFile(temp, true);
        if (!problems.isEmpty())
            fail(QStringLiteral("a cópia não passou na verificação (%1)").arg(problems.first()));
    }
    if (duplicate && !sameAs.isEmpty() && sameContent(temp, sameAs)) {
        QFile::remove(temp);
        *duplicate = true;
        return;
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(finalPath).constData()) != 0)
        fail(plat::sys::systemErrorText(errno));
    syncPath(dir.absolutePath(), O_RDONLY | O_DIRECTORY);
}

// A file's bytes under another name, whole or not at all.
void copyWhole(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw Error::output(QStringLiteral("Não foi possível ler %1: %2").arg(shown(from), plat::sys::systemErrorText(errno)));
    plat::sys::AtomicFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        throw Error::output(target.errorString());
    for (QByteArray chunk; !(chunk = source.read(1 << 20)).isEmpty();)
        target.write(chunk);
    if (source.error() != QFileDevice::NoError)
        throw Error::output(QStringLiteral("Não foi possível ler %1: %2").arg(shown(from), plat::sys::systemErrorText(errno)));
    if (!target.commit())
        throw Error::output(target.errorString());
}

void removeOldest(const QList<Copy>& all, const QString& keep)
{
    for (qsizetype i = 0; i + RegisterCopies::kKept < all.size(); ++i)
        if (all[i].path != keep) {   // a clock set back must not cost the copy just taken
            QFile::remove(all[i].path);
            QFile::remove(all[i].path + QStringLiteral("-journal"));
        }
}

} // namespace

QString RegisterCopies::folder(const QString& dataDirectory) { return QDir(dataDirectory).filePath(QStringLiteral("backups")); }

RegisterCopies::Taken RegisterCopies::take(const Database& db, const QString& dataDirectory, const QDateTime& now,
                                           bool prune)
{
    const QDir dir = makeFolder(dataDirectory);
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QList<Copy> before = copies(dir.path(), false);
    const QString newest = before.isEmpty() ? QString() : before.last().path;

    Taken taken;
    taken.path = freeName(dir, stamp, QString());
    bool duplicate = false;
    writeCopy(db, dir, stamp, taken.path, true, newest, &duplicate);
    if (duplicate) {
        taken.path = newest;
        return taken;
    }
    taken.created = true;
    if (prune)
        keepNewest(dataDirectory, taken);
    return taken;
}

void RegisterCopies::keepNewest(const QString& dataDirectory, const Taken& taken)
{
    removeOldest(copies(folder(dataDirectory), false), taken.path);
}

QString RegisterCopies::keepDamaged(const Database& db, const QString& dataDirectory, const QDateTime& now)
{
    const QDir dir = makeFolder(dataDirectory);
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString path = freeName(dir, stamp, kDamaged);
    writeCopy(db, dir, stamp, path, false);
    removeOldest(copies(dir.path(), true), path);
    return path;
}

QString RegisterCopies::keepDamagedFile(const QString& filePath, const QString& dataDirectory, const QDateTime& now)
{
    const QDir dir = makeFolder(dataDirectory);
    const QString path = freeName(dir, now.toString(QStringLiteral("yyyyMMdd-HHmmss")), kDamaged);
    // The journal goes first: the file under its final name is the sign
    // that the whole copy is there.
    for (const QString& suffix : {QStringLiteral("-journal"), QString()})
        if (QFileInfo::exists(filePath + suffix))
            copyWhole(filePath + suffix, path + suffix);
    removeOldest(copies(dir.path(), true), path);
    return path;
}

QString RegisterCopies::scratchTemplate(const QString& dataDirectory, const QString& work)
{
    return QDir(dataDirectory).filePath(QStringLiteral(".zelta99-%1-%2-XXXXXX").arg(work).arg(::getpid()));
}

void RegisterCopies::removeScratchLeftovers(const QString& dataDirectory)
{
    QDir dir(dataDirectory);
    for (const QString& name : dir.entryList({QStringLiteral(".zelta99-*")}, QDir::AllEntries | QDir::Hidden)) {
        const QRegularExpressionMatch m = scratchName().match(name);
        if (!m.hasMatch())
            continue;
        const qint64 pid = m.captured(1).toLongLong();
        if (pid == ::getpid() || processRuns(pid))
            continue;
        const QString path = dir.filePath(name);
        if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
}

void RegisterCopies::discard(const Taken& taken)
{
    if (taken.created)
        QFile::remove(taken.path);
}

QStringList RegisterCopies::list(const QString& dataDirectory)
{
    QStringList out;
    for (const Copy& c : copies(folder(dataDirectory), false))
        out << c.path;
    return out;
}

RegisterCopy RegisterCopies::describeFile(const QString& path)
{
    RegisterCopy c;
    c.path = path;
    const QFileInfo info(path);
    c.size = info.size();
    const QRegularExpressionMatch m = copyName().match(info.fileName());
    if (m.hasMatch())
        c.taken = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
    try {
        Database db;
        db.openReadOnly(path);
        plat::db::Statement st = db.prepare(QStringLiteral("SELECT Sigla, Nome FROM ZELTAINT ORDER BY rowid LIMIT 1"));
        if (st.step()) {
            c.sigla = st.text(0);
            c.nome = st.text(1);
        }
        c.holders = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL")).toInt();
        c.advisors = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI")).toInt();
    } catch (const Error&) {
        c.holders = c.advisors = -1;
    }
    return c;
}

QList<RegisterCopy> RegisterCopies::describe(const QString& dataDirectory)
{
    QList<RegisterCopy> out;
    const QStringList paths = list(dataDirectory);
    for (auto it = paths.crbegin(); it != paths.crend(); ++it)
        out << describeFile(*it);
    return out;
}

QString RegisterCopies::resolve(const QString& dataDirectory, const QString& nameOrNumber)
{
    bool isNumber = false;
    const int n = nameOrNumber.toInt(&isNumber);
    if (isNumber) {
        const QStringList paths = list(dataDirectory);
        return n >= 1 && n <= paths.size() ? paths.at(paths.size() - n) : QString();
    }
    const QFileInfo info(nameOrNumber);
    if (info.isFile())
        return info.absoluteFilePath();
    const QFileInfo inFolder(QDir(folder(dataDirectory)).filePath(nameOrNumber));
    return inFolder.isFile() ? inFolder.absoluteFilePath() : QString();
}

} // namespace zelta
