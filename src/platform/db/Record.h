#pragma once

#include "platform/db/Schema.h"
#include "platform/db/Sqlite.h"

#include <QByteArray>
#include <QVariant>
#include <QVariantList>

namespace plat::db {

// Position of a record in a cursor's ordering: its ordering values and record number.
struct Bookmark {
    QVariantList key;
    qint64 rowid = 0;
    bool isValid() const { return rowid != 0; }
};

// A record read by a cursor: every field of the table, in physical order, kept
// packed as the engine gave it (one allocation per record) and decoded field by
// field when asked for (decodeStored), so that walking a large table stays cheap.
class Record {
public:
    qint64 rowid = 0;
    int fieldCount() const;
    bool isEmpty() const { return m_data.isEmpty(); }
    QVariant value(int index, const FieldDef& def) const;
    // The row of st: the record number in column 0, then count fields from firstColumn.
    static Record read(const Statement& st, int firstColumn, int count);

private:
    QByteArray m_data; // header of (offset, length|kind) pairs, then the values
};

} // namespace plat::db
