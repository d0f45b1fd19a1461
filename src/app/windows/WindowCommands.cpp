#include "app/windows/WindowCommands.h"

#include "app/windows/TFrm_Copias.h"
#include "app/windows/TZelta.h"
#include "advisors/windows/TFrm_Orientadores.h"
#include "exchange/windows/TFrm_Gerar.h"
#include "exchange/windows/TFrm_Recuperar.h"
#include "holders/windows/TFrm_Bolsistas.h"
#include "platform/ui/ModalRunner.h"
#include "reports/windows/TFrm_Sele_Rel.h"
#include "validation/windows/TFrm_Verifica.h"

namespace zelta {

void registerWindowCommands(TZelta& zelta)
{
    // The registry windows, the verification, the generation, the recovery
    // and the report selection register here as they are added.

    zelta.setLauncher(TZelta::Command::Recuperar, [](AppContext& ctx) {
        TFrm_Recuperar form(ctx, ctx.Zelta);
        plat::ui::showModal(&form);
    });

    // Closes at once, without being shown, when no drive exists.
    zelta.setLauncher(TZelta::Command::GeraDisquete, [](AppContext& ctx) { TFrm_Gerar::executar(ctx, ctx.Zelta); });

    zelta.setLauncher(TZelta::Command::Verificacao, [](AppContext& ctx) {
        TFrm_Verifica form(ctx, ctx.Zelta);
        plat::ui::showModal(&form);
    });

    zelta.setLauncher(TZelta::Command::Orientadores, [](AppContext& ctx) {
        TFrm_Orientadores form(ctx, ctx.Zelta);
        plat::ui::showModal(&form);
    });

    zelta.setLauncher(TZelta::Command::Bolsistas, [](AppContext& ctx) {
        TFrm_Bolsistas form(ctx, ctx.Zelta);
        plat::ui::showModal(&form);
    });

    zelta.setLauncher(TZelta::Command::Copias, [](AppContext& ctx) {
        TFrm_Copias form(ctx, ctx.Zelta);
        plat::ui::showModal(&form);
    });

    zelta.setLauncher(TZelta::Command::Relatorios, [](AppContext& ctx) {
        TFrm_Sele_Rel form(ctx, ctx.Zelta);
        plat::ui::showModal(&form);
    });
}

} // namespace zelta
