#pragma once

class QWidget;

namespace zelta {

class TDm_Dados;

// Shows, one plain message each, what the data module has to tell about the
// register's file (an index rebuilt from the tables).
void showRegisterNotices(TDm_Dados& dados, QWidget* parent);

// SQLite's full check of the register before a verification or a generation,
// with its notices shown. A damaged register throws, so the operation ends
// with the general error report naming the copy to restore.
void checkRegisterBeforeUse(TDm_Dados& dados, QWidget* parent);

} // namespace zelta
