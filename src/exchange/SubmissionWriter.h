#pragma once

#include "platform/system/Error.h"

#include <QString>

#include <functional>

class QIODevice;

namespace plat::db {
class Database;
}

namespace zelta {

// Progress of the writing, in whole percent of the holders written. It is
// called only when the value changes, and ends at 100.
using SubmissionProgress = std::function<void(int percent)>;

struct SubmissionResult {
    QString filePath;
    int holders = 0;
    qint64 bytes = 0;
};

// The institution's number from the first record of ZELTAINT; empty when the
// table holds none.
QString institutionNumber(plat::db::Database& db);

// Writes the header line and one record per holder, in the primary order of
// ZELTABOL, to an open device. Each holder's advisor is the ZELTAORI record
// whose Codigo is the holder's NUMERO_ORIENTADOR; when there is none, the
// advisor's fields are blanks. Returns the number of holders written; a device
// that refuses bytes raises plat::Error (Output) with its error text, and so does a
// walk that did not meet every row of the table (a damaged index).
int writeSubmission(plat::db::Database& db, const QString& numeroInstituicao, QIODevice& out,
                    const SubmissionProgress& progress = {});

// Writes the file <first 8 characters of the institution's number>.htm into
// the folder. The file appears under its name only when it is complete and
// reads back as written; on any failure the older file of that name, if any,
// stays as it was and no other file is left behind (but for a folder that does
// not confirm the rename: the message then says the file has its name).
// Temporary files of earlier runs that were killed are removed first. Does not
// run the pre-check.
// beforeCommit runs when every byte is written, before the rename; it throws
// to abandon the file.
SubmissionResult generateSubmissionFile(plat::db::Database& db, const QString& directory, const SubmissionProgress& progress = {},
                                        const std::function<void()>& beforeCommit = {});

} // namespace zelta
