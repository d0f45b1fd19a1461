#include "app/cli/Cli.h"
#include "app/windows/GuiMain.h"
#include "platform/system/Options.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    QStringList rest = args;
    bool ok = true;
    plat::sys::takeDataOption(rest, &ok);
    if (ok && rest.isEmpty())
        return zelta::runGui(argc, argv, args);

    // Subcommands need no display; reports still lay out text with real fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = zelta::runCli(args, out, err);
    return code < 0 ? 2 : code;
}
