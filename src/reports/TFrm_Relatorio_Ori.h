#pragma once

#include "platform/report/Report.h"

#include <memory>

namespace plat::db {
class Table;
}

namespace zelta {

class TDm_Dados;

// The advisor checking report: one framed block per advisor of the whole
// advisor table, in the table's primary order, with the registration data, the
// titulação, the knowledge area, the project title, the key words and the
// researcher status. A report object, never a window of its own.
class TFrm_Relatorio_Ori : public plat::report::Report {
public:
    static constexpr const char* kTitle = "Relatório de Conferência - Orientadores";

    // The report's own advisor view opens here and closes with the report.
    explicit TFrm_Relatorio_Ori(TDm_Dados& dados);
    ~TFrm_Relatorio_Ori() override;

    static plat::report::ReportLayout layoutDefinition();

    // The printed forms of the coded fields.
    static QString areaFormatada(const QString& codArea); // d.dd.dd.dd-d, or "Não Informado"
    static QString palavraTitulacao(const QString& titulacao);
    static QString palavraPesquisador(const QString& pesquisador);

    // The hook run before each detail band: sets the three words.
    static void QRBand1BeforePrint(plat::report::BandContext& band);

private:
    std::unique_ptr<plat::db::Table> m_orientador;
    std::unique_ptr<plat::report::TableSource> m_rows;
};

} // namespace zelta
