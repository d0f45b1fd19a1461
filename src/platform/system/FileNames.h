#pragma once

#include <QByteArray>
#include <QString>

namespace plat::sys {

// File names as the file system holds them: bytes, not text. A name given in
// UTF-8 decodes to its text; a byte that is not part of valid UTF-8 decodes to
// one character of the range U+DC80..U+DCFF (never produced by valid text),
// and encodes back to the same byte, so that any name round-trips.
QString decodePath(const QByteArray& bytes);
QByteArray encodePath(const QString& path);
// True when the name holds such a byte. Only the program's own writers
// (AtomicFile, and the folder check before them) reach it under its very
// name; Qt's and SQLite's file access would take another name.
bool hasRawBytes(const QString& path);

// A folder at that very name (stat, not Qt's file engine, which would
// mistake the raw bytes).
bool isDirectory(const QString& path);

} // namespace plat::sys
