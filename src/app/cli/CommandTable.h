#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace zelta::cli {

// The one table of the command line. The help is written from it; the manual
// page and the bash completion are checked against it by a test.
struct Command {
    QString name;
    int (*run)(const QStringList& args, QTextStream& out, QTextStream& err);
    QString synopsis;    // what follows the name in the help, its options included
    QString description; // the help's text, one line of it per '\n'
    QString usage;       // shown after a usage error, under its message

    // The options the subcommand takes besides "--dados": those its synopsis names.
    QStringList options() const;
};

// An option of the whole line, in the help's "Opções:".
struct GlobalOption {
    QString name;
    QString synopsis; // what follows the name
    QString description;
};

// The subcommands in the help's order.
const QList<Command>& commands();
const Command* findCommand(const QString& name);
const QList<GlobalOption>& globalOptions();

// The text of "--help".
QString helpText();

} // namespace zelta::cli
