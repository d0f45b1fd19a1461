#pragma once

#include "platform/db/Schema.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace plat::db {

// Anything that holds a current row of named fields: a table cursor or a query.
class FieldSource {
public:
    virtual ~FieldSource() = default;
    virtual const FieldDef& fieldDef(int index) const = 0;
    virtual QVariant fieldValue(int index) const = 0;
    virtual void setFieldValue(int index, const QVariant& value) = 0;
    virtual int fieldIndexOf(const QString& name) const = 0; // -1 when unknown
    virtual QString sourceName() const = 0;
};

// A handle on one field of a cursor's current record, with typed access in the
// table engine's conversions: dates as dd/mm/yyyy text, numbers as plain text,
// an empty text or a null value as "".
class Field {
public:
    Field(FieldSource* source, int index) : m_source(source), m_index(index) {}

    QString name() const { return def().name; }
    const FieldDef& def() const { return m_source->fieldDef(m_index); }
    int index() const { return m_index; }

    QVariant value() const { return m_source->fieldValue(m_index); }
    bool isNull() const;
    QString asString() const;
    qint64 asInteger() const;
    double asFloat() const;
    QDate asDate() const;

    void setValue(const QVariant& v) { m_source->setFieldValue(m_index, v); }
    void setAsString(const QString& text);
    void setAsInteger(qint64 v) { setValue(QVariant(v)); }
    void clear() { setValue(QVariant()); }

    static QString toText(const FieldDef& def, const QVariant& value);
    static QVariant fromText(const FieldDef& def, const QString& text); // throws plat::Error

private:
    FieldSource* m_source;
    int m_index;
};

} // namespace plat::db
