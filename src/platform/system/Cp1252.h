#pragma once

#include <QByteArray>
#include <QString>

namespace plat::sys {

// Windows-1252, the character set of the files exchanged with the agency.
// Characters it cannot carry become '?', one byte each, so fixed positions hold.
QByteArray toCp1252(const QString& text);
QString fromCp1252(const QByteArray& bytes);
bool fitsCp1252(QChar c);
// The byte that carries c, or -1 when the set has none.
int cp1252Byte(QChar c);

} // namespace plat::sys
