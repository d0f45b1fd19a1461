// The completeness verification after a run that found errors, and the first
// page of its report as the preview shows it.
#include "ScreenRegistry.h"

#include "app/windows/AppContext.h"
#include "app/windows/TZelta.h"
#include "data/TDm_Dados.h"
#include "platform/db/Table.h"
#include "platform/ui/PreviewWindow.h"
#include "validation/TFrm_Relatorio_Erro.h"
#include "validation/windows/TFrm_Verifica.h"
#include "validation/Verificacao.h"

namespace zelta::screens {

namespace {

// Adds records with gaps to the sample data, runs fn, and takes them away
// again, so that the other screens show the sample data as it was. The error
// table keeps the lines of the run.
void withGaps(TDm_Dados& dados, const std::function<void()>& fn)
{
    plat::db::Database& db = dados.database();
    db.exec(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, "
                           "PESQUISADOR, CATEGORIA, ALTERA) VALUES ('529.982.247-20', 'RENATA MOURA DE CASTRO', '', "
                           "'ECOLOGIA DE POLINIZADORES', 'ABELHAS', '', '', '2050300', ' ', '  ', ' ')"));
    const qint64 advisor = db.lastInsertRowId();
    const char* holders[][4] = {
        {"GUSTAVO PEREIRA NUNES", "", "1234-5", "1"},
        {"MARIA APARECIDA DOS SANTOS FERREIRA DE ALBUQUERQUE", "F", "12 4-5", "1"},
        {"OTÁVIO RIBEIRO DIAS", "M", "0452-1", ""},
    };
    QList<qint64> added;
    int n = 0;
    for (const auto& h : holders) {
        const bool linked = *h[3] != '\0';
        db.exec(QStringLiteral("INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, "
                               "CODIGO_AGENCIA, CONTA_BANCO, CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA) "
                               "SELECT ?, ?, ?, '1980-04-12', '', '', 'Novo', '', ?, '', CASE WHEN ? THEN CPF ELSE '' END, '', "
                               "CASE WHEN ? THEN Codigo END, '' FROM ZELTAORI ORDER BY Codigo LIMIT 1"),
                {QString::fromUtf8(h[0]), QStringLiteral("52998224%1").arg(++n), QString::fromUtf8(h[1]), QString::fromUtf8(h[2]),
                 linked, linked});
        added << db.lastInsertRowId();
    }
    fn();
    for (qint64 rowid : added)
        db.exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid = ?"), {rowid});
    db.exec(QStringLiteral("DELETE FROM ZELTAORI WHERE Codigo = ?"), {advisor});
}

const ScreenRegistrar verificacao("verificacao", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    auto window = std::make_unique<TFrm_Verifica>(ctx.app, ctx.app.Zelta);
    withGaps(ctx.dados, [&] { window->BitBtnVerificarClick(); });
    return window;
});

const ScreenRegistrar relatorioErros("relatorio_erros", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    withGaps(ctx.dados, [&] {
        Verificacao run(ctx.dados, *ctx.app.VerificarCpfCgc);
        run.run();
    });
    plat::db::Table& erros = *ctx.dados.Tb_Erro_Bol_Ori;
    erros.open();
    TFrm_Relatorio_Erro report(erros);
    auto preview = std::make_unique<plat::ui::PreviewWindow>(report.layOut(), ctx.app.Zelta);
    erros.close();
    return preview;
});

} // namespace

} // namespace zelta::screens
