#include "app/windows/GuiMain.h"

#include "app/windows/TZelta.h"
#include "data/TDm_Dados.h"
#include "platform/system/PrivateFiles.h"
#include "platform/system/Settings.h"
#include "platform/system/WriterLock.h"
#include "platform/ui/Messages.h"
#include "platform/ui/FocusStyle.h"
#include "platform/ui/Help.h"
#include "platform/ui/QtTranslation.h"
#include "platform/ui/WindowChrome.h"

#include <QApplication>
#include <QFileInfo>
#include <QDir>
#include <QIcon>

#include <cstdio>

namespace zelta {

std::unique_ptr<plat::sys::WriterLock> takeDataFolder(const QString& dataDir)
{
    plat::sys::makePrivatePath(dataDir);
    auto lock = std::make_unique<plat::sys::WriterLock>(dataDir);
    if (lock->tryLock() != plat::sys::WriterLock::Result::Held)
        return lock;
    const QString text = QStringLiteral("Os dados da pasta %1 já estão abertos em outro programa Zelta 99 (processo %2). "
                                        "Este programa será fechado; use o que já está aberto.")
                             .arg(QDir::toNativeSeparators(dataDir))
                             .arg(lock->holderPid());
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
    plat::ui::showError(text);
    return nullptr;
}

int runGui(int argc, char** argv, const QString& dataDirOption)
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

    if (!dataDirOption.isEmpty())
        plat::sys::Settings::instance().setDataDirectoryOverride(dataDirOption);

    plat::ui::installContextHelp(&app);
    // Qt's own buttons and dialogs in Portuguese, before the first window; a
    // missing translation leaves them in English and changes nothing else.
    plat::ui::installQtTranslation(app);
    plat::ui::installFocusStyle(app);

    // One window program per data folder, from here to the end of the event loop.
    const QString dataDir = plat::sys::Settings::instance().dataDirectory();
    const auto lock = takeDataFolder(dataDir);
    if (!lock)
        return 1;

    // The main window first, then the data module with every cursor closed; the
    // data work waits for the main window's first activation.
    TZelta zelta;
    TDm_Dados dados(dataDir);
    zelta.setDataModule(&dados);

    zelta.setWindowState(zelta.windowState() | Qt::WindowMaximized);
    plat::ui::fillScreenWhenMaximised(&zelta);
    zelta.show();
    zelta.activateWindow();
    return QApplication::exec();
}

} // namespace zelta
