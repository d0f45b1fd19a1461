#pragma once

#include "platform/db/Schema.h"
#include "platform/db/Sqlite.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

struct sqlite3;

namespace plat::db {

class Table;

// What one table of a file holds, read straight from the table in record-number
// order, no index consulted: every column, generated ones included.
struct TableContent {
    QString name;
    QStringList columns;
    QList<bool> generated;           // per column: computed by the engine from others
    QList<bool> key;                 // per column: the record number itself
    QMap<qint64, QVariantList> rows; // by record number

    int column(const QString& name) const; // -1 when absent; case-insensitive
};

// An index entry and the table row it points to that do not say the same.
struct IndexMismatch {
    QString table;
    QString index;
    QStringList columns; // the index's columns
    qint64 rowid = 0;
    QVariantList tableValues; // the row's values of those columns; empty: no such row
    QVariantList indexValues; // the entry's values; empty: the index has no entry for the row
};

// The indexes read through (each entry read from the index alone) and where
// they disagree with their tables. An index that cannot be read through (a
// broken page, a partial index) proves nothing and is left out.
struct IndexComparison {
    struct Compared {
        QString table;
        QString index;
        QStringList columns;
    };
    QList<Compared> compared;
    QList<IndexMismatch> mismatches;
};

// A cell to be written while a file is repaired.
struct CellChange {
    QString table;
    qint64 rowid = 0;
    QString column;
    QVariant value;
};

// The database behind the alias: one SQLite file in the alias directory, with
// the definitions of its tables. Cursors (Table, Query) reach the file through it.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file. When it is missing and create is true, an empty database is
    // made (the caller then creates the tables); otherwise a missing or damaged
    // file is an error and nothing is written to it. accept, when given, runs
    // after the schema was first read and before anything is written (the
    // journal mode included): it throws to refuse the file, which is then
    // closed as it was. Returns true when the file was created by this call.
    bool open(const QString& filePath, bool create, const std::function<void(Database&)>& accept = {});
    // Opens an existing file read-only (copies of the register): nothing is
    // ever written to it, not even its journal mode.
    void openReadOnly(const QString& filePath);
    // Opens an existing file to read the bytes it holds itself, and nothing
    // else: a journal beside it is not played back, a write-ahead log is
    // neither read nor checkpointed, nothing is locked or created beside it.
    // For files that must be judged before anything may touch them.
    void openFileAlone(const QString& filePath);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString filePath() const { return m_path; }
    // Opens the file through the opener when it is closed; throws when that
    // fails, or when it is closed and there is no opener.
    void ensureOpen() const;

    // Called by the first access while the database is closed, so that a missing
    // or locked file is reported by the operation that needs it, and retried by the
    // next one.
    void setOpener(std::function<void(Database&)> opener) { m_opener = std::move(opener); }

    // Runs before a write begins (a cursor's insert, edit or delete, a write
    // transaction, a writing query, a table emptied), while no statement of
    // the write is under way: it may wait for work the write must follow, or
    // throw to refuse the write. Not called again from inside itself.
    void setWriteGate(std::function<void()> gate) { m_writeGate = std::move(gate); }
    void beforeWrite();

    void addTable(const TableDef& def);
    const TableDef& table(const QString& name) const; // case-insensitive; throws when unknown
    bool hasTable(const QString& name) const;
    const QList<TableDef>& tables() const { return m_tables; }

    Statement prepare(const QString& sql) const;
    void exec(const QString& sql, const QVariantList& params = {}) const;
    QVariant scalar(const QString& sql, const QVariantList& params = {}) const;
    qint64 lastInsertRowId() const;
    // Rows changed through this connection since it opened; a stamp that moves
    // with every write, for caches of what the tables hold.
    qint64 totalChanges() const;
    int userVersion() const;
    void setUserVersion(int version);

    // Removes every record of a table. Refused while a cursor has the table open.
    void emptyTable(const QString& name);
    // Drops the indexes of a table and returns the statements that create
    // them again as they were. A bulk load inside a transaction drops them
    // first and runs the statements after its rows: SQLite then builds each
    // index from sorted keys instead of inserting one key per row at random
    // places. A rollback brings the dropped indexes back with the rows.
    QStringList dropIndexes(const QString& table);

    // Writes a consistent copy of the whole database to another file, page by
    // page (a damaged page is copied as it is), in rollback-journal mode.
    void backupTo(const QString& targetPath) const;
    // Replaces the whole content with that of another database file, in one
    // write transaction of this connection, through SQLite's backup: readers
    // and the write-ahead log stay consistent. No statement may be active.
    void restoreFrom(const QString& sourcePath);

    // SQLite's check of the whole file: the quick form checks every page and
    // record but does not compare indexes with their tables. Returns the
    // problems found (at most 100), empty when the file is sound.
    QStringList checkIntegrity(bool quick) const;
    // The same for a file that is not open, opened read-only: nothing is
    // written to it. A file that cannot be read as a database gives one
    // message. fileAlone: the file's own bytes only, as openFileAlone reads them.
    static QStringList checkFile(const QString& filePath, bool quick, bool fileAlone = false);
    // Repairs a file that is not open: rebuilds every index from its tables,
    // writes the given cells, then writes every row of a table with generated
    // columns again, so that stored sort columns are computed anew from their
    // sources instead of kept. Then checks the whole file (the full check);
    // returns the problems left (none: repaired). All or nothing.
    static QStringList rebuildIndexes(const QString& filePath, const QList<CellChange>& changes = {});

    // Every table of the file (SQLite's own left out), read row by row from
    // the table. Throws plat::Error when a table cannot be read through.
    QList<TableContent> readContent() const;
    // Reads each index of the given tables from the index alone and compares
    // its entries, by record number, with the rows.
    IndexComparison compareIndexes(const QList<TableContent>& content) const;
    // Two values as the engine holds them are the same (type and value; two
    // NULLs are the same).
    static bool sameValue(const QVariant& a, const QVariant& b);

    // Cursor registry, so that emptying a table can tell whether it is in use.
    void registerOpen(const Table* cursor, const QString& table);
    void unregisterOpen(const Table* cursor);

    // All-or-nothing work. Nested transactions become savepoints.
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction(); // rolls back unless committed
        void commit();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

    private:
        Database& m_db;
        QString m_savepoint;
        bool m_done = false;
    };

    // Reads that must see one state of the file (a count and the rows it
    // counts, two passes over related tables). It takes no write lock, so
    // another program writing meanwhile is neither blocked nor blocking. Inside
    // a transaction already open, that transaction is the snapshot; a write
    // transaction opened inside this one is kept when this one ends.
    class ReadTransaction {
    public:
        explicit ReadTransaction(Database& db);
        ~ReadTransaction();
        ReadTransaction(const ReadTransaction&) = delete;
        ReadTransaction& operator=(const ReadTransaction&) = delete;

    private:
        Database& m_db;
        bool m_began = false;
    };

    int transactionDepth() const { return m_depth; }

    // A number that moves whenever another connection (another program on the
    // same data) committed a change to the file, so that rows kept from an
    // earlier read can tell whether they are still current. One statement
    // step: dearer than reading a row.
    qint64 dataVersion() const;

    // What rows read earlier were read against, for telling cheaply (no
    // statement) whether they may still be current. It moves with every
    // change through this connection (committed or not), every commit of any
    // connection of this program, and every commit of another program that
    // this connection has seen by reading since. A commit of another program
    // that this connection has not read past yet does not move it.
    struct ReadStamp {
        qint64 changes = -1;
        quint64 commits = 0;
        unsigned fileVersion = 0;
        bool operator==(const ReadStamp&) const = default;
    };
    ReadStamp readStamp() const;

private:
    friend class Transaction;
    friend class ReadTransaction;
    sqlite3* handle() const; // ensureOpen(), then the connection
    sqlite3* m_db = nullptr;
    QString m_path;
    QList<TableDef> m_tables;
    QHash<const Table*, QString> m_openCursors;
    int m_depth = 0;
    int m_savepointSeq = 0;
    std::function<void(Database&)> m_opener;
    bool m_opening = false;
    std::function<void()> m_writeGate;
    bool m_inWriteGate = false;
    mutable std::unique_ptr<Statement> m_dataVersion;
};

} // namespace plat::db
