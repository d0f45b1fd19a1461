#include "reports/SelecaoRelatorio.h"

#include "data/TDm_Dados.h"
#include "platform/db/Query.h"
#include "platform/system/Error.h"
#include "reports/TFrm_Relatorio_Bol.h"
#include "reports/TFrm_Relatorio_Ori.h"
#include "validation/Situacao.h"

namespace zelta {

QString condicaoSituacao(const SituacoesBolsista& situacoes)
{
    QStringList condicao;
    if (situacoes.novos)
        condicao << QStringLiteral("Situacao=:novo");
    if (situacoes.renovados)
        condicao << QStringLiteral("Situacao=:renovado");
    if (situacoes.excluidos)
        condicao << QStringLiteral("Situacao=:excluido");
    return condicao.join(QStringLiteral(" OR "));
}

void prepararRelatorioBol(plat::db::Query& query, const SituacoesBolsista& situacoes)
{
    query.close();
    query.sql().clear();
    query.sql() << QStringLiteral("Select * From ZeltaBol Where ") + condicaoSituacao(situacoes);
    situacao::bind(query);
    query.open();
}

SituacoesBolsista lerSituacoes(const QString& list)
{
    SituacoesBolsista chosen;
    const QStringList names = list.split(u',', Qt::SkipEmptyParts);
    for (const QString& raw : names) {
        const QString name = raw.trimmed();
        if (name.compare(situacao::novo, Qt::CaseInsensitive) == 0)
            chosen.novos = true;
        else if (name.compare(situacao::renovado, Qt::CaseInsensitive) == 0)
            chosen.renovados = true;
        else if (name.compare(situacao::excluido, Qt::CaseInsensitive) == 0
                 || name.compare(QStringLiteral("Excluido"), Qt::CaseInsensitive) == 0)
            chosen.excluidos = true;
        else
            throw plat::Error::usage(QStringLiteral("Situação desconhecida: %1 (use Novo, Renovado, Excluído)").arg(name));
    }
    if (!chosen.any())
        throw plat::Error::usage(QStringLiteral("Escolha ao menos uma situação: Novo, Renovado, Excluído"));
    return chosen;
}

plat::report::PageModel paginasRelatorioBol(TDm_Dados& dados, const SituacoesBolsista& situacoes)
{
    prepararRelatorioBol(*dados.Qr_Relatorio_Bol, situacoes);
    TFrm_Relatorio_Bol report(dados);
    return report.layOut();
}

plat::report::PageModel paginasRelatorioOri(TDm_Dados& dados)
{
    TFrm_Relatorio_Ori report(dados);
    return report.layOut();
}

} // namespace zelta
