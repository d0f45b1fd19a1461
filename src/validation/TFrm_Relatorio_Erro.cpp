#include "validation/TFrm_Relatorio_Erro.h"

#include "data/TDm_Dados.h"
#include "reports/PageHeader.h"

namespace zelta {

using namespace plat::report;

ReportLayout TFrm_Relatorio_Erro::layoutDefinition()
{
    ReportLayout layout;
    layout.title = QString::fromUtf8(kTitle);

    addPageHeader(layout, 163.5, 56.6, QStringLiteral("Titulo"));

    Band& detail = layout.detail;
    detail.height = 6.6;
    detail.addField(QStringLiteral("Linha"), 4.2, 1.9, regular(10)).named(QStringLiteral("Linha"));
    return layout;
}

TFrm_Relatorio_Erro::TFrm_Relatorio_Erro(TDm_Dados& dados) : TFrm_Relatorio_Erro(*dados.Tb_Erro_Bol_Ori) {}

TFrm_Relatorio_Erro::TFrm_Relatorio_Erro(plat::db::Table& erros)
    : Report(layoutDefinition()), m_rows(std::make_unique<TableSource>(erros))
{
    setSource(m_rows.get());
}

} // namespace zelta
