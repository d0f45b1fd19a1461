#pragma once

#include "platform/db/Database.h"
#include "platform/db/Ordering.h"
#include "validation/Completude.h"

#include <QHash>

#include <optional>

namespace zelta {

// What the entry forms' "Confirma" would refuse on a record as it is stored,
// a bit per Campo (Exame::formulario): the holder form's and the advisor
// form's required-field checks, each on the field it is about.
quint16 recusasDoBolsista(const DadosBolsista& b);
quint16 recusasDoOrientador(const DadosOrientador& o);

// Appends to problems, in the form's order and with the form's message, what
// the form refuses that problems do not name yet. None of them stops the
// generation of the file: only the form asks for them.
void acrescentarRecusas(bool orientador, const Exame& e, QList<Pendencia>& problems);

// The area name the advisor entry form shows for a stored COD_AREA: the
// name of the area with that code in code order, else of the next one, else
// of the last; empty only when the area table is empty or the area reached
// has no name. One per walk: what it has found it keeps.
class AreaDoFormulario {
public:
    explicit AreaDoFormulario(const plat::db::Database& db);
    QString nome(const QString& codArea);

private:
    QString search(const QString& codArea);
    const plat::db::Database& m_db;
    plat::db::Ordering m_order;
    plat::db::Statement m_next;
    std::optional<QString> m_last;   // read when first needed
    QHash<QString, QString> m_names; // by COD_AREA: the area table does not change during a walk
};

} // namespace zelta
