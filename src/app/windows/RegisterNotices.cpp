#include "app/windows/RegisterNotices.h"

#include "data/TDm_Dados.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Messages.h"

namespace zelta {

void showRegisterNotices(TDm_Dados& dados, QWidget* parent)
{
    for (const QString& notice : dados.takeNotices())
        plat::ui::showMessage(plat::ui::withFullStop(notice), parent);
}

void checkRegisterBeforeUse(TDm_Dados& dados, QWidget* parent)
{
    {
        plat::ui::BusyCursor busy;
        dados.checkRegister();
    }
    showRegisterNotices(dados, parent);
}

} // namespace zelta
