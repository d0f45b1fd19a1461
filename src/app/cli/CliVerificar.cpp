#include "app/cli/CliCommands.h"

#include "data/TDm_Dados.h"
#include "platform/db/DbError.h"
#include "platform/system/FullStop.h"
#include "platform/system/Settings.h"
#include "validation/TVlCpfCgc.h"
#include "validation/Verificacao.h"

namespace zelta::cli {


int verificar(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (!args.isEmpty()) {
        err << "Uso: zelta99 verificar [--dados PASTA]\n";
        return kExitUsage;
    }
    const QString dataDir = registerDirectory(err);
    if (dataDir.isEmpty())
        return kExitUsage;
    try {
        TDm_Dados dados(dataDir);
        dados.checkRegister();
        printNotices(dados, err);
        // The validator as the main window holds it.
        TVlCpfCgc validator;
        validator.loadStoredState();
        Verificacao verificacao(dados, validator);
        verificacao.setLogSink([&out](const QString& line) { out << line << '\n'; });
        const int errors = verificacao.run();
        dados.Tb_Erro_Bol_Ori->close();
        out.flush();
        return errors > 0 ? 1 : 0;
    } catch (const plat::db::DbError& e) {
        out.flush();
        err << plat::sys::withFullStop(e.message()) << '\n';
    }
    return kExitUsage;
}

} // namespace zelta::cli
