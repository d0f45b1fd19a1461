#include "app/cli/Cli.h"
#include "app/cli/CliCommands.h"

#include "data/TDm_Dados.h"
#include "exchange/SubmissionRun.h"
#include "platform/system/Error.h"
#include "platform/system/Options.h"
#include "platform/system/Settings.h"
#include "validation/Completude.h"

#include <QDir>

namespace zelta::cli {

int gerar(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QStringList rest = args;
    bool ok = true;
    const QString destino = plat::sys::takeOption(rest, QStringLiteral("--destino"), &ok);
    if (!ok || destino.isEmpty() || !rest.isEmpty())
        throw plat::Error::usage({});

    TDm_Dados dados(registerDirectory());
    const SubmissionRun run = gerarArquivo(dados, destino);
    printNotices(dados, err);
    if (!run.preCheckPassed) {
        err << "Favor executar a verificação do preenchimento\n";
        // What stops the generation, record by record.
        const ListaPendencias lista = listarPendencias(dados.database(), dados.holderOrdering(), dados.advisorOrdering(),
                                                       Regras::preGeracao())
                                          .soImpeditivas();
        for (const RegistroPendente& r : lista.registros)
            for (const Pendencia& p : r.pendencias)
                err << linhaPendencia(r, p) << '\n';
        return 1;
    }
    const SubmissionResult& r = run.result;
    out << QStringLiteral("Arquivo %1: %2 bolsista(s), %3 bytes\n")
               .arg(QDir::toNativeSeparators(r.filePath))
               .arg(r.holders)
               .arg(r.bytes)
        << "Gravação executada\n";
    return 0;
}

} // namespace zelta::cli
