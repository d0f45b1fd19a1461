#pragma once

namespace plat::db {
class Database;
}

namespace zelta {

// The silent check that runs before the submission file is written: true when
// no holder and no advisor fails it. It stores nothing and shows nothing; a
// failure sends the user to the completeness verification, which lists the
// faults. The rules are those of the completeness module that stop the
// generation (validation/Completude.h).
bool Verificar_Erro(plat::db::Database& db);

} // namespace zelta
