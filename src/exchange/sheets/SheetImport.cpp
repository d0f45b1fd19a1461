#include "exchange/sheets/SheetImport.h"

#include "advisors/AdvisorRules.h"
#include "data/CpfOwners.h"
#include "exchange/CpfText.h"
#include "exchange/sheets/CellValues.h"
#include "holders/HolderRules.h"
#include "platform/db/Database.h"
#include "platform/system/Cp1252.h"
#include "platform/system/Error.h"
#include "validation/Completude.h"
#include "validation/TVlCpfCgc.h"

#include <QRegularExpression>

namespace zelta::sheets {

namespace {

using plat::db::Database;

// Who already uses a CPF in the register. The one question the import asks
// about a CPF's owner, kept here alone so that it follows the rules' owner;
// one CpfOwners answers every row, its statements prepared once.
CpfOwner whoseCpf(CpfOwners& owners, const QString& cpf) { return owners.forHolder(cpf, 0); }

// A coded field given by what the form stores or what it shows, compared
// folded: "F", "Feminino", "feminino" all give "F".
QString codeOf(const QString& text, const QList<QPair<QString, QString>>& codes)
{
    const QString folded = foldHeading(text);
    for (const auto& [code, word] : codes)
        if (folded == foldHeading(code) || folded == foldHeading(word))
            return code;
    return QString();
}

struct AdvisorRecord {
    qint64 codigo = 0;
    QString titulo;
};

// What the checks need to know of the register, read once.
struct Register {
    QHash<QString, QList<AdvisorRecord>> advisorsByCpf;
    QHash<QString, QString> areaNameByCode; // "9.99.99.99-9"
    QHash<QString, QString> areaCodeByName;
    int novoRenovado = 0;
    double cotas = 0;

    explicit Register(const Database& db, ImportKind kind)
    {
        if (kind == ImportKind::Holders) {
            plat::db::Statement st = db.prepare(QStringLiteral("SELECT CPF, Codigo, TITULO FROM ZELTAORI ORDER BY Codigo"));
            while (st.step())
                advisorsByCpf[st.text(0)].append({st.int64(1), st.text(2)});
            novoRenovado
                = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE SITUACAO IN ('Novo','Renovado')")).toInt();
            cotas = db.scalar(QStringLiteral("SELECT Cotas FROM ZELTAINT ORDER BY rowid LIMIT 1")).toDouble();
        } else {
            plat::db::Statement st = db.prepare(QStringLiteral("SELECT CODIGO, SUBAREA FROM GRANDE_A"));
            while (st.step()) {
                areaNameByCode.insert(st.text(0), st.text(1));
                areaCodeByName.insert(st.text(1), st.text(0));
            }
        }
    }
};

class RowChecker {
public:
    RowChecker(ImportKind kind, const Mapping& mapping, const SheetRow& row, QList<RowProblem>& problems)
        : m_kind(kind), m_mapping(mapping), m_row(row), m_problems(problems)
    {
        // A formula without its result reads as empty: its own problem,
        // instead of the empty value's.
        for (const ImportField& f : importFields(kind))
            if (const Cell& c = cell(f.id); c.type == Cell::Type::Uncomputed)
                m_problems.append(
                    {m_row.number, f.label,
                     QStringLiteral("a célula %1 tem uma fórmula sem valor calculado; abra a planilha e salve-a de novo")
                         .arg(c.text)});
    }
    const Cell& cell(FieldId id) const { return m_mapping.contains(id) ? m_row.cell(m_mapping.value(id)) : m_empty; }
    QString text(FieldId id) const { return textOf(cell(id)); }
    void problem(FieldId id, const QString& message)
    {
        if (cell(id).type != Cell::Type::Uncomputed)
            m_problems.append({m_row.number, fieldLabel(m_kind, id), message});
    }
    void problem(const QString& field, const QString& message) { m_problems.append({m_row.number, field, message}); }
    // A text in capitals, as the entry forms' boxes store it, within its size.
    QString capitals(FieldId id, int size)
    {
        const QString value = plat::sys::upperCp1252(text(id));
        if (value.size() > size)
            problem(id, QStringLiteral("tem %1 caracteres; cabem %2").arg(value.size()).arg(size));
        return value;
    }
    QString cpf(FieldId id)
    {
        const std::optional<QString> cpf = cpfOf(cell(id));
        if (!cpf || cpf->isEmpty() || !cpfDigitsValid(cpfDigits(*cpf))) {
            problem(id, QStringLiteral("Favor verificar o CPF")
                            + (cpf && cpf->isEmpty() ? QString() : QStringLiteral(" (%1)").arg(shownOf(cell(id)))));
            return QString();
        }
        return *cpf;
    }
    int row() const { return m_row.number; }

private:
    ImportKind m_kind;
    const Mapping& m_mapping;
    const SheetRow& m_row;
    QList<RowProblem>& m_problems;
    Cell m_empty;
};

FieldId holderCheckField(HolderCheck check)
{
    switch (check) {
    case HolderCheck::Sexo:
        return FieldId::Sexo;
    case HolderCheck::Nascimento:
        return FieldId::Nascimento;
    case HolderCheck::Agencia:
        return FieldId::Agencia;
    case HolderCheck::Orientador:
        return FieldId::CpfOrientador;
    case HolderCheck::Nome:
        return FieldId::Nome;
    }
    return FieldId::Nome;
}

// The holder's advisor: the record with the CPF and, when that person has
// several projects, the one whose title is given.
qint64 holderAdvisor(RowChecker& r, const Register& reg, const QString& cpfOrientador)
{
    const auto found = reg.advisorsByCpf.constFind(cpfOrientador);
    if (found == reg.advisorsByCpf.constEnd()) {
        r.problem(FieldId::CpfOrientador, QStringLiteral("nenhum orientador cadastrado tem o CPF %1").arg(cpfOrientador));
        return 0;
    }
    const QString projeto = foldHeading(r.text(FieldId::Projeto));
    if (projeto.isEmpty()) {
        if (found->size() == 1)
            return found->first().codigo;
        r.problem(
            FieldId::Projeto,
            QStringLiteral("o orientador %1 tem %2 projetos; informe o título do projeto").arg(cpfOrientador).arg(found->size()));
        return 0;
    }
    for (const AdvisorRecord& a : *found)
        if (foldHeading(a.titulo) == projeto)
            return a.codigo;
    r.problem(FieldId::Projeto, QStringLiteral("não é o título de um projeto do orientador %1").arg(cpfOrientador));
    return 0;
}

QString situacaoOf(RowChecker& r)
{
    const QString given = r.text(FieldId::Situacao);
    if (given.isEmpty())
        return situacao::novo;
    const QString code = codeOf(given, {{QStringLiteral("NV"), situacao::novo},
                                        {QStringLiteral("RN"), situacao::renovado},
                                        {QStringLiteral("EX"), situacao::excluido}});
    if (code.isEmpty())
        r.problem(FieldId::Situacao, QStringLiteral("\"%1\" não é Novo, Renovado nem Excluído").arg(given));
    return situacaoWord(code);
}

void checkHolder(RowChecker& r, CpfOwners& owners, const Register& reg, ImportCheck& out, const QDate& today)
{
    const QString cpf = r.cpf(FieldId::Cpf);
    if (!cpf.isEmpty()) {
        const CpfOwner owner = whoseCpf(owners, cpf);
        if (owner.found())
            r.problem(FieldId::Cpf, owner.advisor() ? holderText::cpfOfAdvisor(owner.nome) : holderText::cpfOfHolder(owner.nome));
    }
    const QString nome = r.capitals(FieldId::Nome, 60);
    const QString sexoGiven = r.text(FieldId::Sexo);
    const QString sexo = codeOf(sexoGiven, {{QStringLiteral("F"), QStringLiteral("Feminino")},
                                            {QStringLiteral("M"), QStringLiteral("Masculino")}});
    if (!sexoGiven.isEmpty() && sexo.isEmpty())
        r.problem(FieldId::Sexo, QStringLiteral("\"%1\" não é F (Feminino) nem M (Masculino)").arg(sexoGiven));
    const std::optional<QDate> nascimento = dateOf(r.cell(FieldId::Nascimento), today);
    if (!nascimento)
        r.problem(FieldId::Nascimento,
                  QStringLiteral("\"%1\" não é uma data válida (dia/mês/ano)").arg(shownOf(r.cell(FieldId::Nascimento))));
    const QString agencia = r.capitals(FieldId::Agencia, 6);
    QString cpfOrientador;
    qint64 numero = 0;
    if (!r.text(FieldId::CpfOrientador).isEmpty()) {
        cpfOrientador = r.cpf(FieldId::CpfOrientador);
        if (!cpfOrientador.isEmpty())
            numero = holderAdvisor(r, reg, cpfOrientador);
    }
    const QString situacao = situacaoOf(r);
    // The entry form's own checks, each failing one with its message.
    const HolderEntry entry{nome, sexoItem(sexo), nascimento && nascimento->isValid() ? dataEscrita(*nascimento) : QString(),
                            agencia, cpfOrientador};
    const bool dateShown = !nascimento;
    for (const HolderProblem& p : holderEntryProblems(entry))
        if (!(p.check == HolderCheck::Nascimento && dateShown) && !(p.check == HolderCheck::Sexo && !sexoGiven.isEmpty())
            && !(p.check == HolderCheck::Orientador && !r.text(FieldId::CpfOrientador).isEmpty()))
            r.problem(holderCheckField(p.check), p.message);
    out.records.append({nome, cpf, sexo, nascimento && nascimento->isValid() ? QVariant(*nascimento) : QVariant(), situacao,
                        agencia, cpfOrientador, numero});
}

QString areaOf(RowChecker& r, const Register& reg, QString* name)
{
    const Cell& c = r.cell(FieldId::Area);
    QString given = textOf(c);
    if (given.isEmpty())
        return QString();
    static const QRegularExpression shown(QStringLiteral("^\\d\\.\\d{2}\\.\\d{2}\\.\\d{2}-\\d$"));
    static const QRegularExpression stored(QStringLiteral("^\\d{1,8}$"));
    QString code;
    if (shown.match(given).hasMatch())
        code = given;
    else if (stored.match(given).hasMatch())
        code = areaCodeFromDigits(given.rightJustified(8, u'0'));
    if (!code.isEmpty() && reg.areaNameByCode.contains(code)) {
        *name = reg.areaNameByCode.value(code);
        return areaCodeDigits(code);
    }
    if (code.isEmpty() && reg.areaCodeByName.contains(given)) {
        *name = given;
        return areaCodeDigits(reg.areaCodeByName.value(given));
    }
    r.problem(FieldId::Area, QStringLiteral("Código de Área Inexistente !!! (%1)").arg(given));
    return QString();
}

void checkAdvisor(RowChecker& r, CpfOwners& owners, const Register& reg, ImportCheck& out)
{
    const QString cpf = r.cpf(FieldId::Cpf);
    if (!cpf.isEmpty()) {
        const CpfOwner owner = whoseCpf(owners, cpf);
        if (owner.found() && !owner.advisor())
            r.problem(FieldId::Cpf, advisorText::cpfOfHolder(owner.nome));
    }
    const QString nome = r.capitals(FieldId::Nome, 60);
    const QString titulacaoGiven = r.text(FieldId::Titulacao);
    const QString titulacao = codeOf(titulacaoGiven, {{QStringLiteral("D"), QStringLiteral("Doutor")},
                                                      {QStringLiteral("M"), QStringLiteral("Mestre")}});
    if (!titulacaoGiven.isEmpty() && titulacao.isEmpty())
        r.problem(FieldId::Titulacao, QStringLiteral("\"%1\" não é D (Doutor) nem M (Mestre)").arg(titulacaoGiven));
    const QString titulo = r.capitals(FieldId::Titulo, 240);
    const QString p1 = r.capitals(FieldId::Palavra1, 20), p2 = r.capitals(FieldId::Palavra2, 20),
                  p3 = r.capitals(FieldId::Palavra3, 20);
    QString areaName;
    const QString codArea = areaOf(r, reg, &areaName);
    const QString pesquisadorGiven = r.text(FieldId::Pesquisador);
    const QString pesquisador = codeOf(pesquisadorGiven, {{QStringLiteral("S"), QStringLiteral("Sim")},
                                                          {QStringLiteral("N"), QStringLiteral("Não")}});
    if (!pesquisadorGiven.isEmpty() && pesquisador.isEmpty())
        r.problem(FieldId::Pesquisador, QStringLiteral("\"%1\" não é S (Sim) nem N (Não)").arg(pesquisadorGiven));
    QString categoria = r.text(FieldId::Categoria).toUpper();
    if (!categoria.isEmpty() && !categoriaCodes().contains(categoria))
        r.problem(FieldId::Categoria,
                  QStringLiteral("\"%1\" não é uma categoria (%2)").arg(categoria, categoriaCodes().join(u',')));
    else if (!categoria.isEmpty() && pesquisador != u"S")
        r.problem(FieldId::Categoria, QStringLiteral("só um pesquisador do Orvu (Sim) tem categoria"));
    // The form's checks, every failing one (the form shows only the last).
    const unsigned failures = advisorEntryFailures({nome, titulacaoItem(titulacao), titulo, p1, p2, p3, areaName});
    const FieldId fields[] = {FieldId::Nome,     FieldId::Titulacao, FieldId::Titulo,   FieldId::Palavra1,
                              FieldId::Palavra2, FieldId::Palavra3,  FieldId::Palavra3, FieldId::Area};
    for (AdvisorCheck check : kAdvisorChecks)
        if ((failures & (1u << unsigned(check))) && !(check == AdvisorCheck::Titulacao && !titulacaoGiven.isEmpty())
            && !(check == AdvisorCheck::Area && !r.text(FieldId::Area).isEmpty()))
            r.problem(fields[int(check)], advisorCheckMessage(check).trimmed());
    out.records.append({cpf, nome, titulacao, titulo, p1, p2, p3, codArea,
                        pesquisador == u"S" ? QStringLiteral("S") : QStringLiteral(" "),
                        pesquisador == u"S" && !categoria.isEmpty() ? categoria : QStringLiteral("  ")});
}

// Holders that count against the quota beyond it are refused, in row order.
void checkQuota(const Register& reg, const Sheet& sheet, ImportCheck& out)
{
    int total = reg.novoRenovado;
    const QString cotas = cotasText(reg.cotas);
    for (int i = 0; i < out.records.size(); ++i) {
        const QString situacao = out.records[i][4].toString();
        if (situacao != situacao::novo && situacao != situacao::renovado)
            continue;
        if (quotaFull(QString::number(total), cotas))
            out.problems.append(
                {sheet.rows[i + 1].number, fieldLabel(ImportKind::Holders, FieldId::Situacao), holderText::quotaFullNovo()});
        else
            ++total;
    }
}

} // namespace

ImportCheck checkImport(const Database& db, ImportKind kind, const Sheet& sheet, const Mapping* mapping)
{
    if (sheet.rows.isEmpty())
        throw plat::Error::input(QStringLiteral("A planilha %1 está vazia").arg(sheet.name));
    ImportCheck out;
    out.kind = kind;
    out.mapping = mapping ? *mapping : matchHeadings(kind, sheet.rows.first());
    if (!out.mapping.contains(FieldId::Cpf))
        throw plat::Error::input(QStringLiteral("A primeira linha da planilha deve trazer os títulos das colunas, "
                                                "entre eles \"CPF\"; a linha %1 não traz")
                                     .arg(sheet.rows.first().number));
    const Register reg(db, kind);
    const QDate today = QDate::currentDate();
    QHash<QString, int> rowOfCpf;
    CpfOwners owners(db);
    for (qsizetype i = 1; i < sheet.rows.size(); ++i) {
        RowChecker r(kind, out.mapping, sheet.rows[i], out.problems);
        if (kind == ImportKind::Holders)
            checkHolder(r, owners, reg, out, today);
        else
            checkAdvisor(r, owners, reg, out);
        const QString cpf = out.records.last().at(kind == ImportKind::Holders ? 1 : 0).toString();
        // One person is one holder; an advisor may come once per project.
        if (kind == ImportKind::Holders && !cpf.isEmpty()) {
            if (rowOfCpf.contains(cpf))
                r.problem(FieldId::Cpf, QStringLiteral("CPF repetido: já está na linha %1").arg(rowOfCpf.value(cpf)));
            else
                rowOfCpf.insert(cpf, r.row());
        }
    }
    if (kind == ImportKind::Holders)
        checkQuota(reg, sheet, out);
    std::stable_sort(out.problems.begin(), out.problems.end(),
                     [](const RowProblem& a, const RowProblem& b) { return a.row < b.row; });
    return out;
}

} // namespace zelta::sheets
