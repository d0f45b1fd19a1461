// Renders every registered window, filled with sample data, to PNG files.
//   zelta_screens OUTDIR [NAME...]
#include "SampleData.h"
#include "ScreenRegistry.h"

#include "app/windows/TZelta.h"
#include "data/TDm_Dados.h"
#include "platform/system/Settings.h"
#include "platform/ui/Messages.h"
#include "platform/ui/QtTranslation.h"
#include "platform/ui/TestHooks.h"
#include "platform/ui/WindowChrome.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

using namespace zelta;

namespace {

// Lets pending layout, polish and paint events run.
void settle(int ms = 100)
{
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (t.elapsed() < ms);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelta99"));
    plat::ui::installQtTranslation(app);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        err << "Uso: zelta_screens PASTA [NOME...]\n";
        return 2;
    }
    const QDir outDir(args.takeFirst());
    if (!QDir().mkpath(outDir.path())) {
        err << "Não foi possível criar " << outDir.path() << '\n';
        return 2;
    }

    // A window must never wait for an answer here: messages go to stderr and
    // modal windows opened by a screen are closed at once.
    int problems = 0;
    plat::ui::setMessageSink([&](const plat::ui::Message& m) {
        err << m.caption << ": " << plat::ui::displayText(m.text) << '\n';
        if (m.kind == plat::ui::MessageKind::Error)
            ++problems;
        return m.defaultButton;
    });
    plat::ui::ModalDriver modals;

    QTemporaryDir data;
    plat::sys::Settings::instance().setDataDirectoryOverride(data.path());
    TDm_Dados dados(data.path());
    screens::fillSampleData(dados);

    TZelta zelta;   // the owner the windows receive, never shown
    zelta.setDataModule(&dados);
    screens::ScreenContext ctx{dados, zelta.sessao(), &zelta};

    for (const screens::Screen& screen : screens::screenRegistry()) {
        if (!args.isEmpty() && !args.contains(screen.name))
            continue;
        std::unique_ptr<QWidget> window = screen.make(ctx);
        if (!window) {
            err << screen.name << ": nada a mostrar\n";
            continue;
        }
        // As showModal() readies every window: access keys and names.
        if (auto* dialog = qobject_cast<QDialog*>(window.get()))
            plat::ui::prepareDialog(dialog);
        window->show();
        settle();
        const QString file = outDir.filePath(screen.name + QStringLiteral(".png"));
        if (!window->grab().save(file)) {
            err << "Não foi possível gravar " << file << '\n';
            ++problems;
            continue;
        }
        out << file << '\n';
        window->hide();
    }
    out.flush();
    return problems == 0 ? 0 : 1;
}
