#include "data/RegisterCopies.h"

#include "data/RowDigests.h"

#include "platform/db/Database.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Error.h"
#include "platform/system/PrivateFiles.h"
#include "platform/system/SystemError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

using plat::Error;
using plat::db::Database;

namespace zelta {

namespace {

// The word a reason is written as in a copy's name, and the words the user
// reads. The last word of a damaged copy's name is always "danificado"; a
// copy kept before a repair names the repair before it.
struct ReasonToken {
    CopyReason reason;
    const char* token;
    const char* text;
};
constexpr ReasonToken kReasonTokens[] = {
    {CopyReason::User, "usuario", "pelo usuário"},
    {CopyReason::BeforeRecovery, "recuperacao", "antes de recuperar"},
    {CopyReason::BeforeRestore, "restauracao", "antes de restaurar"},
    {CopyReason::BeforeRepair, "reparo", "antes de reparar"},
    {CopyReason::BeforeUpgrade, "atualizacao", "antes de atualizar"},
    {CopyReason::Damaged, "danificado", "arquivo danificado"},
    {CopyReason::BeforeImport, "importacao", "antes de importar planilha"},
    {CopyReason::BeforeAcceptance, "aceitacao", "antes de aceitar alterações"},
};
const QString kDamagedToken = QStringLiteral("danificado");

QString reasonToken(CopyReason reason)
{
    for (const ReasonToken& t : kReasonTokens)
        if (t.reason == reason)
            return QString::fromLatin1(t.token);
    return {};
}

// The reason a copy's name gives: the first of the words after its time.
CopyReason reasonOf(const QString& words)
{
    const QString token = words.split(u'-', Qt::SkipEmptyParts).value(0);
    for (const ReasonToken& t : kReasonTokens)
        if (token == QLatin1StringView(t.token))
            return t.reason;
    return CopyReason::Unknown;
}

// zelta99-<stamp>[-<sequence>][-<word>...].db
const QRegularExpression& copyName()
{
    static const QRegularExpression re(QStringLiteral("^zelta99-(\\d{8}-\\d{6})(?:-(\\d+))?((?:-[a-z]+)*)\\.db$"));
    return re;
}

// Hidden temporary copies: .zelta99-<stamp>-<process>-<number>.tmp, and the
// journal SQLite may leave beside one.
const QRegularExpression& temporaryName()
{
    static const QRegularExpression re(QStringLiteral("^\\.zelta99-\\d{8}-\\d{6}-(\\d+)(?:-\\d+)?\\.tmp(?:-journal)?$"));
    return re;
}

struct Copy {
    QString stamp;
    int sequence = 0;
    QString path;
    CopyReason reason = CopyReason::Unknown;
};

QList<Copy> copies(const QString& folder, bool damaged)
{
    QList<Copy> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("zelta99-*.db")}, QDir::Files)) {
        const QRegularExpressionMatch m = copyName().match(name);
        if (!m.hasMatch())
            continue;
        const QStringList words = m.captured(3).split(u'-', Qt::SkipEmptyParts);
        if ((!words.isEmpty() && words.last() == kDamagedToken) == damaged)
            out.append({m.captured(1), m.captured(2).toInt(), dir.filePath(name), reasonOf(m.captured(3))});
    }
    // The stamp orders copies by time; copies taken within the same second
    // carry a sequence number after it.
    std::sort(out.begin(), out.end(),
              [](const Copy& a, const Copy& b) { return a.stamp != b.stamp ? a.stamp < b.stamp : a.sequence < b.sequence; });
    return out;
}

// Scratch files and folders in the data folder: .zelta99-<work>-<process>-XXXXXX,
// and the journal SQLite may leave beside one.
const QRegularExpression& scratchName()
{
    static const QRegularExpression re(QStringLiteral("^\\.zelta99-(?:reparo|recuperacao|exame)-(\\d+)-"));
    return re;
}

// Whether the process that named a scratch or temporary file still runs.
bool processRuns(qint64 pid) { return ::kill(pid_t(pid), 0) == 0 || errno == EPERM; }

// Leftovers of copies that a process ended before finishing. A temporary file
// of a process still running (this one included) is a copy in progress and
// stays: this process removes its own when a copy fails.
void removeLeftovers(const QDir& dir)
{
    for (const QString& name : dir.entryList({QStringLiteral(".zelta99-*")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = temporaryName().match(name);
        if (m.hasMatch() && !processRuns(m.captured(1).toLongLong()))
            QFile::remove(dir.filePath(name));
    }
}

RegisterCopies::Sync& syncFunction()
{
    static RegisterCopies::Sync sync = [](int fd) { return ::fsync(fd); };
    return sync;
}

// Flushes a file or a folder to the disk. A file system that cannot sync a
// folder at all says so with EINVAL; that is no failure of the copy.
void syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        throw Error::output(
            QStringLiteral("Erro ao gravar %1: %2").arg(QDir::toNativeSeparators(path), plat::sys::systemErrorText(errno)));
    const int rc = syncFunction()(fd);
    const int error = errno;
    ::close(fd);
    const bool folder = (flags & O_DIRECTORY) != 0;
    if (rc != 0 && !(folder && (error == EINVAL || error == EOPNOTSUPP)))
        throw Error::output(
            QStringLiteral("Erro ao gravar %1: %2").arg(QDir::toNativeSeparators(path), plat::sys::systemErrorText(error)));
}

// Two copies hold the same content when their bytes agree, apart from the
// header fields every write changes: the change counter (24-27) and the
// version stamp written with it (92-99). Any other header byte (the schema
// cookie, the user version, ...) is content.
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

// What the full check said of each copy, for the file as it was then (its
// size and time): a copy does not change under its final name.
struct Checked {
    qint64 size;
    QDateTime modified;
    bool sound;
    bool rowsAgree = true; // false: the file is whole, but rows disagree with their digests
};

QHash<QString, Checked>& checkedCopies()
{
    static QHash<QString, Checked> checked;
    return checked;
}

void rememberCheck(const QFileInfo& info, bool whole, bool rowsAgree)
{
    checkedCopies().insert(info.absoluteFilePath(), {info.size(), info.lastModified(), whole && rowsAgree, rowsAgree});
}

// Whether a copy passes the full check now: the whole file passes SQLite's
// check and every row agrees with its digest.
Checked checkNow(const QFileInfo& info)
{
    const auto it = checkedCopies().constFind(info.absoluteFilePath());
    if (it != checkedCopies().cend() && it->size == info.size() && it->modified == info.lastModified())
        return *it;
    const bool whole = Database::checkFile(info.absoluteFilePath(), false, true).isEmpty();
    rememberCheck(info, whole, !whole || fileDigestsAgree(info.absoluteFilePath()));
    return checkedCopies().value(info.absoluteFilePath());
}

QDir makeFolder(const QString& dataDirectory)
{
    const QString dirPath = RegisterCopies::folder(dataDirectory);
    if (!plat::sys::makePrivatePath(dirPath))
        throw Error::output(QStringLiteral("Não foi possível criar a pasta de cópias de segurança %1").arg(shown(dirPath)));
    QDir dir(dirPath);
    removeLeftovers(dir);
    return dir;
}

// The name of a new copy: copies taken within the same second, whatever
// their reason, are told apart by a sequence number after the time.
QString freeName(const QDir& dir, const QString& stamp, const QString& suffix)
{
    int sequence = 0;
    for (const QString& name : dir.entryList({QStringLiteral("zelta99-%1*.db").arg(stamp)}, QDir::Files)) {
        const QRegularExpressionMatch m = copyName().match(name);
        if (m.hasMatch() && m.captured(1) == stamp)
            sequence = std::max(sequence, std::max(1, m.captured(2).toInt()));
    }
    if (sequence == 0)
        return dir.filePath(QStringLiteral("zelta99-%1%2.db").arg(stamp, suffix));
    return dir.filePath(QStringLiteral("zelta99-%1-%2%3.db").arg(stamp).arg(sequence + 1).arg(suffix));
}

// Writes the copy under a temporary name, flushed to the disk; fully checked
// when asked (rows whose digests disagree refuse it, unless the copy is kept
// to show them: it is then listed as not sound); then renamed to its final
// name, and the rename made durable.
void writeCopy(const Database& db, const QDir& dir, const QString& stamp, const QString& finalPath, bool check,
               const QString& sameAs = QString(), bool* duplicate = nullptr, bool keepDisagreeing = false)
{
    static int sequence = 0;
    const QString temp = dir.filePath(QStringLiteral(".zelta99-%1-%2-%3.tmp").arg(stamp).arg(::getpid()).arg(++sequence));
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
        const QStringList problems = Database::checkFile(temp, false, true);
        if (!problems.isEmpty())
            fail(QStringLiteral("a cópia não passou na verificação (%1)").arg(problems.first()));
    }
    const bool agree = !check || fileDigestsAgree(temp);
    if (!agree && !keepDisagreeing)
        fail(QStringLiteral("registros alterados fora do programa"));
    if (duplicate && !sameAs.isEmpty() && sameContent(temp, sameAs)) {
        QFile::remove(temp);
        *duplicate = true;
        return;
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(finalPath).constData()) != 0)
        fail(plat::sys::systemErrorText(errno));
    syncPath(dir.absolutePath(), O_RDONLY | O_DIRECTORY);
    // The copy just passed the full check: listing it need not check it again.
    if (check)
        rememberCheck(QFileInfo(finalPath), true, agree);
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

// The newest copies are kept. Those taken before accepting outside changes
// hold the data as it was found, with digests that disagree, and are never
// offered for restore: they are counted apart, so that accepting again and
// again cannot push out the copies a restore can use.
void removeOldest(const QList<Copy>& all, const QString& keep)
{
    for (const bool acceptance : {false, true}) {
        QList<Copy> group;
        for (const Copy& c : all)
            if ((c.reason == CopyReason::BeforeAcceptance) == acceptance)
                group << c;
        for (qsizetype i = 0; i + RegisterCopies::kKept < group.size(); ++i)
            if (group[i].path != keep) { // a clock set back must not cost the copy just taken
                QFile::remove(group[i].path);
                QFile::remove(group[i].path + QStringLiteral("-journal"));
            }
    }
}

} // namespace

QString copyReasonText(CopyReason reason)
{
    for (const ReasonToken& t : kReasonTokens)
        if (t.reason == reason)
            return QString::fromUtf8(t.text);
    return QStringLiteral("motivo desconhecido");
}

RegisterCopies::Sync RegisterCopies::setSync(Sync sync) { return std::exchange(syncFunction(), std::move(sync)); }

QString RegisterCopies::folder(const QString& dataDirectory) { return QDir(dataDirectory).filePath(QStringLiteral("backups")); }

RegisterCopies::Taken RegisterCopies::take(const Database& db, const QString& dataDirectory, const QDateTime& now, bool prune,
                                           CopyReason reason)
{
    db.ensureOpen(); // opening may repair, and keep a copy of its own first
    const QDir dir = makeFolder(dataDirectory);
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QList<Copy> before = copies(dir.path(), false);
    const QString newest = before.isEmpty() ? QString() : before.last().path;

    Taken taken;
    const QString token = reasonToken(reason);
    taken.path = freeName(dir, stamp, token.isEmpty() ? QString() : u'-' + token);
    bool duplicate = false;
    writeCopy(db, dir, stamp, taken.path, true, newest, &duplicate, reason == CopyReason::BeforeAcceptance);
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

QString RegisterCopies::keepDamaged(const Database& db, const QString& dataDirectory, const QDateTime& now, CopyReason reason)
{
    db.ensureOpen();
    const QDir dir = makeFolder(dataDirectory);
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString suffix = u'-' + kDamagedToken;
    if (reason != CopyReason::Damaged && !reasonToken(reason).isEmpty())
        suffix.prepend(u'-' + reasonToken(reason));
    const QString path = freeName(dir, stamp, suffix);
    writeCopy(db, dir, stamp, path, false);
    removeOldest(copies(dir.path(), true), path);
    return path;
}

QString RegisterCopies::keepDamagedFile(const QString& filePath, const QString& dataDirectory, const QDateTime& now)
{
    const QDir dir = makeFolder(dataDirectory);
    const QString path = freeName(dir, now.toString(QStringLiteral("yyyyMMdd-HHmmss")), u'-' + kDamagedToken);
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

bool RegisterCopies::anyKept(const QString& dataDirectory)
{
    const QString dir = folder(dataDirectory);
    return !copies(dir, false).isEmpty() || !copies(dir, true).isEmpty();
}

RegisterCopy RegisterCopies::describeFile(const QString& path)
{
    RegisterCopy c;
    c.path = path;
    const QFileInfo info(path);
    c.size = info.size();
    const QRegularExpressionMatch m = copyName().match(info.fileName());
    if (m.hasMatch()) {
        c.taken = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
        c.reason = reasonOf(m.captured(3));
    }
    const Checked checked = checkNow(info);
    c.sound = checked.sound;
    c.rowsDisagree = !checked.rowsAgree;
    try {
        Database db;
        db.openFileAlone(path);
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
