#include "platform/db/StoredValue.h"

#include <cmath>

namespace plat::db {

QDate storedDate(QByteArrayView text)
{
    if (text.size() < 10)
        return QDate();
    const char* p = text.data();
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
    return QDate(y, m, d); // invalid for a day that does not exist
}

namespace {

QVariant noValue(FieldType type) { return type == FieldType::Text ? QVariant(QString()) : QVariant(); }

QVariant fromNumber(FieldType type, const StoredValue& v)
{
    const bool whole = v.kind == StoredValue::Integer;
    switch (type) {
    case FieldType::Text:
        return whole ? QString::number(v.integer) : QString::number(v.real, 'g', 15);
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (whole)
            return QVariant(v.integer);
        return std::isfinite(v.real) ? QVariant(qRound64(v.real)) : QVariant();
    case FieldType::Float:
        return whole ? QVariant(double(v.integer)) : QVariant(v.real);
    case FieldType::Date:
        return QVariant();
    }
    return QVariant();
}

QVariant fromText(FieldType type, QByteArrayView bytes)
{
    switch (type) {
    case FieldType::Text:
        return QString::fromUtf8(bytes);
    case FieldType::Date: {
        const QDate date = storedDate(bytes);
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case FieldType::Integer:
    case FieldType::AutoInc: {
        bool ok = false;
        const qint64 n = QString::fromUtf8(bytes).trimmed().toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case FieldType::Float: {
        bool ok = false;
        const double n = QString::fromUtf8(bytes).trimmed().toDouble(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    }
    return QVariant();
}

} // namespace

QVariant decodeStored(FieldType type, const StoredValue& value)
{
    switch (value.kind) {
    case StoredValue::Null:
        return noValue(type);
    case StoredValue::Integer:
    case StoredValue::Real:
        return fromNumber(type, value);
    case StoredValue::Text:
        return fromText(type, value.text);
    }
    return noValue(type);
}

} // namespace plat::db
