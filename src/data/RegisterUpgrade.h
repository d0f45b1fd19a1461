#pragma once

namespace plat::db {
class Database;
}

namespace zelta {

// The steps that bring a stored register from one schema version to the
// next, each run inside the upgrade's transaction.

// Version 3: project titles in capitals with their accents. Titles were
// raised only from a to z, so "GESTãO" is stored where the entry form now
// stores "GESTÃO"; each title that the current rule changes is rewritten in
// place, its record number kept. Titles take no part in any sort column.
void raiseStoredTitles(plat::db::Database& db);

} // namespace zelta
