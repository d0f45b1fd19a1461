#pragma once

#include <QVariantList>

struct sqlite3;

namespace plat::db {

// The SQL function row_digest(v1, v2, ...): a 64-bit hash (XXH3) of the
// values as the engine holds them, returned as a signed integer. Each value
// goes in with its type and, for text and blobs, its length, so that no two
// different rows can be fed the same bytes: NULL and '' differ, as do 1 and
// '1', and ('AB', 'C') and ('A', 'BC').
constexpr const char* kRowDigestFunction = "row_digest";

// Registers the function on a connection; every connection the platform
// opens has it.
void registerRowDigest(sqlite3* db);

// The same hash computed from values read out of the engine (tests, tools).
qint64 rowDigest(const QVariantList& values);

} // namespace plat::db
