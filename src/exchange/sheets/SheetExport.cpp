#include "exchange/sheets/SheetExport.h"

#include "advisors/AdvisorRules.h"
#include "data/TDm_Dados.h"
#include "exchange/sheets/SheetWriter.h"
#include "platform/db/Database.h"
#include "platform/db/Ordering.h"
#include "validation/Completude.h"
#include "validation/TVlCpfCgc.h"

#include <QHash>

namespace zelta::sheets {

namespace {

using plat::db::Database;

QList<Cell> headings(std::initializer_list<const char*> names)
{
    QList<Cell> row;
    for (const char* n : names)
        row.append(Cell::ofText(QString::fromUtf8(n)));
    return row;
}

QString word(const QString& code, const QString& a, const QString& wordA, const QString& b, const QString& wordB)
{
    return code == a ? wordA : code == b ? wordB : code.trimmed();
}

int exportHolders(const Database& db, SheetWriter& out)
{
    out.row(headings({"CPF", "Nome", "Sexo", "Data de Nascimento", "Situação", "Processo", "Demanda", "Código da Agência",
                      "Conta Bancária", "CPF do Orientador", "Orientador", "Título do Projeto"}));
    const plat::db::Ordering byName(db.table(QStringLiteral("ZELTABOL")), {QStringLiteral("Nome")});
    plat::db::Statement st = db.prepare(
        QStringLiteral("SELECT B.CPF, B.Nome, B.SEXO, B.DATA_NASCIMENTO, B.SITUACAO, B.PROCESSO, B.DEMANDA, "
                       "B.CODIGO_AGENCIA, B.CONTA_BANCO, B.CPF_ORIENTADOR, O.NOME, O.TITULO FROM ZELTABOL B "
                       "LEFT JOIN ZELTAORI O ON O.Codigo = B.NUMERO_ORIENTADOR ORDER BY ")
        + byName.orderBy(QStringLiteral("B")));
    int rows = 0;
    QList<Cell> row(12);
    while (st.step()) {
        for (int c = 0; c < 12; ++c)
            row[c] = Cell::ofText(st.text(c).trimmed());
        row[2] = Cell::ofText(
            word(st.text(2), QStringLiteral("F"), QStringLiteral("Feminino"), QStringLiteral("M"), QStringLiteral("Masculino")));
        const QDate nascimento = st.isoDate(3);
        row[3] = nascimento.isValid() ? Cell::ofDate(nascimento) : Cell{};
        out.row(row);
        ++rows;
    }
    return rows;
}

int exportAdvisors(const Database& db, SheetWriter& out)
{
    out.row(headings({"Código", "CPF", "Nome", "Titulação", "Título do Projeto", "Palavra Chave 1", "Palavra Chave 2",
                      "Palavra Chave 3", "Código da Área", "Área", "Pesquisador do Orvu", "Categoria"}));
    QHash<QString, QString> areas;
    for (plat::db::Statement a = db.prepare(QStringLiteral("SELECT CODIGO, SUBAREA FROM GRANDE_A")); a.step();)
        areas.insert(a.text(0), a.text(1));
    const plat::db::Ordering byName(db.table(QStringLiteral("ZELTAORI")), {QStringLiteral("NOME")});
    plat::db::Statement st = db.prepare(
        QStringLiteral("SELECT O.Codigo, O.CPF, O.NOME, O.TITULACAO, O.TITULO, O.P_CHAVE1, O.P_CHAVE2, O.P_CHAVE3, "
                       "O.COD_AREA, O.PESQUISADOR, O.CATEGORIA FROM ZELTAORI O ORDER BY ")
        + byName.orderBy(QStringLiteral("O")));
    int rows = 0;
    while (st.step()) {
        const QString code = st.text(8).trimmed().isEmpty() ? QString() : areaCodeFromDigits(st.text(8));
        out.row({Cell::ofNumber(double(st.int64(0))), Cell::ofText(st.text(1)), Cell::ofText(st.text(2)),
                 Cell::ofText(word(st.text(3), QStringLiteral("D"), QStringLiteral("Doutor"), QStringLiteral("M"),
                                   QStringLiteral("Mestre"))),
                 Cell::ofText(st.text(4)), Cell::ofText(st.text(5)), Cell::ofText(st.text(6)), Cell::ofText(st.text(7)),
                 Cell::ofText(code), Cell::ofText(areas.value(code)),
                 Cell::ofText(st.text(9) == u"S" ? QStringLiteral("Sim") : QStringLiteral("Não")),
                 Cell::ofText(st.text(10).trimmed())});
        ++rows;
    }
    return rows;
}

int exportPendencias(TDm_Dados& dm, SheetWriter& out)
{
    out.row(headings({"Cadastro", "Código", "CPF", "Nome", "Campo", "Problema", "Impede a geração"}));
    TVlCpfCgc validator;
    validator.loadStoredState();
    const ListaPendencias lista = listarPendencias(dm.database(), dm.holderOrdering(), dm.advisorOrdering(),
                                                   Regras::verificacao(validator));
    int rows = 0;
    for (const RegistroPendente& r : lista.registros)
        for (const Pendencia& p : r.pendencias) {
            if (p.resolvida)
                continue;
            out.row({Cell::ofText(r.orientador ? QStringLiteral("Orientador") : QStringLiteral("Bolsista")),
                     r.orientador ? Cell::ofNumber(double(r.codigo.toLongLong())) : Cell{}, Cell::ofText(r.cpf),
                     Cell::ofText(r.nome), Cell::ofText(nomeCampo(p.campo)), Cell::ofText(p.mensagem),
                     Cell::ofText(p.impedeGeracao ? QStringLiteral("Sim") : QStringLiteral("Não"))});
            ++rows;
        }
    return rows;
}

} // namespace

int exportList(TDm_Dados& dm, ExportList list, const QString& path)
{
    const char* names[] = {"Bolsistas", "Orientadores", "Pendências"};
    std::unique_ptr<SheetWriter> out = SheetWriter::create(path, QString::fromUtf8(names[int(list)]));
    int rows = 0;
    switch (list) {
    case ExportList::Holders:
        rows = exportHolders(dm.database(), *out);
        break;
    case ExportList::Advisors:
        rows = exportAdvisors(dm.database(), *out);
        break;
    case ExportList::Pendencias:
        rows = exportPendencias(dm, *out);
        break;
    }
    out->finish();
    return rows;
}

} // namespace zelta::sheets
