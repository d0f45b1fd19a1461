#pragma once

#include "platform/db/Schema.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <functional>

namespace plat::db {

// An ordering of a table as its index holds it. Each key field is compared in
// one of three ways: a name ordered with accents folded by its sort column and
// then its own text, a field that may be null through its sort column (nulls
// first), any other field as it is. The record number ends every ordering, so
// the order is total and stable.
//
// A key is the list of values in the layout of columns(): two values for a
// folded name, one for any other field, the record number last. Cursors,
// scans and position sampling all build their SQL and their keys here.
class Ordering {
public:
    enum class Kind { Plain, Fold, IfNull };
    struct Part {
        int field = -1;
        Kind kind = Kind::Plain;
    };

    Ordering() = default; // record number order
    // The ordering by the named key fields; names the table lacks are skipped.
    Ordering(const TableDef& table, const QStringList& keyFields);
    // The table's primary ordering (its first index).
    static Ordering primary(const TableDef& table);

    const QVector<Part>& parts() const { return m_parts; }
    bool isEmpty() const { return m_parts.isEmpty(); }
    bool operator==(const Ordering& other) const { return columns() == other.columns(); }

    // The index's columns in key layout, record number last; with an alias
    // each is qualified by it ("B"."ORD_NOME").
    QStringList columns(const QString& alias = {}) const;
    QString orderBy(const QString& alias = {}, bool descending = false) const;
    // "(c1,...,cn) OP (?,...,?)" over the first n columns of the key, all of
    // them when n is negative: the row comparison that seeks through the index.
    QString compare(const QString& op, int n = -1) const;

    // The key of a record, given the values of its fields by field index.
    QVariantList keyOf(const std::function<QVariant(int field)>& value, qint64 rowid) const;
    // The leading part of a key for search values given in key-field order
    // (already in the field's stored type); fewer values give a shorter key.
    QVariantList searchKey(const QVariantList& values) const;

    // The value stored in a sort column for a null number.
    static qint64 nullKey();

private:
    void append(QVariantList& key, const Part& part, const QVariant& value) const;
    const TableDef* m_table = nullptr;
    QVector<Part> m_parts;
};

// "?,?,...": n parameter marks.
QString placeholders(int n);

// Orders two key values as the database does: nulls, then numbers, then text
// (compared as UTF-8 bytes); dates as their ISO text.
int compareKeyValues(const QVariant& a, const QVariant& b);
int compareKeys(const QVariantList& a, const QVariantList& b);

} // namespace plat::db
