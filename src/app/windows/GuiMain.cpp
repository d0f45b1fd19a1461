#include "app/windows/GuiMain.h"

#include "app/windows/TZelta.h"
#include "data/TDm_Dados.h"
#include "platform/system/Options.h"
#include "platform/system/Settings.h"
#include "platform/ui/Help.h"
#include "platform/ui/QtTranslation.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

namespace zelta {

int runGui(int argc, char** argv, const QStringList& args)
{
    QApplication app(argc, argv);
    // The program's title, which captions its messages, is the name of the
    // program file without its extension.
    QString title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QCoreApplication::setApplicationName(title.isEmpty() ? QStringLiteral("zelta99") : title);
    // The icon and the name of the installed desktop entry, by which task bars
    // and window lists show the program.
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/zelta99/icons/zelta99-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("br.org.orvu.zelta99"));

    QStringList rest = args;
    bool ok = true;
    const QString dir = plat::sys::takeDataOption(rest, &ok);
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
