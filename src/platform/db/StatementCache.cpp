#include "platform/db/StatementCache.h"

#include "platform/db/Database.h"

namespace plat::db {

Statement& StatementCache::get(const QString& sql)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.insert(sql, std::make_shared<Statement>(m_db.prepare(sql)));
    Statement& st = **it;
    st.reset();
    return st;
}

} // namespace plat::db
