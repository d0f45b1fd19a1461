#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

namespace plat::db {
class FieldSource;
class Query;
class Table;
} // namespace plat::db

namespace plat::report {

// The rows a report prints: walked from the first to the end, each row's fields
// read by name as their display text.
class ReportSource {
public:
    virtual ~ReportSource() = default;

    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // False when the source stands on no row (an empty linked detail).
    virtual bool hasRow() const { return !eof(); }

    // The field's display text ("" when there is no row); the raw value for hooks.
    virtual QString text(const QString& field) const = 0;
    virtual QVariant value(const QString& field) const = 0;

    // As the detail of a master-detail link: keep only the rows whose link key
    // equals key, and stand on the first of them. A null key keeps none.
    virtual void follow(const QVariant& key);
};

// A table cursor as report rows. As the detail of a link, keyField names the
// detail's field that must equal the master's key: when it is the first key
// field of the cursor's ordering a key range keeps the matching rows; when it
// is the table's auto-increment field (record number order) the cursor goes
// straight to that record.
class TableSource : public ReportSource {
public:
    explicit TableSource(plat::db::Table& table, const QString& keyField = QString()) : m_table(table), m_keyField(keyField) {}

    void first() override;
    void next() override;
    bool eof() const override;
    bool hasRow() const override;
    QString text(const QString& field) const override;
    QVariant value(const QString& field) const override;
    void follow(const QVariant& key) override;

private:
    int indexOf(const QString& field) const;
    plat::db::Table& m_table;
    QString m_keyField;
    bool m_none = false; // following a null key: no row
    mutable QHash<QString, int> m_fields;
};

// A query's result rows.
class QuerySource : public ReportSource {
public:
    explicit QuerySource(plat::db::Query& query) : m_query(query) {}

    void first() override;
    void next() override;
    bool eof() const override;
    QString text(const QString& field) const override;
    QVariant value(const QString& field) const override;

private:
    int indexOf(const QString& field) const;
    plat::db::Query& m_query;
    mutable QHash<QString, int> m_fields;
};

} // namespace plat::report
