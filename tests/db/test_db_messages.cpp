// The engine's failures as the user reads them: in Portuguese, naming the
// file, with the kind callers act on.
#include "platform/db/Database.h"
#include "platform/system/Error.h"
#include "support/InChild.h"
#include "support/Throws.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <sched.h>
#include <sys/mount.h>

using namespace plat::db;
using plat::Error;

namespace {

// Words of the engine's own English texts that must not reach the user.
bool readsInPortuguese(const QString& message)
{
    for (const char* word : {"disk", "database", "locked", "error", "unable", "attempt", "malformed", "is full", "file is not"})
        if (message.contains(QLatin1String(word), Qt::CaseInsensitive))
            return false;
    return true;
}

// The message of the error f throws; when it is of another kind, reads in
// English or does not name the file, a note in front says so (and no
// expected beginning matches).
QString failure(Error::Kind kind, const QString& file, const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        if (e.kind() != kind)
            return QStringLiteral("wrong kind: ") + e.message();
        if (!readsInPortuguese(e.message()) || !e.message().contains(QDir::toNativeSeparators(file)))
            return QStringLiteral("not Portuguese or no file: ") + e.message();
        return e.message();
    }
    return QStringLiteral("nothing thrown");
}

void createTable(Database& db, const QString& path)
{
    db.open(path, true);
    db.exec(QStringLiteral("CREATE TABLE T (X)"));
}

// Fills a new register in the folder until the disk (or the engine's page
// limit, when given) is full; true when the message says the disk is full
// and names the file.
bool fillsUp(const QString& folder, int maxPages)
{
    const QString path = QDir(folder).filePath(QStringLiteral("cheio.db"));
    Database db;
    createTable(db, path);
    if (maxPages > 0)
        db.exec(QStringLiteral("PRAGMA max_page_count=%1").arg(maxPages));
    const QString message = failure(Error::Kind::Database, path, [&] {
        for (int i = 0; i < 200; ++i)
            db.exec(QStringLiteral("INSERT INTO T VALUES (randomblob(8000))"));
    });
    const bool full = message.startsWith(QStringLiteral("O disco está cheio: não há espaço para gravar o arquivo de dados %1")
                                             .arg(QDir::toNativeSeparators(path)));
    if (!full)
        std::fprintf(stderr, "%s\n", qPrintable(message));
    return full;
}

} // namespace

class TestDbMessages : public QObject {
    Q_OBJECT

private slots:
    void fullDiskSaysSo()
    {
        // The engine's own limit on the file's size, then a real file system
        // of 192 KiB mounted in a mount namespace of a child process (so that
        // nothing outlives the test).
        QTemporaryDir dir;
        QVERIFY2(fillsUp(dir.path(), 20), "file limited by the engine");
        const int code = zelta::test::inChild([&] {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, "size=192k") != 0)
                return 77;
            return fillsUp(dir.path(), 0) ? 0 : 1;
        });
        if (code == 77)
            QSKIP("no permission to mount a small file system here");
        QCOMPARE(code, 0);
    }

    void diskFailuresByKind()
    {
        // SQLite's I/O error on a write (code 778) with the system's ENOSPC
        // is a full disk; with EIO a disk error while writing; on a read
        // (code 266) a disk error while reading.
        const QString file = QStringLiteral("/dados/zelta99.db");
        const QString full = sqliteFailureText(778, ENOSPC, file, QStringLiteral("disk I/O error"));
        QVERIFY2(full.startsWith(QStringLiteral("O disco está cheio")) && full.contains(file), qPrintable(full));
        const QString write = sqliteFailureText(778, EIO, file, QStringLiteral("disk I/O error"));
        QCOMPARE(write, QStringLiteral("Erro do disco ao gravar o arquivo de dados /dados/zelta99.db (Erro de entrada/saída)"));
        // A rarer system error gives its number, not the C library's English.
        QCOMPARE(sqliteFailureText(266, EPROTO, file),
                 QStringLiteral("Erro do disco ao ler o arquivo de dados %1 (Erro do sistema "
                                "número %2)")
                     .arg(file)
                     .arg(EPROTO));
        const QString read = sqliteFailureText(266, EIO, file, QStringLiteral("disk I/O error"));
        QVERIFY2(read.startsWith(QStringLiteral("Erro do disco ao ler o arquivo de dados /dados/zelta99.db")), qPrintable(read));
    }

    void readOnlyLockedAndUnopenableFilesAreNamed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zelta99.db"));
        {
            Database db;
            createTable(db, path);
        }
        Database readOnly;
        readOnly.openReadOnly(path);
        const QString ro = failure(Error::Kind::Database, path,
                                   [&] { readOnly.exec(QStringLiteral("INSERT INTO T VALUES (1)")); });
        QVERIFY2(
            ro.startsWith(
                QStringLiteral("O arquivo de dados %1 não pode ser gravado: a pasta ou o arquivo é somente leitura").arg(path)),
            qPrintable(ro));

        Database holder, other;
        holder.open(path, false);
        other.open(path, false);
        other.exec(QStringLiteral("PRAGMA busy_timeout=0"));
        Database::Transaction tx(holder);
        holder.exec(QStringLiteral("INSERT INTO T VALUES (1)"));
        const QString locked = failure(Error::Kind::Database, path,
                                       [&] { other.exec(QStringLiteral("INSERT INTO T VALUES (2)")); });
        QVERIFY2(locked.startsWith(QStringLiteral("O arquivo de dados %1 está em uso por outro programa").arg(path)),
                 qPrintable(locked));

        const QString missing = dir.filePath(QStringLiteral("nao/existe.db"));
        Database none;
        const QString cannot = failure(Error::Kind::Database, missing, [&] { none.openReadOnly(missing); });
        QVERIFY2(cannot.startsWith(QStringLiteral("Não foi possível abrir o arquivo de dados %1").arg(missing)),
                 qPrintable(cannot));
    }

    void fileThatIsNotADatabaseIsDamaged()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zelta99.db"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8192, 'Z'));
        }
        Database db;
        const QString message = failure(Error::Kind::Damaged, path, [&] { db.open(path, false); });
        // The file is named once, at the start.
        QVERIFY2(message.startsWith(QStringLiteral("O arquivo %1 não é um arquivo de dados").arg(path))
                     && message.count(path) == 1,
                 qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(TestDbMessages)
#include "test_db_messages.moc"
