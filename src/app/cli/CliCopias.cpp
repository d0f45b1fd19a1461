// The register's copies from the command line: "copia" takes one, "copias"
// lists them, "restaurar" puts one in the place of the register, "aceitar"
// accepts rows changed outside the program after taking one.
#include "app/cli/CliCommands.h"

#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

namespace zelta::cli {

namespace {

// Copies are named by their full path, whatever form the data folder was given in.
QString shown(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

} // namespace

int copia(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (!args.isEmpty())
        throw plat::Error::usage({});
    const QString dataDir = registerDirectory();
    const auto lock = holdDataFolder(dataDir);
    TDm_Dados dados(dataDir);
    // A repair made on the way is told even when the copy then fails.
    const auto notices = qScopeGuard([&] { printNotices(dados, err); });
    // Copies are taken from a register that passes the full check: damage
    // confined to indexes is repaired first, other damage refused.
    dados.checkRegister();
    printNotices(dados, err);
    const RegisterCopies::Taken taken = RegisterCopies::take(dados.database(), dataDir, QDateTime::currentDateTime(), true,
                                                             CopyReason::User);
    out << shown(taken.path) << '\n';
    if (!taken.created)
        err << "Os dados são os mesmos da cópia mais recente, que foi mantida.\n";
    return 0;
}

int aceitar(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (!args.isEmpty())
        throw plat::Error::usage({});
    const QString dataDir = registerDirectory();
    const auto lock = holdDataFolder(dataDir);
    TDm_Dados dados(dataDir);
    const auto notices = qScopeGuard([&] { printNotices(dados, err); });
    const TDm_Dados::Acceptance accepted = dados.acceptOutsideChanges();
    if (accepted.records.isEmpty()) {
        out << "Nenhum registro foi alterado fora do programa; nada foi aceito.\n";
        return 0;
    }
    out << QStringLiteral("Os dados como estavam foram guardados em %1.\n").arg(shown(accepted.copy));
    out << "Registros alterados fora do programa, aceitos como estão agora:\n";
    for (const QString& record : accepted.records)
        out << record << '\n';
    return 0;
}

int copias(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (!args.isEmpty())
        throw plat::Error::usage({});
    const QString dataDir = plat::sys::Settings::instance().dataDirectory();
    const QList<RegisterCopy> list = RegisterCopies::describe(dataDir);
    if (list.isEmpty())
        err << QStringLiteral("Não há cópias de segurança em %1.\n").arg(shown(RegisterCopies::folder(dataDir)));
    for (const RegisterCopy& c : list) {
        out << shown(c.path) << "  " << c.taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) << "  "
            << copyReasonText(c.reason) << "  ";
        if (c.holders < 0)
            out << "ilegível";
        else
            out << QStringLiteral("%1 bolsistas  %2 orientadores").arg(c.holders).arg(c.advisors);
        // A copy that fails the full check now cannot be restored.
        out << (c.sound ? "\n" : "  não passa na verificação\n");
    }
    return 0;
}

int restaurar(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1 || args.first().startsWith(u'-'))
        throw plat::Error::usage({});
    const QString dataDir = plat::sys::Settings::instance().dataDirectory();
    requireTextName(args.first());
    const QString path = RegisterCopies::resolve(dataDir, args.first());
    if (path.isEmpty())
        throw plat::Error::input(QStringLiteral("Cópia não encontrada: %1.").arg(args.first()));
    const auto lock = holdDataFolder(dataDir);
    TDm_Dados dados(dataDir);
    const QString previous = dados.restore(path);
    out << QStringLiteral("Dados restaurados de %1.\n").arg(shown(path));
    if (!previous.isEmpty())
        out << QStringLiteral("Os dados substituídos foram guardados em %1.\n").arg(shown(previous));
    out.flush();
    printNotices(dados, err);
    return 0;
}

} // namespace zelta::cli
