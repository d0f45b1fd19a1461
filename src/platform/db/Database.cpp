#include "platform/db/Database.h"

#include "platform/db/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace plat::db {

Database::Database() = default;

Database::~Database() { close(); }

bool Database::open(const QString& filePath, bool create)
{
    close();
    const QFileInfo info(filePath);
    const bool exists = info.exists();
    if (!exists && !create)
        throw DbError(QStringLiteral("O arquivo de dados %1 não foi encontrado").arg(QDir::toNativeSeparators(filePath)));
    if (exists && !info.isFile())
        throw DbError(QStringLiteral("%1 não é um arquivo de dados").arg(QDir::toNativeSeparators(filePath)));
    const QFileInfo dirInfo(info.absolutePath());
    if (!dirInfo.isDir())
        throw DbError(QStringLiteral("A pasta de dados %1 não existe").arg(QDir::toNativeSeparators(info.absolutePath())));
    // The journal lives beside the file, so a folder without write permission
    // cannot hold working data even when the file itself is readable.
    if (!dirInfo.isWritable() || (exists && !info.isWritable()))
        throw DbError(QStringLiteral("A pasta de dados %1 não permite gravação; verifique as permissões")
                          .arg(QDir::toNativeSeparators(info.absolutePath())));

    static const bool configured = [] {
        // One thread uses the engine; memory statistics would only add a lock
        // to every allocation.
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
        return sqlite3_initialize() == SQLITE_OK;
    }();
    Q_UNUSED(configured);
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QFile::encodeName(filePath).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw DbError(QStringLiteral("Não foi possível abrir %1: %2").arg(QDir::toNativeSeparators(filePath), msg));
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 3000);
    m_db = db;
    m_path = info.absoluteFilePath();
    try {
        // Reading the schema is the first access to the file: a file that is not
        // a database, or is damaged, fails here before anything is written.
        scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
        // Large registers are read in index order, which visits table pages out
        // of order: map the file and keep a generous page cache.
        exec(QStringLiteral("PRAGMA mmap_size=536870912"));
        exec(QStringLiteral("PRAGMA cache_size=-65536"));
    } catch (const DbError& e) {
        sqlite3_close(m_db);
        m_db = nullptr;
        m_path.clear();
        throw DbError(QStringLiteral("Não foi possível abrir %1: %2").arg(QDir::toNativeSeparators(filePath), e.message()));
    }
    return !exists;
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

sqlite3* Database::handle() const
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
        throw DbError(QStringLiteral("O banco de dados não está aberto"));
    return m_db;
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
    throw DbError(QStringLiteral("Tabela não encontrada: %1").arg(name));
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

int Database::userVersion() const { return scalar(QStringLiteral("PRAGMA user_version")).toInt(); }

void Database::setUserVersion(int version) { exec(QStringLiteral("PRAGMA user_version=%1").arg(version)); }

void Database::emptyTable(const QString& name)
{
    const TableDef& def = table(name);
    for (auto it = m_openCursors.cbegin(); it != m_openCursors.cend(); ++it)
        if (it.value().compare(def.name, Qt::CaseInsensitive) == 0)
            throw DbError(QStringLiteral("A tabela %1 está em uso").arg(def.name));
    exec(QStringLiteral("DELETE FROM \"%1\"").arg(def.name));
}

void Database::backupTo(const QString& targetPath) const
{
    sqlite3* target = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(targetPath).constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(target);
        throwSqlite(nullptr, rc);
    }
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", handle(), "main");
    if (!backup) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(target));
        sqlite3_close(target);
        throw DbError(msg);
    }
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        sqlite3_close(target);
        throwSqlite(nullptr, rc);
    }
    // The copy is a single self-contained file.
    sqlite3_exec(target, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(target);
}

void Database::registerOpen(const Table* cursor, const QString& table) { m_openCursors.insert(cursor, table); }

void Database::unregisterOpen(const Table* cursor) { m_openCursors.remove(cursor); }

Database::Transaction::Transaction(Database& db) : m_db(db)
{
    if (m_db.m_depth == 0) {
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

} // namespace plat::db
