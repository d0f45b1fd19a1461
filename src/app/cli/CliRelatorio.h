#pragma once

#include "platform/report/PageModel.h"

#include <QString>
#include <QStringList>

namespace zelta {
class TDm_Dados;
}

namespace zelta::cli {

// A report that "zelta99 relatorio NOME --pdf ARQUIVO [OPÇÕES]" writes: it lays
// out its pages from the data. options holds the arguments left after the
// report's name and --pdf (for example "--situacao", "Novo,Renovado"); a builder
// that cannot use them throws plat::Error of kind Usage.
using ReportBuilder = plat::report::PageModel (*)(TDm_Dados& dados, const QStringList& options);

// The reports, one builder each (listed by name in CliRelatorio.cpp).
plat::report::PageModel relatorioErros(TDm_Dados& dados, const QStringList& options);
plat::report::PageModel relatorioBolsistas(TDm_Dados& dados, const QStringList& options); // --situacao LISTA
plat::report::PageModel relatorioOrientadores(TDm_Dados& dados, const QStringList& options);

} // namespace zelta::cli
