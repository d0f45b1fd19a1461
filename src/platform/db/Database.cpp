#include "platform/db/Database.h"

#include "platform/db/RowDigest.h"

#include "platform/system/Error.h"
#include "platform/system/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <sqlite3.h>

namespace plat::db {

namespace {

// Commits of every connection of this program, counted by a hook on each, so
// that rows one connection read ahead see at once what another one wrote.
std::atomic<quint64> g_commits{0};

int countCommit(void*)
{
    g_commits.fetch_add(1, std::memory_order_relaxed);
    return 0; // the commit goes ahead
}

sqlite3* openHandle(const QString& filePath, int flags)
{
    static const bool configured = [] {
        // One thread uses the engine; memory statistics would only add a lock
        // to every allocation.
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
        return sqlite3_initialize() == SQLITE_OK;
    }();
    Q_UNUSED(configured);
    // A file SQLite creates is private, as its journal and shared memory,
    // which take its mode.
    if (flags & SQLITE_OPEN_CREATE)
        plat::sys::createPrivateFile(filePath);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(filePath).constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const int systemError = db ? sqlite3_system_errno(db) : 0;
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw Error::database(sqliteFailureText(rc, systemError, filePath, msg));
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 3000);
    sqlite3_commit_hook(db, countCommit, nullptr);
    // Every connection can compute row digests: the program's own keep them
    // current, and any of them can check them.
    registerRowDigest(db);
    return db;
}

// A read-only handle on the bytes of the file alone (SQLite's immutable
// view): a journal beside it is not played back, a write-ahead log is neither
// read nor checkpointed, and nothing is locked or created beside it.
sqlite3* openAlone(const QString& filePath)
{
    const QString uri = QStringLiteral("file:%1?immutable=1")
                            .arg(QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(filePath).absoluteFilePath(), "/")));
    if (!QFileInfo(filePath).isFile())
        throw Error::database(QStringLiteral("O arquivo %1 não foi encontrado").arg(QDir::toNativeSeparators(filePath)));
    try {
        return openHandle(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    } catch (const Error& e) {
        throw Error(e.kind(), QString(e.message()).replace(uri, QDir::toNativeSeparators(filePath)));
    }
}

// The engine's last failure on a connection, in the user's words, naming the
// connection's file.
QString failureOf(sqlite3* db)
{
    return sqliteFailureText(sqlite3_extended_errcode(db), sqlite3_system_errno(db),
                             QString::fromUtf8(sqlite3_db_filename(db, "main")), QString::fromUtf8(sqlite3_errmsg(db)));
}

// Runs SQLite's check; a check that cannot run at all is one problem.
QStringList runCheck(sqlite3* db, bool quick)
{
    QStringList problems;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, quick ? "PRAGMA quick_check(100)" : "PRAGMA integrity_check(100)", -1, &st, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(st);
        if (rc != SQLITE_ROW)
            break;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        if (text && qstrcmp(text, "ok") != 0)
            problems << QString::fromUtf8(text);
    }
    if (rc != SQLITE_DONE)
        problems << failureOf(db);
    sqlite3_finalize(st);
    return problems;
}

// Writes every row of each table with generated columns again, each column
// set to itself: the engine then computes the stored generated columns (the
// sort columns) from their sources, which a REINDEX does not.
void rewriteGenerated(sqlite3* db)
{
    QStringList tables;
    Statement list(db, QStringLiteral(
                           "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    while (list.step())
        tables << list.text(0);
    for (const QString& table : tables) {
        Statement info(db, QStringLiteral("SELECT name, hidden, pk FROM pragma_table_xinfo(?)"));
        info.bind(1, table);
        QStringList sets;
        bool generated = false;
        while (info.step()) {
            if (info.int64(1) == 2 || info.int64(1) == 3)
                generated = true;
            else if (info.int64(2) == 0)
                sets << QStringLiteral("\"%1\"=\"%1\"").arg(info.text(0));
        }
        if (generated && !sets.isEmpty())
            Statement(db, QStringLiteral("UPDATE \"%1\" SET %2").arg(table, sets.join(u','))).exec();
    }
}

} // namespace

Database::Database() = default;

Database::~Database() { close(); }

bool Database::open(const QString& filePath, bool create, const std::function<void(Database&)>& accept)
{
    close();
    const QFileInfo info(filePath);
    const bool exists = info.exists();
    if (!exists && !create)
        throw Error::database(QStringLiteral("O arquivo de dados %1 não foi encontrado").arg(QDir::toNativeSeparators(filePath)));
    if (exists && !info.isFile())
        throw Error::database(QStringLiteral("%1 não é um arquivo de dados").arg(QDir::toNativeSeparators(filePath)));
    const QFileInfo dirInfo(info.absolutePath());
    if (!dirInfo.isDir())
        throw Error::database(
            QStringLiteral("A pasta de dados %1 não existe").arg(QDir::toNativeSeparators(info.absolutePath())));
    // The journal lives beside the file, so a folder without write permission
    // cannot hold working data even when the file itself is readable.
    if (!dirInfo.isWritable())
        throw Error::database(QStringLiteral("A pasta de dados %1 não permite gravação; verifique as permissões")
                                  .arg(QDir::toNativeSeparators(info.absolutePath())));
    if (exists && !info.isWritable())
        throw Error::database(QStringLiteral("O arquivo de dados %1 é somente leitura; verifique as permissões")
                                  .arg(QDir::toNativeSeparators(filePath)));

    m_db = openHandle(filePath, SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0));
    m_path = info.absoluteFilePath();
    const auto failOpen = [this, &filePath](const Error& e) {
        close();
        m_path.clear();
        // A file SQLite cannot read as a database stays damaged to the caller.
        // The engine's failures name the file already.
        throw Error(e.kind() == Error::Kind::Damaged ? Error::Kind::Damaged : Error::Kind::Database, e.message(), e.details());
    };
    try {
        // Reading the schema is the first access to the file: a file that is not
        // a database, or is damaged, fails here before anything is written.
        scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        // Large registers are read in index order, which visits table pages out
        // of order: map the file and keep a generous page cache. Neither
        // setting writes to the file.
        exec(QStringLiteral("PRAGMA mmap_size=536870912"));
        exec(QStringLiteral("PRAGMA cache_size=-65536"));
    } catch (const Error& e) {
        failOpen(e);
    }
    if (accept) {
        try {
            accept(*this);
        } catch (...) {
            close();
            m_path.clear();
            throw;
        }
    }
    try {
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
    } catch (const Error& e) {
        failOpen(e);
    }
    return !exists;
}

void Database::openReadOnly(const QString& filePath)
{
    close();
    m_db = openHandle(filePath, SQLITE_OPEN_READONLY);
    m_path = QFileInfo(filePath).absoluteFilePath();
}

void Database::openFileAlone(const QString& filePath)
{
    close();
    m_db = openAlone(filePath);
    m_path = QFileInfo(filePath).absoluteFilePath();
}

void Database::close()
{
    m_dataVersion.reset();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_depth = 0;
}

qint64 Database::dataVersion() const
{
    if (!m_dataVersion)
        m_dataVersion = std::make_unique<Statement>(handle(), QStringLiteral("PRAGMA data_version"));
    m_dataVersion->reset();
    const qint64 version = m_dataVersion->step() ? m_dataVersion->int64(0) : 0;
    m_dataVersion->reset();
    return version;
}

Database::ReadStamp Database::readStamp() const
{
    sqlite3* db = handle();
    ReadStamp stamp;
    stamp.changes = sqlite3_total_changes64(db);
    stamp.commits = g_commits.load(std::memory_order_relaxed);
    sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &stamp.fileVersion);
    return stamp;
}

sqlite3* Database::handle() const
{
    ensureOpen();
    return m_db;
}

void Database::ensureOpen() const
{
    if (!m_db && m_opener && !m_opening) {
        auto* self = const_cast<Database*>(this);
        self->m_opening = true;
        try {
            m_opener(*self);
        } catch (...) {
            self->m_opening = false;
            throw;
        }
        self->m_opening = false;
    }
    if (!m_db)
        throw Error::database(QStringLiteral("O banco de dados não está aberto"));
}

void Database::addTable(const TableDef& def)
{
    for (TableDef& t : m_tables)
        if (t.name.compare(def.name, Qt::CaseInsensitive) == 0) {
            t = def;
            return;
        }
    m_tables.append(def);
}

const TableDef& Database::table(const QString& name) const
{
    for (const TableDef& t : m_tables)
        if (t.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return t;
    throw Error::database(QStringLiteral("Tabela não encontrada: %1").arg(name));
}

bool Database::hasTable(const QString& name) const
{
    for (const TableDef& t : m_tables)
        if (t.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

Statement Database::prepare(const QString& sql) const { return Statement(handle(), sql); }

void Database::exec(const QString& sql, const QVariantList& params) const
{
    Statement st = prepare(sql);
    st.bindAll(params);
    st.exec();
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) const
{
    Statement st = prepare(sql);
    st.bindAll(params);
    return st.step() ? st.value(0) : QVariant();
}

qint64 Database::lastInsertRowId() const { return sqlite3_last_insert_rowid(handle()); }

qint64 Database::totalChanges() const { return sqlite3_total_changes64(handle()); }

int Database::userVersion() const { return scalar(QStringLiteral("PRAGMA user_version")).toInt(); }

void Database::setUserVersion(int version) { exec(QStringLiteral("PRAGMA user_version=%1").arg(version)); }

void Database::beforeWrite()
{
    if (!m_writeGate || m_inWriteGate)
        return;
    m_inWriteGate = true;
    const auto leave = qScopeGuard([this] { m_inWriteGate = false; });
    m_writeGate();
}

void Database::emptyTable(const QString& name)
{
    beforeWrite();
    const TableDef& def = table(name);
    for (auto it = m_openCursors.cbegin(); it != m_openCursors.cend(); ++it)
        if (it.value().compare(def.name, Qt::CaseInsensitive) == 0)
            throw Error::database(QStringLiteral("A tabela %1 está em uso").arg(def.name));
    exec(QStringLiteral("DELETE FROM \"%1\"").arg(def.name));
}

QStringList Database::dropIndexes(const QString& table)
{
    beforeWrite();
    const TableDef& def = this->table(table);
    QStringList names, create;
    {
        // Indexes SQLite makes itself (sql NULL) belong to constraints and stay.
        Statement st = prepare(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type='index' AND sql IS NOT NULL "
                                              "AND tbl_name=? COLLATE NOCASE ORDER BY rowid"));
        st.bindAll({def.name});
        while (st.step()) {
            names << st.value(0).toString();
            create << st.value(1).toString();
        }
    }
    for (const QString& name : std::as_const(names))
        exec(QStringLiteral("DROP INDEX \"%1\"").arg(QString(name).replace(u'"', QStringLiteral("\"\""))));
    return create;
}

void Database::backupTo(const QString& targetPath) const
{
    // The source is opened (and, through the opener, checked or repaired)
    // before the target exists: that work may write copies of its own.
    sqlite3* source = handle();
    sqlite3* target = nullptr;
    plat::sys::createPrivateFile(targetPath);
    int rc = sqlite3_open_v2(QFile::encodeName(targetPath).constData(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    // Failures name the copy being written, in the user's words.
    const auto fail = [&](int code) {
        const QString text = sqliteFailureText(code, target ? sqlite3_system_errno(target) : 0, targetPath,
                                               target ? QString::fromUtf8(sqlite3_errmsg(target)) : QString());
        sqlite3_close(target);
        throw Error::database(text);
    };
    if (rc != SQLITE_OK)
        fail(rc);
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup)
        fail(sqlite3_extended_errcode(target));
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        fail(rc);
    // The copy is a single self-contained file.
    rc = sqlite3_exec(target, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(sqlite3_extended_errcode(target));
    sqlite3_close(target);
}

void Database::restoreFrom(const QString& sourcePath)
{
    sqlite3* target = handle();
    sqlite3* source = openHandle(sourcePath, SQLITE_OPEN_READONLY);
    int rc = SQLITE_OK;
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup) {
        sqlite3_close(source);
        throwSqlite(target, sqlite3_errcode(target));
    }
    // The copy takes the write lock of the target; a busy target is retried
    // for as long as the busy timeout would wait.
    for (int waited = 0;; waited += 50) {
        rc = sqlite3_backup_step(backup, -1);
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || waited >= 3000)
            break;
        sqlite3_sleep(50);
    }
    sqlite3_backup_finish(backup);
    sqlite3_close(source);
    if (rc != SQLITE_DONE)
        throwSqlite(target, rc);
}

QStringList Database::checkIntegrity(bool quick) const { return runCheck(handle(), quick); }

QStringList Database::checkFile(const QString& filePath, bool quick, bool fileAlone)
{
    sqlite3* db = nullptr;
    try {
        db = fileAlone ? openAlone(filePath) : openHandle(filePath, SQLITE_OPEN_READONLY);
    } catch (const Error& e) {
        return {e.message()};
    }
    // The full check compares every index with its table: with SQLite's
    // small default cache it reads the same pages again and again.
    sqlite3_exec(db, "PRAGMA mmap_size=536870912; PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
    const QStringList problems = runCheck(db, quick);
    sqlite3_close(db);
    return problems;
}

QStringList Database::rebuildIndexes(const QString& filePath, const QList<CellChange>& changes)
{
    sqlite3* db = nullptr;
    try {
        db = openHandle(filePath, SQLITE_OPEN_READWRITE);
    } catch (const Error& e) {
        return {e.message()};
    }
    QStringList problems;
    try {
        Statement(db, QStringLiteral("BEGIN IMMEDIATE")).exec();
        Statement(db, QStringLiteral("REINDEX")).exec();
        // The indexes now follow the tables, so the cells written next move
        // their index entries with them.
        for (const CellChange& c : changes) {
            Statement st(db, QStringLiteral("UPDATE \"%1\" SET \"%2\"=? WHERE rowid=?").arg(c.table, c.column));
            st.bindAll({c.value, c.rowid});
            st.exec();
        }
        rewriteGenerated(db);
        Statement(db, QStringLiteral("COMMIT")).exec();
    } catch (const Error& e) {
        problems << e.message();
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (problems.isEmpty())
        problems = runCheck(db, false);
    // Pages the damaged index held may be left over, unused: rewriting the
    // file from its sound tables and indexes drops them.
    const bool onlyUnused = !problems.isEmpty() && std::all_of(problems.cbegin(), problems.cend(), [](const QString& p) {
        return p.contains(QStringLiteral("never used"));
    });
    if (onlyUnused) {
        problems.clear();
        if (sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr) != SQLITE_OK)
            problems << failureOf(db);
        else
            problems = runCheck(db, false);
    }
    sqlite3_close(db);
    return problems;
}

void Database::registerOpen(const Table* cursor, const QString& table) { m_openCursors.insert(cursor, table); }

void Database::unregisterOpen(const Table* cursor) { m_openCursors.remove(cursor); }

Database::Transaction::Transaction(Database& db) : m_db(db)
{
    if (m_db.m_depth == 0) {
        m_db.beforeWrite();
        m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        m_savepoint = QStringLiteral("sp%1").arg(++m_db.m_savepointSeq);
        m_db.exec(QStringLiteral("SAVEPOINT %1").arg(m_savepoint));
    }
    ++m_db.m_depth;
}

Database::Transaction::~Transaction()
{
    if (m_done || !m_db.m_db)
        return;
    --m_db.m_depth;
    if (m_savepoint.isEmpty())
        sqlite3_exec(m_db.m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    else {
        const QByteArray sp = m_savepoint.toUtf8();
        sqlite3_exec(m_db.m_db, ("ROLLBACK TO " + sp + "; RELEASE " + sp).constData(), nullptr, nullptr, nullptr);
    }
}

void Database::Transaction::commit()
{
    if (m_done)
        return;
    if (m_savepoint.isEmpty())
        m_db.exec(QStringLiteral("COMMIT"));
    else
        m_db.exec(QStringLiteral("RELEASE %1").arg(m_savepoint));
    m_done = true;
    --m_db.m_depth;
}

Database::ReadTransaction::ReadTransaction(Database& db) : m_db(db)
{
    if (m_db.m_depth == 0) {
        m_db.exec(QStringLiteral("BEGIN DEFERRED"));
        m_began = true;
    }
    ++m_db.m_depth;
}

Database::ReadTransaction::~ReadTransaction()
{
    if (!m_db.m_db)
        return; // closed meanwhile, which ended every transaction
    --m_db.m_depth;
    if (!m_began)
        return;
    // Nothing of its own was written, so ending the read another way when the
    // commit fails loses nothing.
    if (sqlite3_exec(m_db.m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(m_db.m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace plat::db
