#include "platform/db/RowDigest.h"

#include <QByteArray>

#include <cstring>
#include <sqlite3.h>
#include <string>
#include <xxhash.h>

namespace plat::db {

namespace {

// The bytes fed to the hash: per value a type tag, then a fixed 8-byte form
// for numbers, or a 4-byte length and the bytes for text and blobs.
class Encoder {
public:
    void null() { m_bytes.push_back('N'); }
    void integer(qint64 v) { fixed('I', quint64(v)); }
    void real(double v)
    {
        quint64 bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        fixed('R', bits);
    }
    void bytes(char tag, const void* data, int size)
    {
        m_bytes.push_back(tag);
        word(quint64(quint32(size)), 4);
        if (size > 0)
            m_bytes.append(static_cast<const char*>(data), size_t(size));
    }
    qint64 digest() const { return qint64(XXH3_64bits(m_bytes.data(), m_bytes.size())); }
    void clear() { m_bytes.clear(); }

private:
    void fixed(char tag, quint64 v)
    {
        m_bytes.push_back(tag);
        word(v, 8);
    }
    void word(quint64 v, int size)
    {
        for (int i = 0; i < size; ++i)
            m_bytes.push_back(char((v >> (8 * i)) & 0xff));
    }
    std::string m_bytes;
};

void digestFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    thread_local Encoder enc;
    enc.clear();
    enc.integer(argc);
    for (int i = 0; i < argc; ++i) {
        sqlite3_value* v = argv[i];
        switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            enc.null();
            break;
        case SQLITE_INTEGER:
            enc.integer(sqlite3_value_int64(v));
            break;
        case SQLITE_FLOAT:
            enc.real(sqlite3_value_double(v));
            break;
        case SQLITE_TEXT: {
            const unsigned char* text = sqlite3_value_text(v);
            enc.bytes('T', text, sqlite3_value_bytes(v));
            break;
        }
        default: {
            const void* blob = sqlite3_value_blob(v);
            enc.bytes('B', blob, sqlite3_value_bytes(v));
            break;
        }
        }
    }
    sqlite3_result_int64(context, enc.digest());
}

} // namespace

void registerRowDigest(sqlite3* db)
{
    sqlite3_create_function_v2(db, kRowDigestFunction, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, digestFunction, nullptr,
                               nullptr, nullptr);
}

qint64 rowDigest(const QVariantList& values)
{
    Encoder enc;
    enc.integer(values.size());
    for (const QVariant& v : values) {
        if (v.isNull()) {
            enc.null();
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::Bool:
            enc.integer(v.toLongLong());
            break;
        case QMetaType::Double:
            enc.real(v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            enc.bytes('B', b.constData(), int(b.size()));
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            enc.bytes('T', t.constData(), int(t.size()));
            break;
        }
        }
    }
    return enc.digest();
}

} // namespace plat::db
