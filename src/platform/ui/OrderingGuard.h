#pragma once

#include "platform/db/Table.h"

#include <QtDebug>

#include <exception>

namespace plat::ui {

// Restores a shared cursor's ordering when the scope ends, however it ends:
// a look-up that needs another index cannot leave the cursor in that index
// for the window that owns it.
class OrderingGuard {
public:
    explicit OrderingGuard(plat::db::Table& table) : m_table(table), m_fields(table.indexFieldNames()), m_index(table.indexName())
    {}
    ~OrderingGuard() noexcept(false)
    {
        // Restoring an ordering only rereads the index; should it fail while
        // another failure unwinds, the first one is the one to report.
        if (std::uncaught_exceptions() > m_uncaught) {
            try {
                restore();
            } catch (const std::exception& e) {
                qWarning("restoring the ordering of %s during a failure failed: %s", qPrintable(m_table.tableName()), e.what());
            } catch (...) {
                qWarning("restoring the ordering of %s during a failure failed", qPrintable(m_table.tableName()));
            }
            return;
        }
        restore();
    }
    OrderingGuard(const OrderingGuard&) = delete;
    OrderingGuard& operator=(const OrderingGuard&) = delete;

private:
    void restore()
    {
        if (!m_fields.isEmpty())
            m_table.setIndexFieldNames(m_fields);
        else
            m_table.setIndexName(m_index);
    }

    plat::db::Table& m_table;
    QString m_fields;
    QString m_index;
    int m_uncaught = std::uncaught_exceptions();
};

} // namespace plat::ui
