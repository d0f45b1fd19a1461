#pragma once

#include <QString>

namespace zelta {

/** The program's version, as the build project declares it ("1.0"). */
QString programVersion();

} // namespace zelta
