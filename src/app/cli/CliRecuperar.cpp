#include "app/cli/CliCommands.h"

#include "data/TDm_Dados.h"
#include "exchange/RecoveryImport.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"

#include <QDir>

namespace zelta::cli {

int recuperar(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1 || args.first().startsWith(u'-'))
        throw plat::Error::usage({});
    requireTextName(args.first());
    const QString dataDir = plat::sys::Settings::instance().dataDirectory();
    const auto lock = holdDataFolder(dataDir);
    TDm_Dados dados(dataDir);
    const RecoveryResult r = recuperarDados(dados, args.first());
    const QString nome = r.institution.sigla.isEmpty() ? r.institution.nome
                                                       : r.institution.sigla + QStringLiteral(" - ") + r.institution.nome;
    out << QStringLiteral("%1 (%2): %3 bolsistas, %4 orientadores recuperados\n")
               .arg(nome, r.institution.numero)
               .arg(r.holders)
               .arg(r.advisors);
    printNotices(dados, err);
    if (r.replacedDamaged)
        err << QStringLiteral("O arquivo de dados estava danificado e foi refeito a partir do arquivo recuperado; o "
                              "arquivo danificado foi guardado em %1\n")
                   .arg(QDir::toNativeSeparators(r.backupFile));
    else if (!r.backupFile.isEmpty())
        err << QStringLiteral("Cópia de segurança dos dados anteriores: %1\n").arg(QDir::toNativeSeparators(r.backupFile));
    if (r.droppedHolders > 0)
        err << QStringLiteral("%1 registro(s) sem CPF do bolsista não foram recuperados.\n").arg(r.droppedHolders);
    if (const QString unread = camposNaoLidos(r); !unread.isEmpty())
        err << unread << '\n';
    return 0;
}

} // namespace zelta::cli
