// The advisor registry: the list, the entry form on a stored advisor (whole,
// and its project title and its keywords alone), the area picker with a branch
// open, and the reassignment after one change.
#include "ScreenRegistry.h"

#include "advisors/windows/TFrm_Cad_Orientador.h"
#include "advisors/windows/TFrm_ExOrientador.h"
#include "advisors/windows/TFrm_Orientadores.h"
#include "advisors/windows/TFrm_SubArea.h"
#include "data/TDm_Dados.h"
#include "app/windows/Sessao.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/MaskEdit.h"

#include <QTreeWidget>

namespace zelta::screens {

namespace {

// Closes the advisor cursor when the window it is tied to goes, as the advisor
// list does for the windows it opens.
class CloseAdvisors : public QObject {
public:
    CloseAdvisors(TDm_Dados& dados, QObject* window) : QObject(window), m_dados(dados) {}
    ~CloseAdvisors() override { m_dados.Tb_Orientador->close(); }

private:
    TDm_Dados& m_dados;
};

void openAdvisorsOn(TDm_Dados& dados, const QString& name)
{
    dados.Tb_Orientador->setIndexFieldNames(QStringLiteral("NOME"));
    dados.Tb_Orientador->open();
    dados.Tb_Orientador->findNearest({name});
}

const ScreenRegistrar list("orientadores", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    auto window = std::make_unique<TFrm_Orientadores>(ctx.sessao, ctx.owner);
    window->create();
    window->Ed_Orientador->setText(QStringLiteral("CARLOS"));
    return window;
});

std::unique_ptr<QWidget> storedAdvisorForm(ScreenContext& ctx)
{
    openAdvisorsOn(ctx.dados, QStringLiteral("BEATRIZ"));
    auto window = std::make_unique<TFrm_Cad_Orientador>(ctx.dados, *ctx.sessao.VerificarCpfCgc, TFrm_Cad_Orientador::Modo::Editar,
                                                        QString(), ctx.owner);
    window->create();
    new CloseAdvisors(ctx.dados, window.get());
    return window;
}

const ScreenRegistrar form("cad_orientador", storedAdvisorForm);
const ScreenRegistrar formTitle("cad_orientador_titulo", storedAdvisorForm, boxesAround({QStringLiteral("DBMemoTitulo")}));
const ScreenRegistrar formKeywords("cad_orientador_palavras", storedAdvisorForm,
                                   boxesAround({QStringLiteral("DBEdPalavra1"), QStringLiteral("DBEdPalavra3")}));

const ScreenRegistrar newForm("cad_orientador_novo", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    openAdvisorsOn(ctx.dados, QString());
    auto window = std::make_unique<TFrm_Cad_Orientador>(ctx.dados, *ctx.sessao.VerificarCpfCgc, TFrm_Cad_Orientador::Modo::Novo,
                                                        QString(), ctx.owner);
    window->create();
    new CloseAdvisors(ctx.dados, window.get());
    return window;
});

const ScreenRegistrar picker("subarea", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    auto window = std::make_unique<TFrm_SubArea>(QString(), ctx.owner);
    QTreeWidgetItem* agronomia = window->Outline1->topLevelItem(1);
    window->Outline1->expandItem(agronomia);
    window->Outline1->expandItem(agronomia->child(0));
    window->Outline1->setCurrentItem(agronomia->child(0)->child(2));
    return window;
});

const ScreenRegistrar reassignment("ex_orientador", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    // The marks "Excluir" sets on an advisor with holders.
    TDm_Dados& dados = ctx.dados;
    openAdvisorsOn(dados, QStringLiteral("ANT"));
    const QString cpf = dados.Tb_Orientador->field(QStringLiteral("CPF")).asString();
    const qint64 codigo = dados.Tb_Orientador->field(QStringLiteral("CODIGO")).asInteger();
    dados.database().exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA='S' WHERE Codigo=?"), {codigo});
    dados.database().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA='S', CPF_EXORIENTADOR=CPF_ORIENTADOR "
                                         "WHERE NUMERO_ORIENTADOR=?"),
                          {codigo});
    auto window = std::make_unique<TFrm_ExOrientador>(dados, cpf, codigo, ctx.owner);
    window->create();
    new CloseAdvisors(dados, window.get());
    // One holder already given another advisor.
    plat::ui::CursorModel* rows = window->DBGrid1->cursorModel();
    window->DBGrid1->setCurrentIndex(rows->index(rows->rowCount() - 1, 0));
    window->EdOrientador->setText(QStringLiteral("BEATRIZ"));
    window->BitBtn1Click();
    return window;
});

} // namespace

} // namespace zelta::screens
