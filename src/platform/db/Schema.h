#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace plat::db {

enum class FieldType { Text, Integer, Float, Date, AutoInc };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;         // characters, for text fields
    QString mask;         // legacy edit mask, applied by bound controls
    int displayWidth = 0; // characters shown by grids
    QString displayLabel; // grid column title; the field name when empty
    bool folded = false;  // ordered with accents folded (names)
};

struct IndexDef {
    QString name;       // empty for the primary order
    QStringList fields; // key fields; empty primary means record number order
};

// A table of the alias: its fields in physical order and its orderings. The first
// index is the primary (default) order.
struct TableDef {
    QString name;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;

    int fieldIndex(const QString& fieldName) const; // -1 when absent; case-insensitive
    const FieldDef* field(const QString& fieldName) const;
    const IndexDef* indexByName(const QString& indexName) const;
    const IndexDef* indexByFields(const QStringList& fieldNames) const;
};

// Folds a text for ordering: accented letters become their base capitals and
// a-z become A-Z, so that ÁLVARO sorts between ALVES and AMARAL. The same rule is
// written as SQL for generated sort columns (foldColumns: name and expression of
// each, the last one being the sort column), so the database can be written by
// plain SQLite tools and still keep its order.
QString foldKey(const QString& text);
QList<QPair<QString, QString>> foldColumns(const QString& column);

// Name of the hidden, generated column that carries a field's ordering value.
QString sortColumn(const FieldDef& field);
bool isSortColumnName(const QString& column);
bool needsSortColumn(const FieldDef& field, const TableDef& table);

// A name of the SQL (table, column, index) as the SQL quotes it: in double
// quotes, a double quote inside it doubled.
QString quoted(const QString& name);

QString createTableSql(const TableDef& table);
QStringList createIndexSql(const TableDef& table);

} // namespace plat::db
