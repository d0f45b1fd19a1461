#include "app/cli/CliCommands.h"

#include "data/TDm_Dados.h"
#include "exchange/sheets/SheetExport.h"
#include "exchange/sheets/SheetImport.h"
#include "exchange/sheets/SheetReaders.h"
#include "exchange/sheets/SheetWriter.h"
#include "platform/system/Error.h"
#include "platform/system/Options.h"
#include "platform/system/Settings.h"

#include <QDir>

namespace zelta::cli {

namespace {

// Takes every "--NAME VALUE" (or "--NAME=VALUE") out of the arguments.
QStringList takeValueOptions(QStringList& args, const QString& name, const QString& missing)
{
    QStringList values;
    const QString joined = name + u'=';
    for (qsizetype i = 0; i < args.size();) {
        QString value;
        if (args[i] == name) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                throw plat::Error::usage(missing);
            value = args[i + 1];
            args.remove(i, 2);
        } else if (args[i].startsWith(joined)) {
            value = args[i].mid(joined.size());
            if (value.isEmpty())
                throw plat::Error::usage(missing);
            args.remove(i);
        } else {
            ++i;
            continue;
        }
        values << value;
    }
    return values;
}

// "--planilha NOME", once at most.
QString takeSheetOption(QStringList& args)
{
    const QStringList names = takeValueOptions(args, QStringLiteral("--planilha"),
                                               QStringLiteral("A opção --planilha precisa do nome de uma planilha."));
    if (names.size() > 1)
        throw plat::Error::usage(QStringLiteral("A opção --planilha vale uma vez só."));
    return names.value(0);
}

sheets::ImportKind importKind(const QString& word)
{
    if (word == u"bolsistas")
        return sheets::ImportKind::Holders;
    if (word == u"orientadores")
        return sheets::ImportKind::Advisors;
    throw plat::Error::usage(QStringLiteral("Importa-se bolsistas ou orientadores, não %1.").arg(word));
}

// What the check found: each problem, or with none each change a row makes.
void printCheck(const sheets::ImportCheck& check, QTextStream& out)
{
    for (const sheets::RowProblem& p : check.problems)
        out << sheets::problemLine(p) << '\n';
    if (!check.problems.isEmpty())
        return;
    for (const sheets::RecordUpdate& u : check.updates)
        for (const sheets::FieldChange& c : u.changes)
            out << QStringLiteral("linha %1: %2\n").arg(u.row).arg(sheets::changeText(c));
}

} // namespace

int importar(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    const QString sheetName = takeSheetOption(args);
    const QStringList columns = takeValueOptions(args, QStringLiteral("--coluna"),
                                                 QStringLiteral("A opção --coluna precisa de CAMPO=TÍTULO."));
    const bool simulate = args.removeAll(QStringLiteral("--simular")) > 0;
    sheets::ImportOptions options;
    options.update = args.removeAll(QStringLiteral("--atualizar")) > 0;
    if (args.size() != 2 || args[1].startsWith(u'-'))
        throw plat::Error::usage({});
    const sheets::ImportKind kind = importKind(args[0]);
    for (const QString& c : columns)
        options.hand.append(sheets::handMatch(kind, c));
    requireTextName(args[1]);
    // The file is read before the register is touched: a file that cannot be
    // read changes nothing.
    const sheets::Workbook book = sheets::readWorkbook(args[1]);
    const sheets::Sheet& sheet = sheets::importSheet(book, kind, sheetName, options.hand);
    const QString dataDir = registerDirectory();
    const auto lock = simulate ? nullptr : holdDataFolder(dataDir);
    TDm_Dados dados(dataDir);
    // Rows are checked against, and added to, a register that passes the
    // full check only: one changed outside the program is named and refused.
    dados.checkRegister();
    printNotices(dados, err);
    const sheets::ImportCheck check = sheets::checkImport(dados.database(), kind, sheet, options);
    printCheck(check, out);
    if (!check.problems.isEmpty()) {
        out << QStringLiteral("%1 problema(s); nada foi importado.\n").arg(check.problems.size());
        return 1;
    }
    const QString what = kind == sheets::ImportKind::Holders ? QStringLiteral("bolsista(s)") : QStringLiteral("orientador(es)");
    const QString unchanged = check.unchangedRows.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" (%1 já como na planilha)").arg(check.unchangedRows.size());
    if (simulate) {
        out << (options.update
                    ? QStringLiteral("Nenhum problema: %1 %2 seriam importados e %3 atualizados%4.\n")
                          .arg(check.records.size())
                          .arg(what)
                          .arg(check.updates.size())
                          .arg(unchanged)
                    : QStringLiteral("Nenhum problema: %1 %2 seriam importados.\n").arg(check.records.size()).arg(what));
        return 0;
    }
    const sheets::ImportResult result = sheets::writeImport(dados, check);
    out << (options.update ? QStringLiteral("%1 %2 importados e %3 atualizados%4.\n")
                                 .arg(result.added)
                                 .arg(what)
                                 .arg(result.updated)
                                 .arg(unchanged)
                           : QStringLiteral("%1 %2 importados.\n").arg(result.added).arg(what));
    if (!result.backupFile.isEmpty())
        err << QStringLiteral("Cópia de segurança dos dados anteriores: %1\n").arg(QDir::toNativeSeparators(result.backupFile));
    return 0;
}

int exportar(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 2 || args[1].isEmpty() || args[1].startsWith(u'-'))
        throw plat::Error::usage({});
    sheets::ExportList list;
    if (args[0] == u"bolsistas")
        list = sheets::ExportList::Holders;
    else if (args[0] == u"orientadores")
        list = sheets::ExportList::Advisors;
    else if (args[0] == u"pendencias")
        list = sheets::ExportList::Pendencias;
    else
        throw plat::Error::usage(QStringLiteral("Exporta-se bolsistas, orientadores ou pendencias, não %1.").arg(args[0]));
    if (!sheets::SheetWriter::knownExtension(args[1]))
        throw plat::Error::usage(QStringLiteral("O nome do arquivo deve terminar em .xlsx, .ods ou .csv."));
    // The extension keeps the register's own files (zelta99.db and its
    // companions) from being the target.
    const QString dataDir = registerDirectory();
    TDm_Dados dados(dataDir);
    // A list is written from a register that passes the full check, as a
    // report is printed from one.
    dados.checkRegister();
    printNotices(dados, err);
    const int rows = sheets::exportList(dados, list, args[1]);
    out << QStringLiteral("%1 linha(s) gravadas em %2\n").arg(rows).arg(QDir::toNativeSeparators(args[1]));
    return 0;
}

} // namespace zelta::cli
