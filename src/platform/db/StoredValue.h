#pragma once

#include "platform/db/Schema.h"

#include <QByteArrayView>
#include <QDate>
#include <QVariant>

namespace plat::db {

// A value as the engine holds it in a column: its storage class and its
// number or bytes. Text (and a blob, read as text) points into the engine's
// or a record's memory and is valid only as long as that is.
struct StoredValue {
    enum Kind { Null, Integer, Real, Text };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;
    QByteArrayView text;
};

// The one reading of a stored value as a field of the given type, for table
// cursors and queries alike:
// - nothing stored reads as "" for a text field and as no value otherwise;
// - a number reads as text in its plain form, and as the other numeric type
//   when the field has that one (rounded to a whole number for an integer);
// - text reads as a number or a date only when it is one (a date as ISO
//   yyyy-mm-dd, possibly followed by a time); anything else, and a number
//   stored in a date field, reads as no value, never as a made-up 0.
QVariant decodeStored(FieldType type, const StoredValue& value);

// A date stored as ISO text; an invalid date for anything else.
QDate storedDate(QByteArrayView text);

} // namespace plat::db
