#pragma once

#include "platform/system/Options.h"

#include <QStringList>
#include <QTextStream>

namespace zelta {

// The command line: subcommands that run the program's core without a display.
// Returns the process exit code, or -1 when the arguments name no subcommand and
// the window program should start. The line's data folder ("--dados DIR",
// anywhere on it) is applied to the settings.
int runCli(const plat::sys::CommandLine& line, QTextStream& out, QTextStream& err);
// The same for a line not read yet.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace zelta
