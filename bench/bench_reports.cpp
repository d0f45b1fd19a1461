// The checking reports on a large register: the holder report over 20,000
// holders (every situation chosen) and the advisor report over 20,000
// advisors, each laid out and written to PDF. Best of three runs.
#include "platform/report/PdfWriter.h"
#include "reports/SelecaoRelatorio.h"
#include "support/Register.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>

using namespace zelta;
using namespace zelta::bench;

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QTemporaryDir out;

    Register reg(RegisterShape{20000, 20000, 1.0 / 3.0});
    int holderPages = 0;
    int advisorPages = 0;
    const double holders = bestOf([&] {
        const plat::report::PageModel pages = paginasRelatorioBol(reg.dm(), SituacoesBolsista{true, true, true});
        holderPages = pages.pageCount();
        plat::report::writePdf(pages, out.filePath(QStringLiteral("bolsistas.pdf")));
    });
    const double advisors = bestOf([&] {
        const plat::report::PageModel pages = paginasRelatorioOri(reg.dm());
        advisorPages = pages.pageCount();
        plat::report::writePdf(pages, out.filePath(QStringLiteral("orientadores.pdf")));
    });
    // The two halves on their own: laying out, and painting to PDF.
    plat::report::PageModel bolPages, oriPages;
    const double holdersLayout = bestOf([&] { bolPages = paginasRelatorioBol(reg.dm(), SituacoesBolsista{true, true, true}); });
    const double holdersPdf = bestOf([&] { plat::report::writePdf(bolPages, out.filePath(QStringLiteral("b.pdf"))); });
    const double advisorsLayout = bestOf([&] { oriPages = paginasRelatorioOri(reg.dm()); });
    const double advisorsPdf = bestOf([&] { plat::report::writePdf(oriPages, out.filePath(QStringLiteral("o.pdf"))); });
    report(QStringLiteral("holder report, layout only"), holdersLayout, QStringLiteral("ms"));
    report(QStringLiteral("holder report, PDF only"), holdersPdf, QStringLiteral("ms"));
    report(QStringLiteral("advisor report, layout only"), advisorsLayout, QStringLiteral("ms"));
    report(QStringLiteral("advisor report, PDF only"), advisorsPdf, QStringLiteral("ms"));
    auto sizeKb = [&](const char* name) { return QFileInfo(out.filePath(QString::fromLatin1(name))).size() / 1024; };
    report(QStringLiteral("holder report PDF size"), double(sizeKb("bolsistas.pdf")), QStringLiteral("KB"));
    report(QStringLiteral("advisor report PDF size"), double(sizeKb("orientadores.pdf")), QStringLiteral("KB"));
    report(QStringLiteral("holder report, 20000 holders, %1 pages, to PDF").arg(holderPages), holders, QStringLiteral("ms"),
           QStringLiteral("< 3000 ms"));
    report(QStringLiteral("advisor report, 20000 advisors, %1 pages, to PDF").arg(advisorPages), advisors, QStringLiteral("ms"),
           QStringLiteral("< 3000 ms"));

    // A report prints only from a register that passes the full check: 20,000
    // holders chosen (new and renewed) out of 100,000, beside 50,000 advisors.
    Register large(RegisterShape{50000, 100000, 0.8});
    const double check = bestOf([&] { large.dm().checkRegister(); });
    int chosenPages = 0;
    const double checked = bestOf([&] {
        large.dm().checkRegister();
        const plat::report::PageModel pages = paginasRelatorioBol(large.dm(), SituacoesBolsista{true, true, false});
        chosenPages = pages.pageCount();
        plat::report::writePdf(pages, out.filePath(QStringLiteral("escolhidos.pdf")));
    });
    report(QStringLiteral("full check alone, 100,000 holders and 50,000 advisors"), check, QStringLiteral("ms"),
           QStringLiteral("< 1000 ms"));
    report(QStringLiteral("holder report of 20,000 of 100,000 holders, %1 pages, full check and PDF").arg(chosenPages), checked,
           QStringLiteral("ms"), QStringLiteral("< 3000 ms"));
    return 0;
}
