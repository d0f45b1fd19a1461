#pragma once

#include "platform/db/StoredValue.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace plat::db {

// A prepared statement that is finalised when it goes out of scope. Values are
// always bound as parameters, never pasted into the statement's text.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, const QString& sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    bool isValid() const { return m_stmt != nullptr; }
    void reset();
    void bind(int index, const QVariant& value); // 1-based
    void bindAll(const QVariantList& values);
    bool step(); // true while a row is available
    void exec(); // runs to completion

    int columnCount() const;
    QString columnName(int column) const;
    QVariant value(int column) const;
    qint64 int64(int column) const;
    QString text(int column) const;
    // A column as the engine holds it, read once; its text is valid until the
    // next step.
    StoredValue stored(int column) const;
    // A text column as the engine holds it, without decoding it; valid until
    // the next step.
    QByteArrayView utf8(int column) const;
    // Reads a text column into a string reused from row to row, so that plain
    // ASCII (nearly every stored value) costs no allocation; NULL reads as "".
    void readText(int column, QString& into) const;
    // A date column stored as ISO text (yyyy-mm-dd, possibly followed by a
    // time); anything else reads as no date (storedDate).
    QDate isoDate(int column) const;
    bool isNull(int column) const;
    QString originTable(int column) const; // table a result column comes from, if any
    QString originColumn(int column) const;
    int parameterIndex(const QString& name) const;

private:
    void check(int rc) const;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// The user's words for a failure the engine reported as rc: what happened
// (the disk is full, the file is in use, damaged, read-only, not a database,
// cannot be opened, a disk error) and the file concerned, in Portuguese.
// systemError is the system's error number behind a disk failure (0 when
// none); engineText, the engine's own English text, is only kept for failures
// of the program itself and for the names a constraint gives.
QString sqliteFailureText(int rc, int systemError, const QString& file, const QString& engineText = QString());

// Throws plat::Error with that text for the file db works on (or the file
// given, for a connection that has none); of kind Damaged when the file is
// damaged or not a database, Database otherwise.
[[noreturn]] void throwSqlite(sqlite3* db, int rc);
[[noreturn]] void throwSqlite(sqlite3* db, int rc, const QString& file);

} // namespace plat::db
