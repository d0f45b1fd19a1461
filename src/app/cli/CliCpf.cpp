#include "app/cli/CliCommands.h"

#include "platform/system/Error.h"
#include "validation/TVlCpfCgc.h"

namespace zelta::cli {

int cpf(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1)
        throw plat::Error::usage({});
    TVlCpfCgc check;
    check.setInput(args.first());
    out << (check.Valid() ? "valido " : "invalido ") << check.Return() << ' '
        << (check.Mode() == TVlCpfCgc::moCPF ? "moCPF" : "moCGC") << '\n';
    // A number the check refuses is a check that found an error.
    return check.Valid() ? 0 : 1;
}

} // namespace zelta::cli
