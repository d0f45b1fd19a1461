#include "app/cli/Cli.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CliRelatorio.h"

#include "data/TDm_Dados.h"
#include "platform/db/DbError.h"
#include "platform/db/Table.h"
#include "platform/report/PdfWriter.h"
#include "platform/system/FullStop.h"
#include "platform/system/Options.h"
#include "platform/system/Settings.h"
#include "validation/TFrm_Relatorio_Erro.h"

#include <QDir>

namespace zelta::cli {

namespace {

struct ReportKind {
    const char* name;
    ReportBuilder build;
};

// Every report the command line can write. A new report adds its line here.
constexpr ReportKind kReports[] = {
    {"erros", relatorioErros},
    {"bolsistas", relatorioBolsistas},
    {"orientadores", relatorioOrientadores},
};

const char* kUsage = "Uso: zelta99 relatorio bolsistas|orientadores|erros --pdf ARQUIVO [--situacao Novo,Renovado,Excluído]\n";

const ReportKind* findReport(const QString& name)
{
    for (const ReportKind& kind : kReports)
        if (name == QLatin1StringView(kind.name))
            return &kind;
    return nullptr;
}

} // namespace

plat::report::PageModel relatorioErros(TDm_Dados& dados, const QStringList& options)
{
    if (!options.isEmpty())
        throw ReportUsageError{QStringLiteral("O relatório de erros não tem opções: %1").arg(options.join(u' '))};
    plat::db::Table& erros = *dados.Tb_Erro_Bol_Ori;
    erros.open();
    TFrm_Relatorio_Erro report(dados);
    plat::report::PageModel pages = report.layOut();
    erros.close();
    return pages;
}

int relatorio(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty()) {
        err << kUsage;
        return kExitUsage;
    }
    const ReportKind* kind = findReport(args.first());
    if (!kind) {
        err << QStringLiteral("Relatório desconhecido: %1\n").arg(args.first()) << kUsage;
        return kExitUsage;
    }

    QStringList options = args.mid(1);
    bool ok = true;
    const QString pdf = plat::sys::takeOption(options, QStringLiteral("--pdf"), &ok);
    if (!ok || pdf.isEmpty()) {
        err << "Falta o arquivo: --pdf ARQUIVO\n" << kUsage;
        return kExitUsage;
    }

    const QString dataDir = registerDirectory(err);
    if (dataDir.isEmpty())
        return kExitUsage;
    try {
        TDm_Dados dados(dataDir);
        const plat::report::PageModel pages = kind->build(dados, options);
        if (pages.isEmpty()) {
            // No rows, no pages: there is nothing to print, and no file is written.
            out << QStringLiteral("O relatório não tem linhas a imprimir; nenhum arquivo foi gravado.\n");
            return 0;
        }
        QString error;
        if (!plat::report::writePdf(pages, pdf, &error)) {
            err << plat::sys::withFullStop(error) << '\n';
            return kExitUsage;
        }
        out << QStringLiteral("%1: %2 página(s)\n").arg(QDir::toNativeSeparators(pdf)).arg(pages.pageCount());
        return 0;
    } catch (const ReportUsageError& e) {
        err << e.message << '\n' << kUsage;
    } catch (const plat::db::DbError& e) {
        err << plat::sys::withFullStop(e.message()) << '\n';
    }
    return kExitUsage;
}

} // namespace zelta::cli
