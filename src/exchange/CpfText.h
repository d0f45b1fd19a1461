#pragma once

#include <QString>

namespace zelta {

// CPFs cross the file boundary as 11 bare digits and live in the tables as the
// 14-character text ddd.ddd.ddd-dd.

// The digits of a stored CPF in their order (punctuation dropped), for the
// submission file. Other characters are kept out; the result may be shorter
// than 11 when the stored text is incomplete.
QString cpfDigits(const QString& stored);

// The stored form of 11 characters read from a file: ddd.ddd.ddd-dd, taken
// position by position (blanks stay blanks), so that a CPF written by the
// agency's file maps onto the same text the entry forms store.
QString formatCpf(const QString& elevenChars);

} // namespace zelta
