#pragma once

#include "platform/db/Sqlite.h"

#include <QDate>
#include <QString>

#include <sqlite3.h>

namespace zelta {

// Fast reads of the current row of a statement for the long walks of the
// submission file: a text column goes into a string that is reused from row
// to row, so that plain ASCII (nearly every stored value) costs no allocation.
// Other text is decoded from UTF-8 as usual; NULL reads as an empty text.
inline void readText(const plat::db::Statement& st, int column, QString& into)
{
    sqlite3_stmt* raw = st.raw();
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
    const int n = p ? sqlite3_column_bytes(raw, column) : 0;
    for (int i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80) {
            into = QString::fromUtf8(p, n);
            return;
        }
    }
    into.resize(n);
    QChar* out = into.data();
    for (int i = 0; i < n; ++i)
        out[i] = QChar(char16_t(static_cast<unsigned char>(p[i])));
}

// A date column stored as ISO text (yyyy-mm-dd, possibly followed by a time);
// anything else reads as no date, as the table cursors read it.
inline QDate readDate(const plat::db::Statement& st, int column)
{
    sqlite3_stmt* raw = st.raw();
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
    if (!p || sqlite3_column_bytes(raw, column) < 10)
        return QDate();
    auto digits = [p](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (p[i] < '0' || p[i] > '9')
                return -1;
            v = v * 10 + (p[i] - '0');
        }
        return v;
    };
    const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
    if (y < 0 || m < 0 || d < 0 || p[4] != '-' || p[7] != '-')
        return QDate::fromString(QString::fromUtf8(p, 10), Qt::ISODate);
    return QDate(y, m, d);   // invalid for a day that does not exist
}

} // namespace zelta
