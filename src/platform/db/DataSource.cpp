#include "platform/db/DataSource.h"

#include "platform/db/Query.h"
#include "platform/db/Table.h"

namespace plat::db {

DataSource::DataSource(QObject* parent) : QObject(parent) {}

void DataSource::disconnectAll()
{
    for (const auto& c : m_links)
        disconnect(c);
    m_links.clear();
    m_table = nullptr;
    m_query = nullptr;
}

void DataSource::setDataSet(Table* table)
{
    disconnectAll();
    m_table = table;
    if (table) {
        m_links << connect(table, &Table::recordChanged, this, &DataSource::recordChanged);
        m_links << connect(table, &Table::dataSetChanged, this, &DataSource::dataSetChanged);
        m_links << connect(table, &Table::stateChanged, this, &DataSource::stateChanged);
        m_links << connect(table, &Table::fieldEdited, this, &DataSource::fieldEdited);
    }
    emit dataSetReplaced();
}

void DataSource::setDataSet(Query* query)
{
    disconnectAll();
    m_query = query;
    if (query) {
        m_links << connect(query, &Query::recordChanged, this, &DataSource::recordChanged);
        m_links << connect(query, &Query::dataSetChanged, this, &DataSource::dataSetChanged);
        m_links << connect(query, &Query::stateChanged, this, &DataSource::stateChanged);
    }
    emit dataSetReplaced();
}

FieldSource* DataSource::source() const
{
    if (m_table)
        return m_table.data();
    if (m_query)
        return m_query.data();
    return nullptr;
}

bool DataSource::isOpen() const
{
    if (m_table)
        return m_table->isOpen();
    if (m_query)
        return m_query->isOpen();
    return false;
}

} // namespace plat::db
