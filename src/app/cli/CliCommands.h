#pragma once

#include <QStringList>
#include <QTextStream>

#include "platform/system/WriterLock.h"

#include <memory>

namespace zelta {
class TDm_Dados;
}

namespace zelta::cli {

// One function per subcommand. Each gets the arguments after its name (with
// "--dados DIR" already applied to the settings) and returns the exit code:
// 0 success, 1 a check that found errors. A usage or data error is thrown as
// plat::Error; runCli prints it (a usage error with the subcommand's usage
// line) and exits with 2.
constexpr int kExitUsage = 2;

// Shared by the subcommands.
// The data folder of the settings when it holds a register. A folder without
// one is a mistake to report, not a register to create: it throws.
QString registerDirectory();
// The commands that write the register hold the data folder while they run,
// as the window program does: refused (thrown) while another program holds it.
std::unique_ptr<plat::sys::WriterLock> holdDataFolder(const QString& dataDir);
// Files read through Qt or SQLite need a name in UTF-8: a name with other
// bytes would open another file. Throws for such a name.
void requireTextName(const QString& path);
// Prints what the data module has to tell about the register's file (an
// index rebuilt, a schema upgraded), one line each, on err.
void printNotices(TDm_Dados& dados, QTextStream& err);

int cpf(const QStringList& args, QTextStream& out, QTextStream& err);
int gerar(const QStringList& args, QTextStream& out, QTextStream& err);
int recuperar(const QStringList& args, QTextStream& out, QTextStream& err);
int verificar(const QStringList& args, QTextStream& out, QTextStream& err);
int relatorio(const QStringList& args, QTextStream& out, QTextStream& err);
int copia(const QStringList& args, QTextStream& out, QTextStream& err);
int copias(const QStringList& args, QTextStream& out, QTextStream& err);
int restaurar(const QStringList& args, QTextStream& out, QTextStream& err);
int importar(const QStringList& args, QTextStream& out, QTextStream& err);
int exportar(const QStringList& args, QTextStream& out, QTextStream& err);
int aceitar(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace zelta::cli
