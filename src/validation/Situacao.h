#pragma once

#include <QString>

namespace plat::db {
class Query;
}

namespace zelta {

// The holder situations as the tables store them. 'Novo' and 'Renovado' count
// against the quota; 'Excluído' holders are left out of the checks.
namespace situacao {
inline const QString novo = QStringLiteral("Novo");
inline const QString renovado = QStringLiteral("Renovado");
inline const QString excluido = QStringLiteral("Excluído");

// The situations as the named parameters of the statements that select
// holders by them: ":novo", ":renovado" and ":excluido".
void bind(plat::db::Query& query);
} // namespace situacao

} // namespace zelta
