// The holder list on 100,000 holders: opening the window with its three counts
// against the quota, and one keystroke of search as you type (the cursor
// moves and the grid follows).
#include "app/windows/Sessao.h"
#include "data/TDm_Dados.h"
#include "holders/windows/TFrm_Bolsistas.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/MaskEdit.h"
#include "support/Keystrokes.h"
#include "support/Register.h"
#include "validation/TVlCpfCgc.h"

#include <QApplication>

#include <algorithm>
#include <memory>

using namespace zelta;
using namespace zelta::bench;

namespace {

void paintNow(TFrm_Bolsistas& w)
{
    QCoreApplication::sendPostedEvents();
    w.DBGrid1->viewport()->repaint();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelta99"));

    std::unique_ptr<Register> reg;
    const double build = timeMs([&] { reg = std::make_unique<Register>(RegisterShape{20000, 100000}); });
    report(QStringLiteral("build register (20,000 advisors, 100,000 holders)"), build, QStringLiteral("ms"));
    TVlCpfCgc validator;
    Sessao sessao;
    sessao.Dm_Dados = &reg->dm();
    sessao.VerificarCpfCgc = &validator;

    double open = 1e9;
    for (int run = 0; run < 3; ++run) {
        std::unique_ptr<TFrm_Bolsistas> w;
        open = std::min(open, timeMs([&] {
                            w = std::make_unique<TFrm_Bolsistas>(sessao);
                            w->create();
                            w->show();
                            paintNow(*w);
                        }));
    }
    report(QStringLiteral("open the holder list with its counters (100,000 holders, painted)"), open, QStringLiteral("ms"),
           QStringLiteral("< 150 ms"));

    double counters = 1e9;
    TFrm_Bolsistas w(sessao);
    w.create();
    w.show();
    paintNow(w);
    for (int run = 0; run < 3; ++run)
        counters = std::min(counters, timeMs([&] { w.AtualizaTotais(); }));
    report(QStringLiteral("refresh of the three counters"), counters, QStringLiteral("ms"));
    QCoreApplication::processEvents();

    const KeystrokeFigures keys = measureKeystrokes(
        w.Ed_Bolsistas, [&] { w.Ed_Bolsistas->clear(); }, [&] { paintNow(w); });
    report(QStringLiteral("one keystroke of search (cursor and grid), mean wall time"), keys.wallMean, QStringLiteral("ms"),
           QStringLiteral("< 5 ms"));
    report(QStringLiteral("one keystroke of search, mean processor time"), keys.cpuMean, QStringLiteral("ms"),
           QStringLiteral("< 5 ms"));
    report(QStringLiteral("one keystroke of search, slowest processor time"), keys.cpuWorst, QStringLiteral("ms"),
           QStringLiteral("< 5 ms"));
    return 0;
}
