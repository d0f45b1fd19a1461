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
// Changes one character of a text stored in the leaf pages of one kind
// (0x0d: rows of a table; 0x0a: entries of an index), leaving the other pages
// as they were; the file must be closed. occurrence: which of those copies of
// the text (-1: the last, a stored sort column after the name; kEvery: all).
// Returns the text as it now reads.
constexpr int kEvery = -2;
QString changeStored(const QString& file, const QString& text, int at, QChar to, quint8 pageKind = 0x0d, int occurrence = 0);

} // namespace zelta::test
