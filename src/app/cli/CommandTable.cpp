#include "app/cli/CommandTable.h"

#include "app/cli/CliCommands.h"

#include <QRegularExpression>

namespace zelta::cli {

namespace {

constexpr int kDescriptionColumn = 33;

// One entry of the help: the synopsis, then its description from the column
// where descriptions start; a synopsis too long for that goes on a line of its own.
void writeEntry(QString& out, const QString& synopsis, const QString& description)
{
    QString first = QStringLiteral("  ") + synopsis;
    const QStringList lines = description.split(u'\n');
    qsizetype next = 0;
    if (first.size() < kDescriptionColumn - 1) {
        first = first.leftJustified(kDescriptionColumn) + lines.first();
        next = 1;
    }
    out += first + u'\n';
    for (qsizetype i = next; i < lines.size(); ++i)
        out += QString(kDescriptionColumn, u' ') + lines[i] + u'\n';
}

} // namespace

QStringList Command::options() const
{
    static const QRegularExpression option(QStringLiteral("--[a-z]+"));
    QStringList out;
    for (const auto& m : option.globalMatch(synopsis))
        out << m.captured();
    return out;
}

const QList<Command>& commands()
{
    static const QList<Command> table{
        {QStringLiteral("cpf"), cli::cpf, QStringLiteral("TEXTO"),
         QStringLiteral("verifica um CPF ou CGC e mostra a forma padrão"), QStringLiteral("Uso: zelta99 cpf TEXTO")},
        {QStringLiteral("recuperar"), cli::recuperar, QStringLiteral("ARQUIVO"),
         QStringLiteral("recupera o arquivo do ano anterior (*.TEX)"),
         QStringLiteral("Uso: zelta99 recuperar ARQUIVO [--dados PASTA]")},
        {QStringLiteral("verificar"), cli::verificar, QStringLiteral("[--json]"),
         QStringLiteral("verifica o preenchimento e mostra a lista de erros\n(--json: cada pendência em uma linha JSON)"),
         QStringLiteral("Uso: zelta99 verificar [--json] [--dados PASTA]")},
        {QStringLiteral("gerar"), cli::gerar, QStringLiteral("--destino PASTA"),
         QStringLiteral("gera o arquivo para o Orvu na pasta indicada"),
         QStringLiteral("Uso: zelta99 gerar --destino PASTA [--dados PASTA]")},
        {QStringLiteral("relatorio"), cli::relatorio,
         QStringLiteral("bolsistas|orientadores|erros --pdf ARQUIVO [--situacao Novo,Renovado,Excluído]"),
         QStringLiteral("grava um relatório de conferência em PDF; sem --situacao,\no de bolsistas traz todas as situações"),
         QStringLiteral("Uso: zelta99 relatorio bolsistas|orientadores|erros --pdf ARQUIVO "
                        "[--situacao Novo,Renovado,Excluído]")},
        {QStringLiteral("copia"), cli::copia, QString(),
         QStringLiteral("faz uma cópia de segurança dos dados e mostra o arquivo"),
         QStringLiteral("Uso: zelta99 copia [--dados PASTA]")},
        {QStringLiteral("copias"), cli::copias, QString(),
         QStringLiteral("lista as cópias de segurança, da mais recente à mais antiga,\n"
                        "com o motivo de cada uma e se passa na verificação"),
         QStringLiteral("Uso: zelta99 copias [--dados PASTA]")},
        {QStringLiteral("restaurar"), cli::restaurar, QStringLiteral("COPIA"),
         QStringLiteral("põe a cópia no lugar dos dados (COPIA: o arquivo, ou o\n"
                        "número da linha em copias, 1 = a mais recente); os dados\nsubstituídos ficam guardados numa cópia"),
         QStringLiteral("Uso: zelta99 restaurar COPIA [--dados PASTA]   (COPIA: o arquivo, ou o número da linha em "
                        "zelta99 copias; 1 = a mais recente)")},
        {QStringLiteral("aceitar"), cli::aceitar, QString(),
         QStringLiteral("aceita os registros alterados fora do programa como estão,\n"
                        "depois de guardar os dados numa cópia"),
         QStringLiteral("Uso: zelta99 aceitar [--dados PASTA]")},
        {QStringLiteral("importar"), cli::importar,
         QStringLiteral("bolsistas|orientadores ARQUIVO [--planilha NOME] [--coluna CAMPO=TÍTULO]... [--atualizar] "
                        "[--simular]"),
         QStringLiteral("importa uma planilha (CSV, XLSX ou ODS); mostra cada\n"
                        "problema como \"linha N: CAMPO: mensagem\" e nada grava\n"
                        "quando há algum; --coluna diz a coluna de um campo;\n"
                        "--atualizar altera os já cadastrados (cada alteração\n"
                        "como \"linha N: CAMPO: antes → depois\"); --simular só\n"
                        "verifica"),
         QStringLiteral("Uso: zelta99 importar bolsistas|orientadores ARQUIVO [--planilha NOME] [--coluna CAMPO=TÍTULO]... "
                        "[--atualizar] [--simular] [--dados PASTA]")},
        {QStringLiteral("exportar"), cli::exportar, QStringLiteral("bolsistas|orientadores|pendencias ARQUIVO"),
         QStringLiteral("grava a lista numa planilha: .xlsx, .ods ou .csv"),
         QStringLiteral("Uso: zelta99 exportar bolsistas|orientadores|pendencias ARQUIVO [--dados PASTA]")},
    };
    return table;
}

const Command* findCommand(const QString& name)
{
    for (const Command& c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

const QList<GlobalOption>& globalOptions()
{
    static const QList<GlobalOption> table{
        {QStringLiteral("--dados"), QStringLiteral("PASTA"),
         QStringLiteral("pasta dos dados (também ZELTA_DADOS ou [Zelta] Diretorio\nem ~/.config/zelta99/zelta99.ini)")},
        {QStringLiteral("--help"), QString(), QStringLiteral("mostra esta ajuda")},
        {QStringLiteral("--version"), QString(), QStringLiteral("mostra a versão do programa")},
    };
    return table;
}

QString helpText()
{
    const auto joined = [](const QString& name, const QString& synopsis) {
        return synopsis.isEmpty() ? name : name + u' ' + synopsis;
    };
    QString out = QStringLiteral("Uso: zelta99 [SUBCOMANDO] [OPÇÕES]\n\n"
                                 "Sem subcomando, abre o programa com suas janelas.\n\n"
                                 "Subcomandos:\n");
    for (const Command& c : commands())
        writeEntry(out, joined(c.name, c.synopsis), c.description);
    out += QStringLiteral("\nOpções:\n");
    for (const GlobalOption& o : globalOptions())
        writeEntry(out, joined(o.name, o.synopsis), o.description);
    out += QStringLiteral("\nSaída: 0 sem erros; 1 quando a verificação encontra erros ou o CPF/CGC é inválido;\n"
                          "2 em erro de uso ou de dados.\n");
    return out;
}

} // namespace zelta::cli
