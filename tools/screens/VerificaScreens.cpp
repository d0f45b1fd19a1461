// The completeness verification after a run that found errors, and the first
// page of its report as the preview shows it.
#include "ScreenRegistry.h"

#include "data/TDm_Dados.h"
#include "app/windows/Sessao.h"
#include "platform/db/Table.h"
#include "platform/ui/PreviewWindow.h"
#include "validation/TFrm_Relatorio_Erro.h"
#include "validation/windows/TFrm_Verifica.h"
#include "validation/Verificacao.h"
#include "SampleData.h"

namespace zelta::screens {

namespace {

const ScreenRegistrar verificacao("verificacao", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    auto window = std::make_unique<TFrm_Verifica>(ctx.sessao, ctx.owner);
    window->create();
    withGaps(ctx.dados, [&] { window->BitBtnVerificarClick(); });
    return window;
});

const ScreenRegistrar relatorioErros("relatorio_erros", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    withGaps(ctx.dados, [&] {
        Verificacao run(ctx.dados, *ctx.sessao.VerificarCpfCgc);
        run.run();
    });
    plat::db::Table& erros = *ctx.dados.Tb_Erro_Bol_Ori;
    erros.open();
    TFrm_Relatorio_Erro report(erros);
    auto preview = std::make_unique<plat::ui::PreviewWindow>(report.layOut(), ctx.owner);
    erros.close();
    return preview;
});

} // namespace

} // namespace zelta::screens
