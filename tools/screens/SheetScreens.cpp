// The spreadsheet import: a holder sheet with problems, an advisor sheet
// ready to import, an update of registered holders, and the export command
// in the holder list.
#include "ScreenRegistry.h"

#include "app/windows/Sessao.h"
#include "data/TDm_Dados.h"
#include "exchange/windows/TFrm_ImportarPlanilha.h"
#include "platform/db/Database.h"
#include "validation/TVlCpfCgc.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTableView>

namespace zelta::screens {

namespace {

QString cpf(qint64 nineDigits)
{
    const QString d = zelta::cpfWithCheckDigits(nineDigits);
    return QStringLiteral("%1.%2.%3-%4").arg(d.left(3), d.mid(3, 3), d.mid(6, 3), d.mid(9, 2));
}

QString writeSheet(const QString& name, const QString& text)
{
    const QString path = QDir::home().filePath(QStringLiteral("Documentos/") + name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text.toUtf8());
    return path;
}

const ScreenRegistrar problems("importar-planilha", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    const QString advisor = ctx.dados.database().scalar(QStringLiteral("SELECT CPF FROM ZELTAORI ORDER BY NOME")).toString();
    const QString file = writeSheet(QStringLiteral("novos-bolsistas.csv"),
                                    QStringLiteral("CPF;Nome do Bolsista;Sexo;Dt. Nasc.;Agência;CPF do Orientador;Situação\n"
                                                   "%1;Ana Beatriz Lima;F;14/03/1999;1234-5;%5;Novo\n"
                                                   "%2;Bruno Carvalho;Masculino;31/02/2000;1234-5;%5;Novo\n"
                                                   "%3;Carla Dias;F;2/7/01;0987;%5;Novo\n"
                                                   "123.456.789-00;Davi Esteves;X;5/5/98;0987;%5;Novo\n"
                                                   "%4;Elisa Farias;F;9/9/99;0987;%5;Renovado\n")
                                        .arg(cpf(520000001), cpf(520000002), cpf(520000003), cpf(520000004), advisor));
    auto form = std::make_unique<TFrm_ImportarPlanilha>(ctx.sessao, ctx.owner);
    form->abrirArquivo(file);
    return form;
});

const ScreenRegistrar ready("importar-planilha-pronta", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    const QString file = writeSheet(
        QStringLiteral("orientadores.csv"),
        QStringLiteral("CPF;Nome;Titulação;Título do Projeto;Palavra Chave 1;Palavra Chave 2;Área;Pesquisador;Categoria;"
                       "Observação\n"
                       "%1;Rita Souza;Doutor;Solos do cerrado;Solo;Cerrado;1.01.00.00-8;Não;;revisar\n"
                       "%2;Paulo Nunes;Mestre;Redes de sensores;Redes;;10100008;Sim;1A;\n"
                       "%3;Lia Rocha;D;Química verde;Catálise;;ADMINISTRACAO;N;;\n")
            .arg(cpf(530000001), cpf(530000002), cpf(530000003)));
    auto form = std::make_unique<TFrm_ImportarPlanilha>(ctx.sessao, ctx.owner);
    form->abrirArquivo(file);
    return form;
});

// The update of registered holders: each change a row makes, as "campo:
// antes → depois".
const ScreenRegistrar update("importar-planilha-atualizar", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    plat::db::Statement st = ctx.dados.database().prepare(QStringLiteral("SELECT CPF FROM ZELTABOL ORDER BY Nome LIMIT 3"));
    QStringList cpfs;
    while (st.step())
        cpfs << st.text(0);
    const QString file = writeSheet(QStringLiteral("dados-bancarios.csv"),
                                    QStringLiteral("CPF do(a) bolsista;Ag.;Conta Bancária\n%1;452;12345-6\n%2;0987-1;\n"
                                                   "%3;1234;998877-0\n")
                                        .arg(cpfs.value(0), cpfs.value(1), cpfs.value(2)));
    auto form = std::make_unique<TFrm_ImportarPlanilha>(ctx.sessao, ctx.owner);
    form->abrirArquivo(file);
    form->ChkAtualizar->setChecked(true);
    return form;
});

} // namespace

} // namespace zelta::screens
