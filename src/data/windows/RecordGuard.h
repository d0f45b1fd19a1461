#pragma once

#include <QtGlobal>

class QWidget;

namespace plat::db {
class Table;
}

namespace zelta {

// Keeps a list window from writing to a record that another program changed
// under it. The window writes by record number; after a restore or a
// recovery run elsewhere (or an edit in the sqlite3 shell), that number may
// belong to somebody else. SQLite's data version tells that another
// connection wrote since the window last looked; the current record is then
// read again and compared with what the window shows.
class RecordGuard {
public:
    explicit RecordGuard(plat::db::Table& table) : m_table(table) {}

    // The window has read its records: writes by other programs count from here.
    void seen();
    // True when the current record may be written: nothing was written by
    // another program since seen(), or the record still holds every value
    // the window shows. Otherwise the list is read again, the user is told,
    // and nothing is to be written.
    bool currentUnchanged(QWidget* parent);

    static QString changedText();

private:
    plat::db::Table& m_table;
    qint64 m_version = -1;
};

} // namespace zelta
