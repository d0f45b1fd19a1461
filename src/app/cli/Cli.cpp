#include "app/cli/Cli.h"

#include "app/Version.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CommandTable.h"
#include "platform/system/Error.h"
#include "platform/system/FileNames.h"
#include "platform/system/FullStop.h"
#include "platform/system/Options.h"
#include "platform/system/Settings.h"

namespace zelta {

using cli::kExitUsage;

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return runCli(plat::sys::readCommandLine(args), out, err);
}

int runCli(const plat::sys::CommandLine& line, QTextStream& out, QTextStream& err)
{
    if (!line.dataValid) {
        err << "A opção --dados precisa de uma pasta.\n";
        return kExitUsage;
    }
    const QString& dir = line.dataDir;
    if (plat::sys::hasRawBytes(dir)) {
        err << QStringLiteral("O nome da pasta %1 não está em UTF-8; os dados só podem ficar numa pasta de nome em UTF-8.\n")
                   .arg(dir);
        return kExitUsage;
    }
    if (!dir.isEmpty())
        plat::sys::Settings::instance().setDataDirectoryOverride(dir);
    const QStringList& args = line.rest;
    if (args.isEmpty())
        return -1;
    const QString name = args.first();
    if (name == QStringLiteral("--help") || name == QStringLiteral("-h") || name == QStringLiteral("ajuda")) {
        out << cli::helpText();
        return 0;
    }
    if (name == QStringLiteral("--version")) {
        out << "zelta99 " << programVersion() << '\n';
        return 0;
    }
    const cli::Command* const command = cli::findCommand(name);
    if (!command) {
        err << QStringLiteral("Subcomando desconhecido: %1\n").arg(name) << cli::helpText();
        return kExitUsage;
    }
    // Every failure of a subcommand ends here: its message on err, and exit
    // code 2. A usage error is followed by the subcommand's usage line.
    try {
        return command->run(args.mid(1), out, err);
    } catch (const plat::Error& e) {
        out.flush();
        if (e.kind() == plat::Error::Kind::Usage) {
            if (!e.message().isEmpty())
                err << e.message() << '\n';
            err << command->usage << '\n';
        } else {
            err << plat::sys::withFullStop(e.message()) << '\n';
            // The engine's own lines about a damaged file follow the message.
            if (!e.details().isEmpty())
                err << QStringLiteral("Detalhes:\n") << e.details() << '\n';
        }
    }
    return kExitUsage;
}

} // namespace zelta
