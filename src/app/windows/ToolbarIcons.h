#pragma once

#include <QIcon>

namespace zelta::icons {

// The pictures of the main window's toolbar, drawn in code so that they stay
// sharp at any scale.
QIcon advisors();
QIcon holders();
QIcon verification();
QIcon disk();
QIcon reports();
QIcon exit();

} // namespace zelta::icons
