#include "app/cli/Cli.h"
#include "app/windows/GuiMain.h"
#include "platform/system/Options.h"
#include "platform/system/FileNames.h"
#include "platform/system/RuntimeFolder.h"

#include <QGuiApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    // Past a file-size limit (ulimit -f) the system would kill the program
    // without a word and leave its temporary files; ignored, the signal turns
    // into a write error that the program reports and cleans up after.
    std::signal(SIGXFSZ, SIG_IGN);
    // Before any Qt application object, so that Qt finds a runtime folder and
    // prints nothing about lacking one.
    plat::sys::provideRuntimeFolder();

    // Arguments are file names as often as not: taken as the bytes the system
    // gave, so that a name that is not UTF-8 still names that very file.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << plat::sys::decodePath(QByteArray(argv[i]));

    const plat::sys::CommandLine line = plat::sys::readCommandLine(args);
    // A data option the command line refuses is refused there, window or not.
    if (line.dataValid && line.rest.isEmpty() && !plat::sys::hasRawBytes(line.dataDir))
        return zelta::runGui(argc, argv, line.dataDir);

    // Subcommands need no display; reports still lay out text with real fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = zelta::runCli(line, out, err);
    return code < 0 ? 2 : code;
}
