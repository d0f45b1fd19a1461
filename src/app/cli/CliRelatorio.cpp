#include "app/cli/Cli.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CliRelatorio.h"

#include "data/TDm_Dados.h"
#include "platform/db/Table.h"
#include "platform/report/PdfWriter.h"
#include "platform/system/Error.h"
#include "platform/system/Options.h"
#include "platform/system/Settings.h"
#include "validation/TFrm_Relatorio_Erro.h"

#include <QDir>
#include <QFileInfo>

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

const ReportKind* findReport(const QString& name)
{
    for (const ReportKind& kind : kReports)
        if (name == QLatin1StringView(kind.name))
            return &kind;
    return nullptr;
}

// A PDF renamed over an empty log would be deleted with it when the register
// closes, and one over a live log would damage the register.
void refuseRegisterFiles(const QString& pdf, const QString& dataDir)
{
    if (TDm_Dados::isRegisterFile(pdf, dataDir))
        throw plat::Error::usage(
            QStringLiteral("%1 é um arquivo do cadastro do Zelta 99, não um relatório; escolha outro nome para o PDF")
                .arg(QDir::toNativeSeparators(pdf)));
}

} // namespace

plat::report::PageModel relatorioErros(TDm_Dados& dados, const QStringList& options)
{
    if (!options.isEmpty())
        throw plat::Error::usage(QStringLiteral("O relatório de erros não tem opções: %1").arg(options.join(u' ')));
    plat::db::Table& erros = *dados.Tb_Erro_Bol_Ori;
    erros.open();
    TFrm_Relatorio_Erro report(dados);
    plat::report::PageModel pages = report.layOut();
    erros.close();
    return pages;
}

int relatorio(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty())
        throw plat::Error::usage({});
    const ReportKind* kind = findReport(args.first());
    if (!kind)
        throw plat::Error::usage(QStringLiteral("Relatório desconhecido: %1").arg(args.first()));

    QStringList options = args.mid(1);
    bool ok = true;
    const QString pdf = plat::sys::takeOption(options, QStringLiteral("--pdf"), &ok);
    if (!ok || pdf.isEmpty())
        throw plat::Error::usage(QStringLiteral("Falta o arquivo: --pdf ARQUIVO"));

    const QString dataDir = registerDirectory();
    refuseRegisterFiles(pdf, dataDir);
    TDm_Dados dados(dataDir);
    // Reports print from a register that passes the full check: damage
    // confined to indexes is repaired first (and told), other damage refused.
    dados.checkRegister();
    printNotices(dados, err);
    const plat::report::PageModel pages = kind->build(dados, options);
    if (pages.isEmpty()) {
        // No rows, no pages: there is nothing to print, and no file is written.
        out << QStringLiteral("O relatório não tem linhas a imprimir; nenhum arquivo foi gravado.\n");
        return 0;
    }
    plat::report::writePdf(pages, pdf);
    out << QStringLiteral("%1: %2 página(s)\n").arg(QDir::toNativeSeparators(pdf)).arg(pages.pageCount());
    return 0;
}

} // namespace zelta::cli
