// Renders every registered window, filled with sample data, to PNG files.
//   zelta_screens OUTDIR [NAME...]
#include "SampleData.h"
#include "ScreenRegistry.h"

#include "app/windows/TZelta.h"
#include "data/TDm_Dados.h"
#include "platform/system/Settings.h"
#include "platform/ui/Messages.h"
#include "platform/ui/QtTranslation.h"
#include "support/TestHooks.h"
#include "platform/ui/WindowChrome.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <functional>

using namespace zelta;

namespace {

// The folder that stands for the user's home in every picture, and the name
// the pictures show for it, so that they carry neither a scratch folder's
// random name nor the name of whoever renders them.
const QString kShownHome = QStringLiteral("/home/usuario");

// Returns what puts the edits' texts back, so that a window that checks a
// path when it closes finds the real one.
std::function<void()> showHomeAs(QWidget& window, const QString& scratch)
{
    auto shown = [&](QString text) { return text.replace(scratch, kShownHome); };
    window.setWindowTitle(shown(window.windowTitle()));
    for (QLabel* label : window.findChildren<QLabel*>())
        label->setText(shown(label->text()));
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        button->setText(shown(button->text()));
    QList<std::pair<QLineEdit*, QString>> edits;
    for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
        const QSignalBlocker quiet(edit);
        edits.append({edit, edit->text()});
        edit->setText(shown(edit->text()));
    }
    return [edits] {
        for (const auto& [edit, text] : edits) {
            const QSignalBlocker quiet(edit);
            edit->setText(text);
        }
    };
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Read no settings of whoever renders: a scratch home with the data folder
    // and the documents folder where a new user has them.
    QTemporaryDir home;
    const QString homePath = QDir(home.path()).canonicalPath();
    qputenv("HOME", QFile::encodeName(homePath));
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    QDir(homePath).mkpath(QStringLiteral("Documentos"));
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

    const QString data = QDir(homePath).filePath(QStringLiteral(".local/share/zelta99"));
    QDir().mkpath(data);
    plat::sys::Settings::instance().setDataDirectoryOverride(data);
    TDm_Dados dados(data);
    screens::fillSampleData(dados);

    TZelta zelta; // the owner the windows receive, never shown
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
        screens::settle();
        const std::function<void()> restore = showHomeAs(*window, homePath);
        screens::settle(50);
        const QPixmap picture = screen.grab ? screen.grab(*window) : window->grab();
        restore();
        const QString file = outDir.filePath(screen.name + QStringLiteral(".png"));
        if (!picture.save(file)) {
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
