#include "app/windows/WindowCommands.h"

#include "app/windows/TFrm_Copias.h"
#include "app/windows/TZelta.h"
#include "advisors/windows/TFrm_Orientadores.h"
#include "exchange/windows/TFrm_Gerar.h"
#include "exchange/windows/TFrm_ImportarPlanilha.h"
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

    // A recovery or a restore may bring another institution: the main window
    // shows it once the window that changed the register has closed.
    zelta.setLauncher(TZelta::Command::Recuperar, [&zelta](Sessao& sessao, QWidget* parent) {
        TFrm_Recuperar form(sessao, parent);
        plat::ui::showModal(&form);
        if (form.registerChanged())
            zelta.refreshInstitution();
    });

    // With no drive, tells so first, then offers another folder.
    zelta.setLauncher(TZelta::Command::GeraDisquete,
                      [](Sessao& sessao, QWidget* parent) { TFrm_Gerar::executar(sessao, parent); });

    zelta.setLauncher(TZelta::Command::Verificacao, [](Sessao& sessao, QWidget* parent) {
        TFrm_Verifica form(sessao, parent);
        plat::ui::showModal(&form);
    });

    zelta.setLauncher(TZelta::Command::Orientadores, [](Sessao& sessao, QWidget* parent) {
        TFrm_Orientadores form(sessao, parent);
        plat::ui::showModal(&form);
    });

    zelta.setLauncher(TZelta::Command::Bolsistas, [](Sessao& sessao, QWidget* parent) {
        TFrm_Bolsistas form(sessao, parent);
        plat::ui::showModal(&form);
    });

    zelta.setLauncher(TZelta::Command::Copias, [&zelta](Sessao& sessao, QWidget* parent) {
        TFrm_Copias form(sessao, parent);
        plat::ui::showModal(&form);
        if (form.registerChanged())
            zelta.refreshInstitution();
    });

    zelta.setLauncher(TZelta::Command::ImportarPlanilha, [](Sessao& sessao, QWidget* parent) {
        TFrm_ImportarPlanilha form(sessao, parent);
        plat::ui::showModal(&form);
    });

    zelta.setLauncher(TZelta::Command::Relatorios, [](Sessao& sessao, QWidget* parent) {
        TFrm_Sele_Rel form(sessao, parent);
        plat::ui::showModal(&form);
    });
}

} // namespace zelta
