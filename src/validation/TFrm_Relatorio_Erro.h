#pragma once

#include "platform/report/Report.h"

#include <memory>

namespace plat::db {
class Table;
}

namespace zelta {

class TDm_Dados;

// The verification report: every line of the error table (ZELTAERR), from the
// first record to the last, one per detail band, under the framed page header
// that the checking reports share. It is a report object, never a window of
// its own: the verification window creates one for each print request and
// shows its pages in the preview, and the command line writes them to PDF.
class TFrm_Relatorio_Erro : public plat::report::Report {
public:
    static constexpr const char* kTitle = "Relatório de Verificação de Preenchimento";

    // Reads the data module's error table cursor, which must be open.
    explicit TFrm_Relatorio_Erro(TDm_Dados& dados);
    // Reads any cursor on the error table (tests, other data sets).
    explicit TFrm_Relatorio_Erro(plat::db::Table& erros);

    // The report's layout, on its own.
    static plat::report::ReportLayout layoutDefinition();

private:
    std::unique_ptr<plat::report::TableSource> m_rows;
};

} // namespace zelta
