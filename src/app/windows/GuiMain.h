#pragma once

#include <QStringList>

#include <memory>

namespace plat::sys {
class WriterLock;
}

namespace zelta {

// Takes the data folder for the window program's lifetime, making the folder
// (private) when it is new. While another program holds it, the user is told
// which folder (in a message and on standard error) and nothing is returned:
// the program ends and leaves the other one alone. A folder where no lock can
// be made is not refused here; opening the register reports what is wrong.
std::unique_ptr<plat::sys::WriterLock> takeDataFolder(const QString& dataDir);

// Starts the window program: settings, main window, data module, event loop.
// dataDirOption: the command line's data folder (empty: the settings decide).
int runGui(int argc, char** argv, const QString& dataDirOption);

} // namespace zelta
