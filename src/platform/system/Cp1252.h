#pragma once

#include <QByteArray>
#include <QString>

namespace plat::sys {

// Windows-1252, the character set of the files exchanged with the agency.
// Characters it cannot carry become '?', one byte each, so fixed positions hold.
// The five bytes the set leaves without a character (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) are read as the control character of the same value but never
// written: toCp1252 gives only bytes that decode.
QByteArray toCp1252(const QString& text);
QString fromCp1252(const QByteArray& bytes);
bool fitsCp1252(QChar c);
// A letter's capital when the set carries it (ã gives Ã, ÿ gives Ÿ); any
// other character as it is (ß and µ, whose capitals the set lacks).
QChar upperCp1252(QChar c);
QString upperCp1252(const QString& text);
// The byte that carries c, or -1 when the set has none.
int cp1252Byte(QChar c);
// The offset of the first byte that stands for no character of the set, or
// -1 when every byte decodes.
qsizetype firstUndefinedCp1252(QByteArrayView bytes);

} // namespace plat::sys
