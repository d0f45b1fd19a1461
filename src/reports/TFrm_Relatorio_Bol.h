#pragma once

#include "platform/report/Report.h"

#include <memory>

namespace plat::db {
class Query;
class Table;
} // namespace plat::db

namespace zelta {

class TDm_Dados;

// The holder checking report: one framed block per row of the holder report
// query, with the holder's registration data and, through a master-detail link
// on the advisor number, the advisor's name and project title. It is a report
// object, never a window of its own: the report selection lays it out for the
// preview, and the command line writes it to PDF.
class TFrm_Relatorio_Bol : public plat::report::Report {
public:
    static constexpr const char* kTitle = "Relatório de Conferência - Bolsistas";

    // Prints the rows of the data module's holder report query, which must be
    // open. The report's own advisor view opens here and closes with the report.
    explicit TFrm_Relatorio_Bol(TDm_Dados& dados);
    ~TFrm_Relatorio_Bol() override;

    static plat::report::ReportLayout layoutDefinition();

    // The word printed for the stored SEXO code.
    static QString palavraSexo(const QString& sexo);

    // The hook run before each detail band: the sex word, and the project
    // title only for a holder that has an advisor number.
    static void QRBand1BeforePrint(plat::report::BandContext& band);

private:
    std::unique_ptr<plat::db::Table> m_orientador;
    std::unique_ptr<plat::report::QuerySource> m_rows;
    std::unique_ptr<plat::report::TableSource> m_orientadorRows;
};

} // namespace zelta
