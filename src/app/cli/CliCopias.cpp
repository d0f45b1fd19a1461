// The register's copies from the command line: "copia" takes one, "copias"
// lists them, "restaurar" puts one in the place of the register.
#include "app/cli/CliCommands.h"

#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "platform/db/DbError.h"
#include "platform/system/FullStop.h"
#include "platform/system/Settings.h"

#include <QDir>

namespace zelta::cli {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

int failed(const plat::db::DbError& e, QTextStream& err)
{
    err << plat::sys::withFullStop(e.message()) << '\n';
    return kExitUsage;
}

} // namespace

int copia(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (!args.isEmpty()) {
        err << "Uso: zelta99 copia [--dados PASTA]\n";
        return kExitUsage;
    }
    const QString dataDir = registerDirectory(err);
    if (dataDir.isEmpty())
        return kExitUsage;
    try {
        TDm_Dados dados(dataDir);
        const RegisterCopies::Taken taken = RegisterCopies::take(dados.database(), dataDir);
        printNotices(dados, err);
        out << shown(taken.path) << '\n';
        if (!taken.created)
            err << "Os dados são os mesmos da cópia mais recente, que foi mantida.\n";
        return 0;
    } catch (const plat::db::DbError& e) {
        return failed(e, err);
    }
}

int copias(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (!args.isEmpty()) {
        err << "Uso: zelta99 copias [--dados PASTA]\n";
        return kExitUsage;
    }
    const QString dataDir = plat::sys::Settings::instance().dataDirectory();
    const QList<RegisterCopy> list = RegisterCopies::describe(dataDir);
    if (list.isEmpty())
        err << QStringLiteral("Não há cópias de segurança em %1.\n").arg(shown(RegisterCopies::folder(dataDir)));
    for (const RegisterCopy& c : list) {
        out << shown(c.path) << "  " << c.taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) << "  ";
        if (c.holders < 0)
            out << "ilegível\n";
        else
            out << QStringLiteral("%1 bolsistas  %2 orientadores\n").arg(c.holders).arg(c.advisors);
    }
    return 0;
}

int restaurar(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1 || args.first().startsWith(u'-')) {
        err << "Uso: zelta99 restaurar COPIA [--dados PASTA]   (COPIA: o arquivo, ou o número da linha em zelta99 copias; "
               "1 = a mais recente)\n";
        return kExitUsage;
    }
    const QString dataDir = plat::sys::Settings::instance().dataDirectory();
    const QString path = RegisterCopies::resolve(dataDir, args.first());
    if (path.isEmpty()) {
        err << QStringLiteral("Cópia não encontrada: %1.\n").arg(args.first());
        return kExitUsage;
    }
    try {
        TDm_Dados dados(dataDir);
        const QString previous = dados.restore(path);
        printNotices(dados, err);
        out << QStringLiteral("Dados restaurados de %1.\n").arg(shown(path));
        if (!previous.isEmpty())
            out << QStringLiteral("Os dados substituídos foram guardados em %1.\n").arg(shown(previous));
        return 0;
    } catch (const plat::db::DbError& e) {
        return failed(e, err);
    }
}

} // namespace zelta::cli
