#pragma once

#include <QStringList>
#include <QTextStream>

namespace zelta {

// The command line: subcommands that run the program's core without a display.
// Returns the process exit code, or -1 when the arguments name no subcommand and
// the window program should start. "--dados DIR" may stand anywhere on the line;
// it is taken out of args and applied to the settings.
int runCli(QStringList& args, QTextStream& out, QTextStream& err);

} // namespace zelta
