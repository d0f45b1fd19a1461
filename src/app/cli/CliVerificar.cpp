#include "app/cli/CliCommands.h"

#include "data/TDm_Dados.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"
#include "validation/TVlCpfCgc.h"
#include "validation/Verificacao.h"

namespace zelta::cli {

namespace {

// A JSON string: quotes, backslashes and control characters escaped.
QString jsonText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (QChar c : text) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c.unicode() < 0x20) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += u'"';
    return out;
}

// One line per problem: the record, the field and the text of the problem.
void writeJson(const ListaPendencias& lista, QTextStream& out)
{
    for (const RegistroPendente& r : lista.registros) {
        const QString record = QStringLiteral("{\"tabela\": %1, \"codigo\": %2, \"cpf\": %3, \"nome\": %4, ")
                                   .arg(r.orientador ? QStringLiteral("\"orientador\"") : QStringLiteral("\"bolsista\""),
                                        r.orientador ? QString::number(r.codigo.toLongLong()) : QStringLiteral("null"),
                                        jsonText(r.cpf), jsonText(r.nome));
        for (const Pendencia& p : r.pendencias)
            out << record
                << QStringLiteral("\"campo\": %1, \"mensagem\": %2, \"impede_geracao\": %3}\n")
                       .arg(jsonText(nomeCampo(p.campo)), jsonText(p.mensagem),
                            p.impedeGeracao ? QStringLiteral("true") : QStringLiteral("false"));
    }
}

} // namespace

int verificar(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const bool json = args == QStringList{QStringLiteral("--json")};
    if (!args.isEmpty() && !json)
        throw plat::Error::usage({});
    TDm_Dados dados(registerDirectory());
    dados.checkRegister();
    printNotices(dados, err);
    // The validator as the main window holds it.
    TVlCpfCgc validator;
    validator.loadStoredState();
    Verificacao verificacao(dados, validator);
    if (!json)
        verificacao.setLogSink([&out](const QString& line) { out << line << '\n'; });
    const int errors = verificacao.run();
    dados.Tb_Erro_Bol_Ori->close();
    // Every problem of every record: those that only stop the generation of
    // the file, and those only the entry form refuses, included.
    if (json)
        writeJson(verificacao.pendencias(), out);
    out.flush();
    // The status is the verification's own verdict; the list says 1 also when
    // something stops the generation of the file. What only the entry form
    // asks for is listed, and counts in neither.
    if (json && !verificacao.pendencias().soImpeditivas().registros.isEmpty())
        return 1;
    return errors > 0 ? 1 : 0;
}

} // namespace zelta::cli
