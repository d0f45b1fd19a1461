// The advisor list on 100,000 advisors: opening the window, and one keystroke
// of search as you type (the cursor moves, the grid and the title follow).
#include "advisors/windows/TFrm_Orientadores.h"
#include "data/TDm_Dados.h"
#include "app/windows/Sessao.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBMemo.h"
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

// The window up and painted: built, shown, laid out and its grid and memo drawn.
void paintNow(TFrm_Orientadores& w)
{
    QCoreApplication::sendPostedEvents();
    w.DBGrid1->viewport()->repaint();
    w.DBMemo1->viewport()->repaint();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelta99"));

    std::unique_ptr<Register> reg;
    const double build = timeMs([&] { reg = std::make_unique<Register>(RegisterShape{100000, 0, 0.0}); });
    report(QStringLiteral("build register (100,000 advisors)"), build, QStringLiteral("ms"));
    TVlCpfCgc validator;
    Sessao sessao;
    sessao.Dm_Dados = &reg->dm();
    sessao.VerificarCpfCgc = &validator;
    reg->dm().database().ensureOpen();

    // Opening: the best of three.
    double open = 1e9;
    for (int run = 0; run < 3; ++run) {
        std::unique_ptr<TFrm_Orientadores> w;
        open = std::min(open, timeMs([&] {
                            w = std::make_unique<TFrm_Orientadores>(sessao);
                            w->create();
                            w->show();
                            paintNow(*w);
                        }));
    }
    report(QStringLiteral("open the advisor list (100,000 advisors, painted)"), open, QStringLiteral("ms"),
           QStringLiteral("< 100 ms"));

    // Keystrokes: names spread over the alphabet, typed letter by letter; each
    // keystroke moves the cursor and repaints the grid and the title.
    TFrm_Orientadores w(sessao);
    w.create();
    w.show();
    paintNow(w);
    // The grid samples the positions of a large table in idle time after it
    // is shown, before the user types.
    report(QStringLiteral("idle work after opening (position sample)"), timeMs([] { QCoreApplication::processEvents(); }),
           QStringLiteral("ms"));
    const KeystrokeFigures keys = measureKeystrokes(
        w.Ed_Orientador, [&] { w.Ed_Orientador->clear(); }, [&] { paintNow(w); });
    report(QStringLiteral("one keystroke of search (cursor, grid and title), mean wall time"), keys.wallMean,
           QStringLiteral("ms"), QStringLiteral("< 5 ms"));
    report(QStringLiteral("one keystroke of search, mean processor time"), keys.cpuMean, QStringLiteral("ms"),
           QStringLiteral("< 5 ms"));
    report(QStringLiteral("one keystroke of search, slowest processor time"), keys.cpuWorst, QStringLiteral("ms"),
           QStringLiteral("< 5 ms"));

    // The parts of a keystroke: the cursor's search (the grid and title follow
    // it), and the cursor's own count of the records before it, which the grid
    // avoids.
    plat::db::Table& ori = *reg->dm().Tb_Orientador;
    double search = 0;
    double position = 0;
    int lookups = 0;
    for (unsigned n = 0; n < 40; ++n) {
        const QString name = Register::name(n * 2654435761u);
        for (int len = 1; len <= 8; ++len) {
            search += cpuMs([&] { ori.findNearest({name.left(len)}); });
            position += cpuMs([&] { ori.positionOf(ori.bookmark()); });
            ++lookups;
        }
    }
    report(QStringLiteral("nearest search with the grid and title following (processor)"), search / lookups,
           QStringLiteral("ms"));
    report(QStringLiteral("for comparison: the cursor counting the records before it (processor)"), position / lookups,
           QStringLiteral("ms"));
    // The list stands where the last name typed leads.
    report(QStringLiteral("rows held by the grid"), w.DBGrid1->cursorModel()->heldRecords(), QStringLiteral("records"));
    return 0;
}
