#pragma once

#include "platform/db/Schema.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace plat::db {
class DataSource;
class FieldSource;
class Table;
} // namespace plat::db

namespace plat::ui {

// The link between one bound control and one field of a data source's current
// record. It tells the control when to show the field again (the cursor moved,
// the record was reloaded, posted or cancelled, the field was written by code)
// and writes what the user types into the record. A write does not come back
// to the control that made it.
class FieldLink : public QObject {
    Q_OBJECT
public:
    explicit FieldLink(QObject* parent = nullptr);

    void setDataSource(plat::db::DataSource* source);
    plat::db::DataSource* dataSource() const;
    void setFieldName(const QString& name);
    QString fieldName() const { return m_fieldName; }

    // True when the data source is open and has the field.
    bool isBound() const;
    // The field's definition while bound, else nullptr.
    const plat::db::FieldDef* fieldDef() const;
    // The field's value as text, "" when not bound.
    QString text() const;

    // Writes the text into the current record, putting a table's current record
    // into editing first when it is only being browsed. Throws plat::Error when the
    // text does not convert to the field's type or the record cannot be written.
    void writeText(const QString& text);

signals:
    void changed();           // show the field again
    void definitionChanged(); // the field may be another one (data set opened or replaced)

private:
    plat::db::FieldSource* source() const;
    plat::db::Table* table() const;
    void relink();
    void resolve();
    void onRecordChanged();
    void onFieldEdited(int index);

    QPointer<plat::db::DataSource> m_source;
    QString m_fieldName;
    int m_index = -1;
    bool m_writing = false;
    QList<QMetaObject::Connection> m_links;
};

} // namespace plat::ui
