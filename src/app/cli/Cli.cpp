#include "app/cli/Cli.h"

#include "platform/system/Options.h"
#include "platform/system/Settings.h"
#include "app/Version.h"
#include "app/cli/CliCommands.h"

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
    "  copias                         lista as cópias de segurança, da mais recente à mais antiga\n"
    "  restaurar COPIA                põe a cópia no lugar dos dados (COPIA: o arquivo, ou o\n"
    "                                 número da linha em copias, 1 = a mais recente); os dados\n"
    "                                 substituídos ficam guardados numa cópia\n"
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
};

QHash<QString, Command>& commands()
{
    static QHash<QString, Command> table{
        {QStringLiteral("cpf"), {cli::cpf}},
        {QStringLiteral("gerar"), {cli::gerar}},
        {QStringLiteral("recuperar"), {cli::recuperar}},
        {QStringLiteral("verificar"), {cli::verificar}},
        {QStringLiteral("relatorio"), {cli::relatorio}},
        {QStringLiteral("copia"), {cli::copia}},
        {QStringLiteral("copias"), {cli::copias}},
        {QStringLiteral("restaurar"), {cli::restaurar}},
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
    return it->run(args.mid(1), out, err);
}

} // namespace zelta
