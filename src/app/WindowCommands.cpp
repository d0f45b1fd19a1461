#include "app/WindowCommands.h"

#include "app/TZelta.h"

namespace zelta {

void registerWindowCommands(TZelta& zelta)
{
    // The registry windows, the verification, the generation, the recovery
    // and the report selection register here as they are added.
    Q_UNUSED(zelta);
}

} // namespace zelta
