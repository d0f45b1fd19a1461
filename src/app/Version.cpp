#include "app/Version.h"

namespace zelta {

QString programVersion() { return QStringLiteral(ZELTA_VERSION); }

} // namespace zelta
