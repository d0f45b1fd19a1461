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

// Takes "--planilha NOME" (or "--planilha=NOME") out of the arguments.
QString takeSheetOption(QStringList& args)
{
    QString name;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--planilha") {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                throw plat::Error::usage(QStringLiteral("A opção --planilha precisa do nome de uma planilha."));
            name = args[i + 1];
            args.remove(i, 2);
            return name;
        }
        if (args[i].startsWith(QStringLiteral("--planilha="))) {
            name = args[i].mid(11);
            if (name.isEmpty())
                throw plat::Error::usage(QStringLiteral("A opção --planilha precisa do nome de uma planilha."));
            args.remove(i);
            return name;
        }
    }
    return name;
}

} // namespace

int importar(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    const QString sheetName = takeSheetOption(args);
    const bool simulate = args.removeAll(QStringLiteral("--simular")) > 0;
    if (args.size() != 2 || args[1].startsWith(u'-'))
        throw plat::Error::usage({});
    sheets::ImportKind kind;
    if (args[0] == u"bolsistas")
        kind = sheets::ImportKind::Holders;
    else if (args[0] == u"orientadores")
        kind = sheets::ImportKind::Advisors;
    else
        throw plat::Error::usage(QStringLiteral("Importa-se bolsistas ou orientadores, não %1.").arg(args[0]));
    requireTextName(args[1]);
    // The file is read before the register is touched: a file that cannot be
    // read changes nothing.
    const sheets::Workbook book = sheets::readWorkbook(args[1]);
    const sheets::Sheet& sheet = book.sheet(sheetName);
    const QString dataDir = registerDirectory();
    const auto lock = simulate ? nullptr : holdDataFolder(dataDir);
    TDm_Dados dados(dataDir);
    // Rows are checked against, and added to, a register that passes the
    // full check only: one changed outside the program is named and refused.
    dados.checkRegister();
    printNotices(dados, err);
    const sheets::ImportCheck check = sheets::checkImport(dados.database(), kind, sheet);
    for (const sheets::RowProblem& p : check.problems)
        out << sheets::problemLine(p) << '\n';
    if (!check.problems.isEmpty()) {
        out << QStringLiteral("%1 problema(s); nada foi importado.\n").arg(check.problems.size());
        return 1;
    }
    const QString what = kind == sheets::ImportKind::Holders ? QStringLiteral("bolsista(s)") : QStringLiteral("orientador(es)");
    if (simulate) {
        out << QStringLiteral("Nenhum problema: %1 %2 seriam importados.\n").arg(check.records.size()).arg(what);
        return 0;
    }
    const sheets::ImportResult result = sheets::writeImport(dados, check);
    out << QStringLiteral("%1 %2 importados.\n").arg(result.added).arg(what);
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
