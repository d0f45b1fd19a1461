#include "platform/db/Sqlite.h"

#include "platform/system/Error.h"

#include <QDate>
#include <sqlite3.h>

namespace plat::db {

void throwSqlite(sqlite3* db, int rc)
{
    QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        text = QStringLiteral("Os dados estão em uso por outro programa (%1)").arg(text);
    else if ((rc & 0xff) == SQLITE_READONLY)
        text = QStringLiteral("Os dados não podem ser gravados: a pasta ou o arquivo é somente leitura (%1)").arg(text);
    else if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB)
        text = QStringLiteral("O banco de dados está danificado (%1)").arg(text);
    else if ((rc & 0xff) == SQLITE_FULL)
        text = QStringLiteral("Não há espaço em disco para gravar os dados (%1)").arg(text);
    throw Error::database(text);
}

Statement::Statement(sqlite3* db, const QString& sql) : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throwSqlite(db, rc);
    }
}

Statement::Statement(Statement&& other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt)
{
    other.m_stmt = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

void Statement::check(int rc) const
{
    if (rc != SQLITE_OK)
        throwSqlite(m_db, rc);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void Statement::bind(int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        check(sqlite3_bind_null(m_stmt, index));
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        check(sqlite3_bind_int64(m_stmt, index, value.toLongLong()));
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        check(sqlite3_bind_double(m_stmt, index, value.toDouble()));
        break;
    case QMetaType::QDate: {
        const QByteArray iso = value.toDate().toString(Qt::ISODate).toUtf8();
        check(sqlite3_bind_text(m_stmt, index, iso.constData(), int(iso.size()), SQLITE_TRANSIENT));
        break;
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        check(sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
        break;
    }
    }
}

void Statement::bindAll(const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values[i]);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    throwSqlite(m_db, rc);
}

void Statement::exec()
{
    while (step()) {
    }
}

int Statement::columnCount() const { return sqlite3_column_count(m_stmt); }

QString Statement::columnName(int column) const { return QString::fromUtf8(sqlite3_column_name(m_stmt, column)); }

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(text(column));
    }
}

qint64 Statement::int64(int column) const { return sqlite3_column_int64(m_stmt, column); }

QString Statement::text(int column) const
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)) : QString();
}

QByteArrayView Statement::utf8(int column) const
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? QByteArrayView(p, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
}

void Statement::readText(int column, QString& into) const
{
    const QByteArrayView bytes = utf8(column);
    const char* p = bytes.data();
    const auto n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80) {
            into = QString::fromUtf8(bytes);
            return;
        }
    }
    into.resize(n);
    QChar* out = into.data();
    for (qsizetype i = 0; i < n; ++i)
        out[i] = QChar(char16_t(static_cast<unsigned char>(p[i])));
}

QDate Statement::isoDate(int column) const
{
    const QByteArrayView bytes = utf8(column);
    if (bytes.size() < 10)
        return QDate();
    const char* p = bytes.data();
    auto digits = [p](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (p[i] < '0' || p[i] > '9')
                return -1;
            v = v * 10 + (p[i] - '0');
        }
        return v;
    };
    const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
    if (y < 0 || m < 0 || d < 0 || p[4] != '-' || p[7] != '-')
        return QDate::fromString(QString::fromUtf8(p, 10), Qt::ISODate);
    return QDate(y, m, d);   // invalid for a day that does not exist
}

bool Statement::isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

QString Statement::originTable(int column) const
{
    const char* p = sqlite3_column_table_name(m_stmt, column);
    return p ? QString::fromUtf8(p) : QString();
}

QString Statement::originColumn(int column) const
{
    const char* p = sqlite3_column_origin_name(m_stmt, column);
    return p ? QString::fromUtf8(p) : QString();
}


int Statement::parameterIndex(const QString& name) const
{
    return sqlite3_bind_parameter_index(m_stmt, name.toUtf8().constData());
}

} // namespace plat::db
