#include "platform/db/Sqlite.h"

#include "platform/system/Error.h"
#include "platform/system/SystemError.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <sqlite3.h>

namespace plat::db {

namespace {

// The file a connection works on; empty for one without a file.
QString fileOf(sqlite3* db)
{
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name ? QFile::decodeName(name) : QString();
}

// What a failed disk access of this kind was doing, for the message.
QString diskAction(int rc)
{
    switch (rc) {
    case SQLITE_IOERR_READ:
    case SQLITE_IOERR_SHORT_READ:
        return QStringLiteral("ler");
    case SQLITE_IOERR_WRITE:
    case SQLITE_IOERR_FSYNC:
    case SQLITE_IOERR_DIR_FSYNC:
    case SQLITE_IOERR_TRUNCATE:
        return QStringLiteral("gravar");
    default:
        return QStringLiteral("usar");
    }
}

// The part of an engine text after its first ": " (the table and column a
// constraint names), or nothing.
QString namedPart(const QString& engineText)
{
    const qsizetype colon = engineText.indexOf(QStringLiteral(": "));
    return colon < 0 ? QString() : QStringLiteral(" (%1)").arg(engineText.mid(colon + 2));
}

} // namespace

QString sqliteFailureText(int rc, int systemError, const QString& file, const QString& engineText)
{
    const QString shown = file.isEmpty() ? QString() : QStringLiteral(" ") + QDir::toNativeSeparators(file);
    const QString because = systemError != 0 ? QStringLiteral(" (%1)").arg(plat::sys::systemErrorText(systemError)) : QString();
    const int code = rc & 0xff;
    // A write the disk had no room for is reported as a full disk, whether
    // the engine calls it full or an I/O error with the system's ENOSPC.
    if (code == SQLITE_FULL || (code == SQLITE_IOERR && systemError == ENOSPC))
        return QStringLiteral("O disco está cheio: não há espaço para gravar o arquivo de dados%1. Libere espaço no disco e "
                              "tente de novo")
            .arg(shown);
    if (code == SQLITE_IOERR && systemError == EDQUOT)
        return QStringLiteral("A cota de disco acabou: não há espaço para gravar o arquivo de dados%1. Libere espaço e "
                              "tente de novo")
            .arg(shown);
    switch (code) {
    case SQLITE_IOERR:
        return QStringLiteral("Erro do disco ao %1 o arquivo de dados%2%3").arg(diskAction(rc), shown, because);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("O arquivo de dados%1 está em uso por outro programa. Aguarde que ele termine, ou feche-o, e "
                              "tente de novo")
            .arg(shown);
    case SQLITE_READONLY:
        return QStringLiteral("O arquivo de dados%1 não pode ser gravado: a pasta ou o arquivo é somente leitura").arg(shown);
    case SQLITE_CORRUPT:
        return QStringLiteral("O arquivo de dados%1 está danificado").arg(shown);
    case SQLITE_NOTADB:
        return QStringLiteral("O arquivo%1 não é um arquivo de dados do Zelta, ou está danificado").arg(shown);
    case SQLITE_CANTOPEN:
        return QStringLiteral("Não foi possível abrir o arquivo de dados%1%2").arg(shown, because);
    case SQLITE_NOMEM:
        return QStringLiteral("Falta memória para trabalhar com o arquivo de dados%1").arg(shown);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("O sistema não permitiu o acesso ao arquivo de dados%1").arg(shown);
    case SQLITE_CONSTRAINT:
        // A trigger's refusal carries the program's own words.
        if (rc == SQLITE_CONSTRAINT_TRIGGER && !engineText.isEmpty())
            return QStringLiteral("O arquivo de dados%1 recusou a gravação: %2").arg(shown, engineText);
        return QStringLiteral("O arquivo de dados%1 recusou a gravação: um valor que deve ser único se repetiria, ou um campo "
                              "obrigatório ficaria vazio%2")
            .arg(shown, namedPart(engineText));
    default:
        // Failures of the program itself (a statement the engine refuses):
        // the engine's text is kept for whoever looks into it.
        return QStringLiteral("Erro interno no arquivo de dados%1 (código %2: %3)").arg(shown).arg(rc).arg(engineText);
    }
}

void throwSqlite(sqlite3* db, int rc) { throwSqlite(db, rc, QString()); }

void throwSqlite(sqlite3* db, int rc, const QString& file)
{
    const int code = rc & 0xff;
    // The system's error number is only looked at for the failures that come
    // from the disk; for the others it may be left from an earlier call.
    const bool fromDisk = code == SQLITE_IOERR || code == SQLITE_FULL || code == SQLITE_CANTOPEN;
    const int systemError = db && fromDisk ? sqlite3_system_errno(db) : 0;
    const QString engineText = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const QString text = sqliteFailureText(rc, systemError, file.isEmpty() ? fileOf(db) : file, engineText);
    const bool damaged = code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
    throw Error(damaged ? Error::Kind::Damaged : Error::Kind::Database, text);
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

Statement::Statement(Statement&& other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt) { other.m_stmt = nullptr; }

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

QDate Statement::isoDate(int column) const { return storedDate(utf8(column)); }

StoredValue Statement::stored(int column) const
{
    sqlite3_value* v = sqlite3_column_value(m_stmt, column);
    StoredValue out;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        out.kind = StoredValue::Integer;
        out.integer = sqlite3_value_int64(v);
        break;
    case SQLITE_FLOAT:
        out.kind = StoredValue::Real;
        out.real = sqlite3_value_double(v);
        break;
    case SQLITE_NULL:
        break;
    default: {
        out.kind = StoredValue::Text;
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
        out.text = QByteArrayView(p, p ? sqlite3_value_bytes(v) : 0);
    }
    }
    return out;
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
