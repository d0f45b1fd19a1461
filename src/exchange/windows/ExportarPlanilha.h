#pragma once

#include "app/windows/Sessao.h"
#include "exchange/sheets/SheetExport.h"

#include <QString>

class QWidget;

namespace zelta {

// "Exportar Planilha...": asks where to write the list (XLSX, ODS or CSV, by
// the type chosen), writes it through the spreadsheet export and says where it
// went. The file appears whole or not at all; a failure is told in the general
// error report. Returns the file written, empty when the user cancelled.
QString exportarPlanilha(Sessao& sessao, sheets::ExportList list, QWidget* parent);

} // namespace zelta
