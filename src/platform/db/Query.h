#pragma once

#include "platform/db/Database.h"
#include "platform/db/Field.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace plat::db {

// A statement of the engine's SQL, kept as a list of lines joined with line
// breaks when it runs. open() runs a query with a result, read like a cursor
// (first/next/eof, fields by name); execSql() runs an update. Values from data or
// from the user go in as parameters (":name" or "?"), never into the text.
//
// Result columns that come straight from a table carry that field's type; a
// second column of the same name is renamed NAME_1 (NOME and NOME_1).
class Query : public QObject, public FieldSource {
    Q_OBJECT
public:
    explicit Query(Database& db, QObject* parent = nullptr);

    QStringList& sql() { return m_sql; }
    const QStringList& sql() const { return m_sql; }
    void setSql(const QStringList& lines);
    QString text() const { return m_sql.join(u'\n'); }

    void setParam(const QString& name, const QVariant& value); // ":name"
    void setParam(int index, const QVariant& value);           // 1-based "?"
    void clearParams();

    void open();
    void execSql();
    void close();
    bool isOpen() const { return m_open; }

    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recordCount() const { return int(m_rows.size()); }
    int recNo() const { return m_pos; } // 0-based current row
    void moveTo(int row);
    bool isEmpty() const { return m_rows.isEmpty(); }

    QStringList fieldNames() const;
    Field field(const QString& name);
    QVariant value(const QString& name) const;
    QVariant valueAt(int row, int column) const { return m_rows.at(row).at(column); }
    int fieldCount() const { return int(m_fields.size()); }

    // FieldSource
    const FieldDef& fieldDef(int index) const override { return m_fields.at(index); }
    QVariant fieldValue(int index) const override;
    void setFieldValue(int index, const QVariant& value) override;
    int fieldIndexOf(const QString& name) const override;
    QString sourceName() const override { return objectName(); }

signals:
    void recordChanged();
    void dataSetChanged();
    void stateChanged();

private:
    Statement prepareBound();
    struct Column {
        int index = 0;      // in the statement's result
        bool typed = false; // a table's field; otherwise typed by its first value
    };
    QVector<Column> readColumns(const Statement& st);
    void readRows(Statement& st, QVector<Column> columns);

    Database& m_db;
    QStringList m_sql;
    QList<QPair<QString, QVariant>> m_named;
    QList<QPair<int, QVariant>> m_positional;
    bool m_open = false;
    QVector<FieldDef> m_fields;
    QVector<QVector<QVariant>> m_rows;
    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;
};

} // namespace plat::db
