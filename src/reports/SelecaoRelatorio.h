#pragma once

#include "platform/report/PageModel.h"

#include <QString>
#include <QStringList>

namespace plat::db {
class Query;
}

namespace zelta {

class TDm_Dados;

// The holder situations the holder checking report can be restricted to.
struct SituacoesBolsista {
    bool novos = false;
    bool renovados = false;
    bool excluidos = false;

    bool any() const { return novos || renovados || excluidos; }
};

// The selection condition for the chosen situations, in the order Novos,
// Renovados, Excluídos, joined by OR; each situation is a named parameter
// (situacao::bind), never a value in the text.
QString condicaoSituacao(const SituacoesBolsista& situacoes);

// Closes the holder report query, replaces its text with the single line
// "Select * From ZeltaBol Where " and the condition, binds the situations and
// opens it.
void prepararRelatorioBol(plat::db::Query& query, const SituacoesBolsista& situacoes);

// Reads a list such as "Novo,Renovado,Excluído" (any non-empty subset, in any
// order, case and accents as written or without the accent). An empty list or
// an unknown situation throws plat::Error (Usage) with a Portuguese message.
SituacoesBolsista lerSituacoes(const QString& list);

// The pages of each checking report, as the preview shows them: the holder
// report prepares the data module's holder query first.
plat::report::PageModel paginasRelatorioBol(TDm_Dados& dados, const SituacoesBolsista& situacoes);
plat::report::PageModel paginasRelatorioOri(TDm_Dados& dados);

} // namespace zelta
