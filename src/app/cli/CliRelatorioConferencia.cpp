// The checking reports of the "relatorio" subcommand: the holder report for
// the situations given with --situacao (every situation when it is left out,
// as the help shows it optional), and the advisor report.
#include "app/cli/CliRelatorio.h"

#include "data/TDm_Dados.h"
#include "platform/system/Error.h"
#include "reports/SelecaoRelatorio.h"

namespace zelta::cli {

plat::report::PageModel relatorioBolsistas(TDm_Dados& dados, const QStringList& options)
{
    QString list;
    bool given = false;
    for (int i = 0; i < options.size(); ++i) {
        if (options[i] == QStringLiteral("--situacao") && i + 1 < options.size()) {
            list = options[++i];
            given = true;
        } else if (options[i].startsWith(QStringLiteral("--situacao="))) {
            list = options[i].mid(11);
            given = true;
        } else {
            throw plat::Error::usage(QStringLiteral("Opção desconhecida: %1").arg(options[i]));
        }
    }
    const SituacoesBolsista situacoes = given ? lerSituacoes(list) : SituacoesBolsista{true, true, true};
    return paginasRelatorioBol(dados, situacoes);
}

plat::report::PageModel relatorioOrientadores(TDm_Dados& dados, const QStringList& options)
{
    if (!options.isEmpty())
        throw plat::Error::usage(QStringLiteral("O relatório de orientadores não tem opções: %1").arg(options.join(u' ')));
    return paginasRelatorioOri(dados);
}

} // namespace zelta::cli
