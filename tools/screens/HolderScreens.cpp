// The holder registry: the list with its counters, the entry form on a stored
// holder (whole, and its birth date and its bank branch alone), and the
// advisor picker after a search.
#include "ScreenRegistry.h"

#include "data/TDm_Dados.h"
#include "app/windows/Sessao.h"
#include "holders/windows/TFrm_Bolsistas.h"
#include "holders/windows/TFrm_Cad_Bolsistas.h"
#include "holders/windows/TFrm_SelOrientador.h"
#include "platform/ui/MaskEdit.h"

namespace zelta::screens {

namespace {

// Gives the cursors back when the window they were opened for goes, as the
// holder list does for the windows it opens.
class CloseCursors : public QObject {
public:
    CloseCursors(TDm_Dados& dados, QObject* window) : QObject(window), m_dados(dados) {}
    ~CloseCursors() override
    {
        m_dados.Tb_Bolsistas->close();
        m_dados.Tb_Orientador->close();
    }

private:
    TDm_Dados& m_dados;
};

const ScreenRegistrar list("bolsistas", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    auto window = std::make_unique<TFrm_Bolsistas>(ctx.sessao, ctx.owner);
    window->create();
    return window;
});

std::unique_ptr<QWidget> storedHolderForm(ScreenContext& ctx)
{
    TDm_Dados& dados = ctx.dados;
    dados.Tb_Bolsistas->setIndexFieldNames(QStringLiteral("Nome"));
    dados.Tb_Bolsistas->open();
    dados.Tb_Bolsistas->first();
    auto window = std::make_unique<TFrm_Cad_Bolsistas>(dados, *ctx.sessao.VerificarCpfCgc, TFrm_Cad_Bolsistas::Modo::Editar,
                                                       ctx.owner);
    window->create();
    new CloseCursors(dados, window.get());
    return window;
}

const ScreenRegistrar form("cad_bolsistas", storedHolderForm);
const ScreenRegistrar formBirth("cad_bolsistas_nascimento", storedHolderForm,
                                boxesAround({QStringLiteral("DBEdDataNascimento")}));
const ScreenRegistrar formBranch("cad_bolsistas_agencia", storedHolderForm, boxesAround({QStringLiteral("DBEdAgencia")}));

const ScreenRegistrar picker("sel_orientador", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    ctx.dados.Tb_Orientador->open();
    auto window = std::make_unique<TFrm_SelOrientador>(ctx.dados, ctx.owner);
    window->create();
    window->Ed_Orientador->setText(QStringLiteral("B"));
    new CloseCursors(ctx.dados, window.get());
    return window;
});

} // namespace

} // namespace zelta::screens
