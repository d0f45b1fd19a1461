#pragma once

#include <QByteArray>
#include <QString>

namespace zelta::sheets {

// What a CSV file's bytes are before they are split into fields: their
// character set, their separator, and the bytes to split (UTF-8 or
// Windows-1252), without the byte-order mark and the "sep=" line.
struct CsvText {
    enum class Encoding { Utf8, Utf16, Cp1252 };
    Encoding encoding = Encoding::Utf8;
    char separator = ';';
    QByteArray owned;    // the bytes when they had to be converted (UTF-16)
    QByteArrayView body; // the bytes to split, in `owned` or in the file's bytes
};

// The character set: UTF-16 by its byte-order mark (what spreadsheet
// programs save as "Unicode text"), UTF-8 when the bytes are UTF-8 (with or
// without the mark), otherwise Windows-1252, whose fields the reader checks
// with firstImplausible(). The separator: the one a first line "sep=;" names
// (that line is then no row), else the one the first line uses most outside
// quotes, ';' before TAB before ','. `bytes` must outlive the result.
CsvText csvText(const QByteArray& bytes);

// The encoding as shown to the user: "UTF-8", "UTF-16" or "Windows-1252".
QString encodingName(CsvText::Encoding encoding);

// Where a text read as Windows-1252 holds what no Portuguese text does, which
// tells that its bytes are of another character set (a legacy code page
// such as the DOS or Macintosh ones): a control character or an undefined
// byte; a sign or letter outside Portuguese (Æ, ‡, ¶, µ, Ö...); an accented
// lower-case letter before a capital, or an accented capital after a
// lower-case letter; a Ç before anything but A, O or U; a typographic mark
// (a curly quote, a dash, an ellipsis, a no-break space) between two
// letters. -1 when it could be Portuguese.
qsizetype firstImplausible(QStringView text);

} // namespace zelta::sheets
