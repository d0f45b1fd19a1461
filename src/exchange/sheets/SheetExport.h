#pragma once

#include <QString>

namespace zelta {
class TDm_Dados;
}

namespace zelta::sheets {

// The lists that can be exported.
enum class ExportList { Holders, Advisors, Pendencias };

// Writes a list to a spreadsheet, the format named by the file's extension
// (.xlsx, .ods, .csv): a heading row in Portuguese, then one row per record
// in the list's order (holders and advisors by name as their lists show
// them; pending problems in the order of the verification's log, one row per
// problem). Returns the rows written below the headings.
int exportList(TDm_Dados& dm, ExportList list, const QString& path);

} // namespace zelta::sheets
