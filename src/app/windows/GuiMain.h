#pragma once

#include <QStringList>

namespace zelta {

// Starts the window program: settings, main window, data module, event loop.
int runGui(int argc, char** argv, const QStringList& args);

} // namespace zelta
