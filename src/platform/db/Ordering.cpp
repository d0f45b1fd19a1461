#include "platform/db/Ordering.h"

#include <QDate>

#include <algorithm>
#include <cstring>
#include <limits>

namespace plat::db {

namespace {

int rank(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return 1;
    default:
        return 2;
    }
}

QByteArray textOf(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate).toUtf8();
    return v.toString().toUtf8();
}

} // namespace

Ordering::Ordering(const TableDef& table, const QStringList& keyFields) : m_table(&table)
{
    for (const QString& name : keyFields) {
        const int fi = table.fieldIndex(name);
        if (fi < 0)
            continue;
        const FieldDef& f = table.fields[fi];
        Part part;
        part.field = fi;
        if (f.folded)
            part.kind = Kind::Fold;
        else if (needsSortColumn(f, table))
            part.kind = Kind::IfNull;
        m_parts << part;
    }
}

Ordering Ordering::primary(const TableDef& table)
{
    return table.indexes.isEmpty() ? Ordering() : Ordering(table, table.indexes.first().fields);
}

qint64 Ordering::nullKey() { return std::numeric_limits<qint64>::min(); }

QStringList Ordering::columns(const QString& alias) const
{
    const QString prefix = alias.isEmpty() ? QString() : alias + u'.';
    QStringList cols;
    for (const Part& p : m_parts) {
        const FieldDef& f = m_table->fields[p.field];
        switch (p.kind) {
        case Kind::Fold:
            cols << prefix + quoted(sortColumn(f)) << prefix + quoted(f.name);
            break;
        case Kind::IfNull:
            cols << prefix + quoted(sortColumn(f));
            break;
        case Kind::Plain:
            cols << prefix + quoted(f.name);
            break;
        }
    }
    cols << prefix + QStringLiteral("rowid");
    return cols;
}

QString Ordering::orderBy(const QString& alias, bool descending) const
{
    QStringList cols = columns(alias);
    if (descending)
        for (QString& c : cols)
            c += QStringLiteral(" DESC");
    return cols.join(u',');
}

QString Ordering::compare(const QString& op, int n) const
{
    QStringList cols = columns();
    if (n >= 0)
        cols = cols.mid(0, n);
    return QStringLiteral("(%1)%2(%3)").arg(cols.join(u','), op, placeholders(int(cols.size())));
}

void Ordering::append(QVariantList& key, const Part& part, const QVariant& value) const
{
    const bool null = !value.isValid() || value.isNull();
    switch (part.kind) {
    case Kind::Fold: {
        const QString s = value.toString();
        key << foldKey(s) << s;
        break;
    }
    case Kind::IfNull:
        key << (null ? QVariant(nullKey()) : value);
        break;
    case Kind::Plain:
        key << (null ? QVariant(QString()) : value);
        break;
    }
}

QVariantList Ordering::keyOf(const std::function<QVariant(int field)>& value, qint64 rowid) const
{
    QVariantList key;
    for (const Part& p : m_parts)
        append(key, p, value(p.field));
    key << rowid;
    return key;
}

QVariantList Ordering::searchKey(const QVariantList& values) const
{
    QVariantList key;
    const qsizetype n = std::min(values.size(), qsizetype(m_parts.size()));
    for (qsizetype i = 0; i < n; ++i)
        append(key, m_parts[i], values[i]);
    return key;
}

QString placeholders(int n)
{
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(u',');
}

int compareKeyValues(const QVariant& a, const QVariant& b)
{
    const int ra = rank(a);
    const int rb = rank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 0)
        return 0;
    if (ra == 1) {
        if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double || a.typeId() == QMetaType::Float
            || b.typeId() == QMetaType::Float) {
            const double x = a.toDouble();
            const double y = b.toDouble();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const qint64 x = a.toLongLong();
        const qint64 y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QByteArray x = textOf(a);
    const QByteArray y = textOf(b);
    const int c = std::memcmp(x.constData(), y.constData(), size_t(std::min(x.size(), y.size())));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}

int compareKeys(const QVariantList& a, const QVariantList& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (const int c = compareKeyValues(a.at(i), b.at(i)); c != 0)
            return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace plat::db
