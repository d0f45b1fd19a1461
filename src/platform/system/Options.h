#pragma once

#include <QStringList>

namespace plat::sys {

// Removes an option with a value, "NAME VALUE" or "NAME=VALUE", from args
// wherever it stands and returns the value (the last one given), or an empty
// string. Sets ok to false when the option has no value or an empty one
// ("--dados=", --dados ""): an empty path would quietly mean the default.
QString takeOption(QStringList& args, const QString& name, bool* ok);

// The options of the whole command line, read once: the data folder
// ("--dados DIR", anywhere on the line) taken out, the rest left in order.
struct CommandLine {
    QStringList rest;
    QString dataDir;       // empty when not given
    bool dataValid = true; // false: "--dados" without a folder, or with an empty one
};
CommandLine readCommandLine(const QStringList& args);

} // namespace plat::sys
