#pragma once

#include "platform/db/Field.h"

#include <QObject>
#include <QPointer>

namespace plat::db {

class Table;
class Query;

// Links bound controls to a cursor (a table or a query): it forwards the cursor's
// notifications and gives the controls its fields.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);

    void setDataSet(Table* table);
    void setDataSet(Query* query);
    Table* table() const { return m_table; }
    Query* query() const { return m_query; }
    FieldSource* source() const;
    bool isOpen() const;

signals:
    void recordChanged();
    void dataSetChanged();
    void stateChanged();
    void fieldEdited(int fieldIndex);
    void dataSetReplaced();

private:
    void disconnectAll();
    QPointer<Table> m_table;
    QPointer<Query> m_query;
    QList<QMetaObject::Connection> m_links;
};

} // namespace plat::db
