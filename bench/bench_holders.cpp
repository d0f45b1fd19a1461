// The holder list on 100,000 holders: opening the window with its three counts
// against the quota, and one keystroke of search as you type (the cursor
// moves and the grid follows).
#include "app/AppContext.h"
#include "data/TDm_Dados.h"
#include "holders/TFrm_Bolsistas.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/MaskEdit.h"
#include "support/Register.h"
#include "validation/TVlCpfCgc.h"

#include <QApplication>
#include <QKeyEvent>

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

void typeKey(QWidget* box, QChar c)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(box, &press);
    QCoreApplication::sendEvent(box, &release);
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
    AppContext ctx;
    ctx.Dm_Dados = &reg->dm();
    ctx.VerificarCpfCgc = &validator;

    double open = 1e9;
    for (int run = 0; run < 3; ++run) {
        std::unique_ptr<TFrm_Bolsistas> w;
        open = std::min(open, timeMs([&] {
            w = std::make_unique<TFrm_Bolsistas>(ctx);
            w->show();
            paintNow(*w);
        }));
    }
    report(QStringLiteral("open the holder list with its counters (100,000 holders, painted)"), open,
           QStringLiteral("ms"), QStringLiteral("< 150 ms"));

    double counters = 1e9;
    TFrm_Bolsistas w(ctx);
    w.show();
    paintNow(w);
    for (int run = 0; run < 3; ++run)
        counters = std::min(counters, timeMs([&] { w.AtualizaTotais(); }));
    report(QStringLiteral("refresh of the three counters"), counters, QStringLiteral("ms"));
    QCoreApplication::processEvents();

    double mean = 1e9;
    double worstOfBest = 1e9;
    for (int run = 0; run < 3; ++run) {
        double total = 0;
        double worst = 0;
        int keys = 0;
        for (unsigned n = 0; n < 40; ++n) {
            const QString name = Register::name(n * 2654435761u + unsigned(run));
            w.Ed_Bolsistas->clear();
            paintNow(w);
            for (QChar c : name.left(8)) {
                const double ms = timeMs([&] {
                    typeKey(w.Ed_Bolsistas, c);
                    paintNow(w);
                });
                total += ms;
                worst = std::max(worst, ms);
                ++keys;
            }
        }
        mean = std::min(mean, total / keys);
        worstOfBest = std::min(worstOfBest, worst);
    }
    report(QStringLiteral("one keystroke of search (cursor and grid), mean"), mean, QStringLiteral("ms"),
           QStringLiteral("< 5 ms"));
    report(QStringLiteral("one keystroke of search, slowest"), worstOfBest, QStringLiteral("ms"), QStringLiteral("< 5 ms"));
    return 0;
}
