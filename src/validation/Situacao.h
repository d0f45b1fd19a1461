#pragma once

#include <QString>

namespace zelta {

// The holder situations as the tables store them. 'Novo' and 'Renovado' count
// against the quota; 'Excluído' holders are left out of the checks.
namespace situacao {
inline const QString novo = QStringLiteral("Novo");
inline const QString renovado = QStringLiteral("Renovado");
inline const QString excluido = QStringLiteral("Excluído");
} // namespace situacao

} // namespace zelta
