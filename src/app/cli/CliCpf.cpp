#include "app/cli/CliCommands.h"
#include "validation/TVlCpfCgc.h"

namespace zelta::cli {

int cpf(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1) {
        err << "Uso: zelta99 cpf TEXTO\n";
        return kExitUsage;
    }
    TVlCpfCgc check;
    check.setInput(args.first());
    out << (check.Valid() ? "valido " : "invalido ") << check.Return() << ' '
        << (check.Mode() == TVlCpfCgc::moCPF ? "moCPF" : "moCGC") << '\n';
    // A number the check refuses is a check that found an error.
    return check.Valid() ? 0 : 1;
}

} // namespace zelta::cli
