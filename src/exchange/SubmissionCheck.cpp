#include "exchange/SubmissionCheck.h"

#include "platform/db/Database.h"
#include "validation/Completude.h"

namespace zelta {

bool Verificar_Erro(plat::db::Database& db)
{
    // One snapshot for both walks, so that a holder written in between cannot
    // make them disagree.
    plat::db::Database::ReadTransaction snapshot(db);
    Completude walk(db, Regras::preGeracao());
    // The first record that stops the generation ends the check.
    auto clean = [](const RegistroExaminado& r) { return r.exame.geracao == 0; };
    return walk.bolsistas({}, clean) && walk.orientadores({}, clean);
}

} // namespace zelta
