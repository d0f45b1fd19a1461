#include "app/windows/GuiMain.h"

#include "app/cli/Cli.h"
#include "app/windows/TZelta.h"
#include "data/TDm_Dados.h"
#include "platform/system/Settings.h"
#include "platform/ui/Help.h"
#include "platform/ui/QtTranslation.h"

#include <QApplication>
#include <QFileInfo>

namespace zelta {

int runGui(int argc, char** argv, const QStringList& args)
{
    QApplication app(argc, argv);
    // The program's title, which captions its messages, is the name of the
    // program file without its extension.
    QString title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QCoreApplication::setApplicationName(title.isEmpty() ? QStringLiteral("zelta99") : title);

    QStringList rest = args;
    bool ok = true;
    const QString dir = takeDataOption(rest, &ok);
    if (!dir.isEmpty())
        plat::sys::Settings::instance().setDataDirectoryOverride(dir);

    plat::ui::installContextHelp(&app);
    // Qt's own buttons and dialogs in Portuguese, before the first window; a
    // missing translation leaves them in English and changes nothing else.
    plat::ui::installQtTranslation(app);

    // The main window first, then the data module with every cursor closed; the
    // data work waits for the main window's first activation.
    TZelta zelta;
    TDm_Dados dados(plat::sys::Settings::instance().dataDirectory());
    zelta.setDataModule(&dados);

    zelta.showMaximized();
    zelta.activateWindow();
    return QApplication::exec();
}

} // namespace zelta
