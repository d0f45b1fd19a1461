// The report selection window with a holder situation chosen, and the first
// page of each checking report as the preview shows it, with a holder and an
// advisor whose name and project title are as long as the fields allow.
#include "ScreenRegistry.h"

#include "data/TDm_Dados.h"
#include "platform/db/Database.h"
#include "platform/ui/PreviewWindow.h"
#include "reports/SelecaoRelatorio.h"
#include "reports/windows/TFrm_Sele_Rel.h"

#include <QCheckBox>

namespace zelta::screens {

namespace {

// Adds a long-named advisor with a long title and a holder of that advisor,
// runs fn, and takes them away again so the other screens see the sample data
// as it was.
plat::report::PageModel withLongTexts(TDm_Dados& dados, const std::function<plat::report::PageModel()>& fn)
{
    plat::db::Database& db = dados.database();
    const QString title = QStringLiteral(
        "AVALIAÇÃO DOS EFEITOS DA FRAGMENTAÇÃO FLORESTAL SOBRE AS COMUNIDADES DE POLINIZADORES NATIVOS E A PRODUTIVIDADE "
        "DE CULTURAS AGRÍCOLAS DEPENDENTES DE POLINIZAÇÃO EM PAISAGENS DO CERRADO E DA MATA ATLÂNTICA, COM ÊNFASE EM ABELHAS");
    db.exec(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, "
                           "PESQUISADOR, CATEGORIA, ALTERA) VALUES ('529.982.247-25', ?, 'D', ?, 'FRAGMENTAÇÃO FLORESTAL', "
                           "'POLINIZAÇÃO AGRÍCOLA', 'ABELHAS NATIVAS SOLITÁRIAS', '20503000', 'S', '1A', ' ')"),
            {QStringLiteral("MARIA APARECIDA DOS SANTOS FERREIRA DE ALBUQUERQUE CAVALCANTI"), title.left(240)});
    const qint64 advisor = db.lastInsertRowId();
    db.exec(QStringLiteral("INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, "
                           "CODIGO_AGENCIA, CONTA_BANCO, CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA) "
                           "VALUES (?, '111.444.777-35', 'F', '1979-11-30', '52.0312/99-7', '00417', 'Novo', 'S', '3342-1', "
                           "'0012345-6', '529.982.247-25', '', ?, '')"),
            {QStringLiteral("JOSEFINA MARGARIDA WANDERLEY DE VASCONCELOS BITTENCOURT"), advisor});
    const qint64 holder = db.lastInsertRowId();
    plat::report::PageModel pages = fn();
    db.exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid = ?"), {holder});
    db.exec(QStringLiteral("DELETE FROM ZELTAORI WHERE Codigo = ?"), {advisor});
    return pages;
}

const ScreenRegistrar selecao("relatorios", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    auto window = std::make_unique<TFrm_Sele_Rel>(ctx.sessao, ctx.owner);
    window->CheckNovos->setChecked(true);
    window->CheckExcluidos->setChecked(true);
    return window;
});

const ScreenRegistrar relatorioBol("relatorio_bolsistas", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    const plat::report::PageModel pages = withLongTexts(ctx.dados, [&] {
        return paginasRelatorioBol(ctx.dados, SituacoesBolsista{true, true, true});
    });
    return std::make_unique<plat::ui::PreviewWindow>(pages, ctx.owner);
});

const ScreenRegistrar relatorioOri("relatorio_orientadores", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    const plat::report::PageModel pages = withLongTexts(ctx.dados, [&] { return paginasRelatorioOri(ctx.dados); });
    return std::make_unique<plat::ui::PreviewWindow>(pages, ctx.owner);
});

} // namespace

} // namespace zelta::screens

namespace zelta::screens {

namespace {

// The last page of the holder report, where the holder with the long name and
// the long project title is printed.
const ScreenRegistrar relatorioBolUltima("relatorio_bolsistas_ultima", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    const plat::report::PageModel pages = withLongTexts(ctx.dados, [&] {
        return paginasRelatorioBol(ctx.dados, SituacoesBolsista{true, true, true});
    });
    auto preview = std::make_unique<plat::ui::PreviewWindow>(pages, ctx.owner);
    preview->showPage(pages.pageCount() - 1);
    return preview;
});

} // namespace

} // namespace zelta::screens
