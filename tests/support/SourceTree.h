#pragma once

#include <QString>

namespace zelta::test {

// The source tree the tests and tools were built from, where they find the
// shipped resources (the users' guide, the sample file, the packaging files).
// The build gives it; the program itself never looks there.
inline QString sourceDir() { return QStringLiteral(ZELTA_SOURCE_TREE); }

} // namespace zelta::test
