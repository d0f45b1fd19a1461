#include "validation/Situacao.h"

#include "platform/db/Query.h"

namespace zelta::situacao {

void bind(plat::db::Query& query)
{
    // A parameter the statement does not name is left out when it runs.
    query.setParam(QStringLiteral(":novo"), novo);
    query.setParam(QStringLiteral(":renovado"), renovado);
    query.setParam(QStringLiteral(":excluido"), excluido);
}

} // namespace zelta::situacao
