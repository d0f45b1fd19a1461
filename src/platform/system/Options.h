#pragma once

#include <QStringList>

namespace plat::sys {

// Removes an option with a value, "NAME VALUE" or "NAME=VALUE", from args
// wherever it stands and returns the value (the last one given), or an empty
// string. Sets ok to false when the option has no value or an empty one
// ("--dados=", --dados ""): an empty path would quietly mean the default.
QString takeOption(QStringList& args, const QString& name, bool* ok);

// The data folder option: takeOption for "--dados".
QString takeDataOption(QStringList& args, bool* ok);

} // namespace plat::sys
