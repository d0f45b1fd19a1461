#pragma once

#include <QStringList>
#include <QTextStream>

namespace zelta::cli {

// One function per subcommand. Each gets the arguments after its name (with
// "--dados DIR" already applied to the settings) and returns the exit code:
// 0 success, 1 a check that found errors, 2 usage or data errors (message on err).
constexpr int kExitUsage = 2;

// Shared by the subcommands. Error messages follow plat::sys::withFullStop.
// The data folder of the settings when it holds a register. A folder without
// one is a mistake to report, not a register to create: the message goes to
// err and the result is empty.
QString registerDirectory(QTextStream& err);

int cpf(const QStringList& args, QTextStream& out, QTextStream& err);
int gerar(const QStringList& args, QTextStream& out, QTextStream& err);
int recuperar(const QStringList& args, QTextStream& out, QTextStream& err);
int verificar(const QStringList& args, QTextStream& out, QTextStream& err);
int relatorio(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace zelta::cli
