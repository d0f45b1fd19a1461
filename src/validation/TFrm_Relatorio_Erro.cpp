#include "validation/TFrm_Relatorio_Erro.h"

#include "data/TDm_Dados.h"

namespace zelta {

using namespace plat::report;

ReportLayout TFrm_Relatorio_Erro::layoutDefinition()
{
    ReportLayout layout;
    layout.title = QString::fromUtf8(kTitle);

    Band& header = layout.pageHeader;
    header.height = 15.6;
    header.framed = true;
    header.addLabel(QStringLiteral("Orvu - Quarvelin Tessaline"), 1.3, 1.6, bold(10));
    header.addLabel(QStringLiteral("Zelta - 99"), 1.3, 6.9, bold(10));
    // The date and the page number end as far in from the right edge as the
    // names start from the left one.
    header.addDateTime(1.3, 1.6, regular(10)).named(QStringLiteral("DataHora")).toBand(Qt::AlignRight);
    header.addLabel(QStringLiteral("Página :"), 163.5, 6.9, regular(10));
    header.addPageNumber(1.3, 6.9, regular(10)).named(QStringLiteral("Pagina")).toBand(Qt::AlignRight);
    header.addLabel(layout.title, 56.6, 10.1, bold(12)).named(QStringLiteral("Titulo"));

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
