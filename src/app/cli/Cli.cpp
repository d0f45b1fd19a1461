#include "app/cli/Cli.h"

#include "app/Version.h"
#include "app/cli/CliCommands.h"
#include "platform/system/Error.h"
#include "platform/system/FileNames.h"
#include "platform/system/FullStop.h"
#include "platform/system/Options.h"
#include "platform/system/Settings.h"

#include <QHash>
#include <functional>

namespace zelta {

namespace {

using cli::kExitUsage;

const char* kHelp =
    "Uso: zelta99 [SUBCOMANDO] [OPÇÕES]\n"
    "\n"
    "Sem subcomando, abre o programa com suas janelas.\n"
    "\n"
    "Subcomandos:\n"
    "  cpf TEXTO                      verifica um CPF ou CGC e mostra a forma padrão\n"
    "  recuperar ARQUIVO              recupera o arquivo do ano anterior (*.TEX)\n"
    "  verificar [--json]             verifica o preenchimento e mostra a lista de erros\n"
    "                                 (--json: cada pendência em uma linha JSON)\n"
    "  gerar --destino PASTA          gera o arquivo para o Orvu na pasta indicada\n"
    "  relatorio bolsistas|orientadores|erros --pdf ARQUIVO [--situacao Novo,Renovado,Excluído]\n"
    "                                 grava um relatório de conferência em PDF; sem --situacao,\n"
    "                                 o de bolsistas traz todas as situações\n"
    "  copia                          faz uma cópia de segurança dos dados e mostra o arquivo\n"
    "  copias                         lista as cópias de segurança, da mais recente à mais antiga,\n"
    "                                 com o motivo de cada uma e se passa na verificação\n"
    "  restaurar COPIA                põe a cópia no lugar dos dados (COPIA: o arquivo, ou o\n"
    "                                 número da linha em copias, 1 = a mais recente); os dados\n"
    "                                 substituídos ficam guardados numa cópia\n"
    "  aceitar                        aceita os registros alterados fora do programa como estão,\n"
    "                                 depois de guardar os dados numa cópia\n"
    "\n"
    "Opções:\n"
    "  --dados PASTA                  pasta dos dados (também ZELTA_DADOS ou [Zelta] Diretorio\n"
    "                                 em ~/.config/zelta99/zelta99.ini)\n"
    "  --help                         mostra esta ajuda\n"
    "  --version                      mostra a versão do programa\n"
    "\n"
    "Saída: 0 sem erros; 1 quando a verificação encontra erros ou o CPF/CGC é inválido;\n"
    "2 em erro de uso ou de dados.\n";

struct Command {
    std::function<int(const QStringList&, QTextStream&, QTextStream&)> run;
    const char* usage;   // shown after a usage error, under its message
};

QHash<QString, Command>& commands()
{
    static QHash<QString, Command> table{
        {QStringLiteral("cpf"), {cli::cpf, "Uso: zelta99 cpf TEXTO\n"}},
        {QStringLiteral("gerar"), {cli::gerar, "Uso: zelta99 gerar --destino PASTA [--dados PASTA]\n"}},
        {QStringLiteral("recuperar"), {cli::recuperar, "Uso: zelta99 recuperar ARQUIVO [--dados PASTA]\n"}},
        {QStringLiteral("verificar"), {cli::verificar, "Uso: zelta99 verificar [--json] [--dados PASTA]\n"}},
        {QStringLiteral("relatorio"),
         {cli::relatorio,
          "Uso: zelta99 relatorio bolsistas|orientadores|erros --pdf ARQUIVO [--situacao "
          "Novo,Renovado,Excluído]\n"}},
        {QStringLiteral("copia"), {cli::copia, "Uso: zelta99 copia [--dados PASTA]\n"}},
        {QStringLiteral("copias"), {cli::copias, "Uso: zelta99 copias [--dados PASTA]\n"}},
        {QStringLiteral("restaurar"),
         {cli::restaurar,
          "Uso: zelta99 restaurar COPIA [--dados PASTA]   (COPIA: o arquivo, ou o número da linha em "
          "zelta99 copias; 1 = a mais recente)\n"}},
        {QStringLiteral("aceitar"), {cli::aceitar, "Uso: zelta99 aceitar [--dados PASTA]\n"}},
    };
    return table;
}

} // namespace

int runCli(QStringList& args, QTextStream& out, QTextStream& err)
{
    bool ok = true;
    const QString dir = plat::sys::takeDataOption(args, &ok);
    if (!ok) {
        err << "A opção --dados precisa de uma pasta.\n";
        return kExitUsage;
    }
    if (plat::sys::hasRawBytes(dir)) {
        err << QStringLiteral("O nome da pasta %1 não está em UTF-8; os dados só podem ficar numa pasta de nome em UTF-8.\n")
                   .arg(dir);
        return kExitUsage;
    }
    if (!dir.isEmpty())
        plat::sys::Settings::instance().setDataDirectoryOverride(dir);
    if (args.isEmpty())
        return -1;
    const QString name = args.first();
    if (name == QStringLiteral("--help") || name == QStringLiteral("-h") || name == QStringLiteral("ajuda")) {
        out << QString::fromUtf8(kHelp);
        return 0;
    }
    if (name == QStringLiteral("--version")) {
        out << "zelta99 " << programVersion() << '\n';
        return 0;
    }
    const auto it = commands().constFind(name);
    if (it == commands().constEnd()) {
        err << QStringLiteral("Subcomando desconhecido: %1\n").arg(name) << QString::fromUtf8(kHelp);
        return kExitUsage;
    }
    // Every failure of a subcommand ends here: its message on err, and exit
    // code 2. A usage error is followed by the subcommand's usage line.
    try {
        return it->run(args.mid(1), out, err);
    } catch (const plat::Error& e) {
        out.flush();
        if (e.kind() == plat::Error::Kind::Usage) {
            if (!e.message().isEmpty())
                err << e.message() << '\n';
            err << QString::fromUtf8(it->usage);
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
