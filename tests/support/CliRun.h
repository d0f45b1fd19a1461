#pragma once

#include "app/cli/Cli.h"

#include <QStringList>
#include <QTextStream>

namespace zelta::test {

// One run of the command line inside the test process, with what it printed.
struct CliRun {
    int code = 0;
    QString out;
    QString err;
};

inline CliRun runCommand(QStringList args)
{
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = zelta::runCli(args, out, err);
    out.flush();
    err.flush();
    return r;
}

} // namespace zelta::test
