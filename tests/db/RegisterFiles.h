#pragma once

#include "platform/db/Database.h"
#include "support/TestData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files of the register for tests that damage, inspect and compare them.
namespace zelta::test {

QByteArray bytesOf(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);
// Every row of the three registers, record numbers included.
QStringList dump(plat::db::Database& db);
// An institution, one advisor and that many holders.
void fill(TestData& d, int holders);
// The offset of the first leaf page of an index's or table's b-tree.
qint64 firstLeafOffset(const QString& file, const QString& index);
// Damages the content of one leaf page (its cell area), its header left as it was.
void damagePage(const QString& file, qint64 pageOffset, int pageSize = 4096);
// The register closed in rollback-journal mode, its log folded into the file.
QString closedRegister(TestData& d);
// Table and index disagree: the index loses every entry (its root is swapped
// with that of an empty index over the same columns). The quick check does not
// see it; the full check does.
void emptyIndex(const QString& file, const QString& index);

} // namespace zelta::test
