#include "exchange/sheets/SheetImport.h"

#include "advisors/AdvisorRules.h"
#include "data/CpfOwners.h"
#include "exchange/CpfText.h"
#include "exchange/sheets/CellValues.h"
#include "exchange/sheets/ImportRegister.h"
#include "holders/HolderRules.h"
#include "platform/db/Database.h"
#include "platform/system/Cp1252.h"
#include "platform/system/Error.h"
#include "platform/system/TextEntry.h"
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

// The stored codes of a coded field and the words that give each.
using Codes = QList<QPair<QString, QStringList>>;

const Codes& sexoCodes()
{
    static const Codes codes{{QStringLiteral("F"), {QStringLiteral("Feminino"), QStringLiteral("Fem"), QStringLiteral("Mulher")}},
                             {QStringLiteral("M"),
                              {QStringLiteral("Masculino"), QStringLiteral("Masc"), QStringLiteral("Homem")}}};
    return codes;
}

const Codes& titulacaoCodes()
{
    // Both genders, the degree's name and the usual abbreviations.
    static const Codes codes{{QStringLiteral("D"),
                              {QStringLiteral("Doutor"), QStringLiteral("Doutora"), QStringLiteral("Doutorado"),
                               QStringLiteral("Dr"), QStringLiteral("Dra"), QString::fromUtf8("Drª"), QStringLiteral("PhD"),
                               QStringLiteral("DSc")}},
                             {QStringLiteral("M"),
                              {QStringLiteral("Mestre"), QStringLiteral("Mestra"), QStringLiteral("Mestrado"),
                               QStringLiteral("Me"), QStringLiteral("Ma"), QStringLiteral("Ms"), QStringLiteral("MSc")}}};
    return codes;
}

const Codes& simNaoCodes()
{
    static const Codes codes{{QStringLiteral("S"), {QStringLiteral("Sim")}}, {QStringLiteral("N"), {QString::fromUtf8("Não")}}};
    return codes;
}

const Codes& situacaoCodes()
{
    static const Codes codes{{QStringLiteral("NV"), {situacao::novo, QStringLiteral("Nova")}},
                             {QStringLiteral("RN"), {situacao::renovado, QStringLiteral("Renovada")}},
                             {QStringLiteral("EX"), {situacao::excluido, QString::fromUtf8("Excluída")}}};
    return codes;
}

// A coded field given by what the form stores or by a word for it, compared
// folded and without the text in parentheses: "F", "Feminino" and "fem."
// give "F"; "Doutora", "Doutor(a)" and "Dr." give "D".
QString codeOf(const QString& text, const Codes& codes)
{
    const QString folded = foldHeading(withoutParentheses(text));
    for (const auto& [code, words] : codes) {
        bool named = folded == foldHeading(code);
        for (const QString& w : words)
            named = named || folded == foldHeading(w);
        if (named)
            return code;
    }
    return QString();
}

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
    // The sheet gives the field: its column is mapped and its cell filled.
    bool given(FieldId id) const { return m_mapping.contains(id) && !cell(id).isEmpty(); }
    void problem(FieldId id, const QString& message)
    {
        m_reported.insert(id);
        if (cell(id).type != Cell::Type::Uncomputed)
            m_problems.append({m_row.number, fieldLabel(m_kind, id), message});
    }
    void problem(const QString& field, const QString& message) { m_problems.append({m_row.number, field, message}); }
    // The fields that have a problem of their own so far.
    QSet<FieldId> reported() const { return m_reported; }
    // A text in capitals, as the entry forms' boxes store it, within its size:
    // composed (NFC), and with nothing the agency's file cannot carry.
    QString capitals(FieldId id, int size, plat::sys::LineBreaks breaks = plat::sys::LineBreaks::Refused)
    {
        return sized(id, plat::sys::upperCp1252(entered(id, breaks)), size);
    }
    // A text as given, within its size: composed, and carried by the file.
    QString plain(FieldId id, int size) { return sized(id, entered(id, plat::sys::LineBreaks::Refused), size); }
    QString entered(FieldId id, plat::sys::LineBreaks breaks) { return entered(id, text(id), breaks); }
    QString entered(FieldId id, const QString& given, plat::sys::LineBreaks breaks)
    {
        const plat::sys::EnteredText entered = plat::sys::enterText(given, breaks);
        if (entered.refusal)
            problem(id, plat::sys::refusalText(entered.refusal.character));
        return entered.text;
    }
    QString sized(FieldId id, const QString& value, int size)
    {
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
    QSet<FieldId> m_reported;
    Cell m_empty;
};

// What the rows of one import share while they are checked.
struct Checking {
    Checking(const Database& db, ImportKind kind, bool update) : owners(db), reg(db, kind), update(update) {}
    CpfOwners owners;
    ImportRegister reg;
    const bool update;
    const QDate today = QDate::currentDate();
    QList<QPair<int, int>> quota; // holders: each row's change of the count against the quota
    QHash<QString, int> firstRow; // the row of each holder CPF, of each advisor's CPF and project
    QSet<qint64> numbers;         // advisors: the record numbers rows asked for
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
// several projects, the one whose title is given; without a title, the
// record the holder had, when it is one of them.
QVariant holderAdvisor(RowChecker& r, const ImportRegister& reg, const QString& cpfOrientador, const QString& title,
                       const QVariant& before)
{
    const auto found = reg.advisorsByCpf.constFind(cpfOrientador);
    if (found == reg.advisorsByCpf.constEnd()) {
        r.problem(FieldId::CpfOrientador, QStringLiteral("nenhum orientador cadastrado tem o CPF %1").arg(cpfOrientador));
        return {};
    }
    const QString projeto = foldHeading(title);
    if (projeto.isEmpty()) {
        for (const AdvisorRecord& a : *found)
            if (found->size() == 1 || (!before.isNull() && a.codigo == before.toLongLong()))
                return a.codigo;
        r.problem(
            FieldId::Projeto,
            QStringLiteral("o orientador %1 tem %2 projetos; informe o título do projeto").arg(cpfOrientador).arg(found->size()));
        return {};
    }
    for (const AdvisorRecord& a : *found)
        if (foldHeading(a.titulo) == projeto)
            return a.codigo;
    r.problem(FieldId::Projeto, QStringLiteral("não é o título de um projeto do orientador %1").arg(cpfOrientador));
    return {};
}

// What a row gives of a holder: each field whose cell is filled, checked
// alone. Projeto holds the title given; the record is found later.
FieldValues holderGiven(RowChecker& r, const QDate& today)
{
    FieldValues v;
    if (r.given(FieldId::Nome))
        v.insert(FieldId::Nome, r.capitals(FieldId::Nome, 60));
    if (const QString sexo = r.text(FieldId::Sexo); r.given(FieldId::Sexo)) {
        if (codeOf(sexo, sexoCodes()).isEmpty())
            r.problem(FieldId::Sexo, QStringLiteral("\"%1\" não é F (Feminino) nem M (Masculino)").arg(sexo));
        else
            v.insert(FieldId::Sexo, codeOf(sexo, sexoCodes()));
    }
    if (r.given(FieldId::Nascimento)) {
        const std::optional<QDate> nascimento = dateOf(r.cell(FieldId::Nascimento), today);
        if (!nascimento || !nascimento->isValid())
            r.problem(FieldId::Nascimento,
                      QStringLiteral("\"%1\" não é uma data válida (dia/mês/ano)").arg(shownOf(r.cell(FieldId::Nascimento))));
        else
            v.insert(FieldId::Nascimento, *nascimento);
    }
    if (r.given(FieldId::Agencia))
        v.insert(FieldId::Agencia, r.sized(FieldId::Agencia,
                                           plat::sys::upperCp1252(r.entered(FieldId::Agencia, agenciaOf(r.cell(FieldId::Agencia)),
                                                                            plat::sys::LineBreaks::Refused)),
                                           6));
    const std::pair<FieldId, int> texts[] = {{FieldId::Processo, 11}, {FieldId::Demanda, 5}, {FieldId::Conta, 10}};
    for (const auto& [id, size] : texts)
        if (r.given(id))
            v.insert(id, r.plain(id, size));
    if (const QString given = r.text(FieldId::Situacao); r.given(FieldId::Situacao)) {
        const QString code = codeOf(given, situacaoCodes());
        if (code.isEmpty())
            r.problem(FieldId::Situacao, QStringLiteral("\"%1\" não é Novo, Renovado nem Excluído").arg(given));
        else
            v.insert(FieldId::Situacao, situacaoWord(code));
    }
    if (r.given(FieldId::CpfOrientador))
        if (const QString cpf = r.cpf(FieldId::CpfOrientador); !cpf.isEmpty())
            v.insert(FieldId::CpfOrientador, cpf);
    if (r.given(FieldId::Projeto))
        v.insert(FieldId::Projeto, r.entered(FieldId::Projeto, plat::sys::LineBreaks::Kept));
    return v;
}

FieldValues newHolder(const QString& cpf)
{
    return {{FieldId::Nome, QString()},          {FieldId::Cpf, cpf},           {FieldId::Sexo, QString()},
            {FieldId::Nascimento, QDate()},      {FieldId::Processo, {}},       {FieldId::Demanda, {}},
            {FieldId::Situacao, situacao::novo}, {FieldId::Agencia, QString()}, {FieldId::Conta, {}},
            {FieldId::CpfOrientador, QString()}, {FieldId::Projeto, {}}};
}

// As the holder list counts: the words exactly, so that a record still
// holding a two-letter code is not counted.
bool countsAgainstQuota(const QVariant& situacaoStored)
{
    const QString word = situacaoStored.toString();
    return word == situacao::novo || word == situacao::renovado;
}

// A row's record, new or registered, or the update of a registered one.
void putRecord(RowChecker& r, Checking& c, ImportCheck& out, qint64 registered, const FieldValues& before,
               const FieldValues& after, const QVariantList& record)
{
    if (!registered) {
        out.records.append(record);
        out.recordRows.append(r.row());
        return;
    }
    RecordUpdate u = c.reg.update(out.kind, before, after);
    if (u.columns.isEmpty()) {
        out.unchangedRows.append(r.row());
        return;
    }
    u.row = r.row();
    u.record = registered;
    out.updates.append(u);
}

void checkHolder(RowChecker& r, Checking& c, ImportCheck& out)
{
    const QString cpf = r.cpf(FieldId::Cpf);
    qint64 registered = 0;
    if (!cpf.isEmpty()) {
        const CpfOwner owner = whoseCpf(c.owners, cpf);
        if (owner.advisor())
            r.problem(FieldId::Cpf, holderText::cpfOfAdvisor(owner.nome));
        else if (owner.found() && !c.update)
            r.problem(FieldId::Cpf, holderText::cpfOfHolder(owner.nome));
        else if (owner.found())
            registered = owner.record;
    }
    const FieldValues given = holderGiven(r, c.today);
    const FieldValues before = registered ? c.reg.holder(registered) : newHolder(cpf);
    FieldValues after = before;
    for (auto it = given.cbegin(); it != given.cend(); ++it)
        if (it.key() != FieldId::Projeto)
            after.insert(it.key(), it.value());
    const QString cpfOrientador = after.value(FieldId::CpfOrientador).toString();
    if ((given.contains(FieldId::CpfOrientador) || given.contains(FieldId::Projeto)) && !cpfOrientador.trimmed().isEmpty()
        && !r.reported().contains(FieldId::CpfOrientador))
        after.insert(FieldId::Projeto, holderAdvisor(r, c.reg, cpfOrientador, given.value(FieldId::Projeto).toString(),
                                                     before.value(FieldId::Projeto)));
    // The entry form's own checks, on the holder as it would be posted;
    // a field with a problem of its own is not blamed twice.
    const QDate nascimento = after.value(FieldId::Nascimento).toDate();
    const HolderEntry entry{after.value(FieldId::Nome).toString(), sexoItem(after.value(FieldId::Sexo).toString()),
                            nascimento.isValid() ? dataEscrita(nascimento) : QString(), after.value(FieldId::Agencia).toString(),
                            cpfOrientador};
    const QSet<FieldId> own = r.reported();
    for (const HolderProblem& p : holderEntryProblems(entry))
        if (!own.contains(holderCheckField(p.check)))
            r.problem(holderCheckField(p.check), p.message);
    c.quota.append({r.row(), int(countsAgainstQuota(after.value(FieldId::Situacao)))
                                 - int(registered && countsAgainstQuota(before.value(FieldId::Situacao)))});
    // One person is one holder.
    if (!cpf.isEmpty() && c.firstRow.contains(cpf))
        r.problem(FieldId::Cpf, QStringLiteral("CPF repetido: já está na linha %1").arg(c.firstRow.value(cpf)));
    else if (!cpf.isEmpty())
        c.firstRow.insert(cpf, r.row());
    // Text fields the sheet leaves out are empty, as the table's default.
    const auto orEmpty = [&](FieldId id) { return QVariant(after.value(id).toString()); };
    putRecord(r, c, out, registered, before, after,
              {after.value(FieldId::Nome), cpf, after.value(FieldId::Sexo),
               nascimento.isValid() ? QVariant(nascimento) : QVariant(), after.value(FieldId::Situacao),
               after.value(FieldId::Agencia), cpfOrientador, after.value(FieldId::Projeto).toLongLong(),
               orEmpty(FieldId::Processo), orEmpty(FieldId::Demanda), orEmpty(FieldId::Conta)});
}

QString areaOf(RowChecker& r, const ImportRegister& reg)
{
    const QString given = textOf(r.cell(FieldId::Area));
    static const QRegularExpression shown(QStringLiteral("^\\d\\.\\d{2}\\.\\d{2}\\.\\d{2}-\\d$"));
    static const QRegularExpression stored(QStringLiteral("^\\d{1,8}$"));
    QString code;
    if (shown.match(given).hasMatch())
        code = given;
    else if (stored.match(given).hasMatch())
        code = areaCodeFromDigits(given.rightJustified(8, u'0'));
    if (!code.isEmpty() && reg.areaNameByCode.contains(code))
        return areaCodeDigits(code);
    if (code.isEmpty() && reg.areaCodeByName.contains(given))
        return areaCodeDigits(reg.areaCodeByName.value(given));
    r.problem(FieldId::Area, QStringLiteral("Código de Área Inexistente !!! (%1)").arg(given));
    return QString();
}

// A coded field of an advisor: its stored code, or a problem.
void advisorCode(RowChecker& r, FieldValues& v, FieldId id, const Codes& codes, const QString& problem)
{
    if (!r.given(id))
        return;
    const QString code = codeOf(r.text(id), codes);
    if (code.isEmpty())
        r.problem(id, problem.arg(r.text(id)));
    else
        v.insert(id, code);
}

// What a row gives of an advisor: each field whose cell is filled, checked
// alone.
FieldValues advisorGiven(RowChecker& r, const ImportRegister& reg)
{
    FieldValues v;
    if (r.given(FieldId::Nome))
        v.insert(FieldId::Nome, r.capitals(FieldId::Nome, 60));
    advisorCode(r, v, FieldId::Titulacao, titulacaoCodes(), QStringLiteral("\"%1\" não é D (Doutor) nem M (Mestre)"));
    const std::pair<FieldId, int> texts[]
        = {{FieldId::Titulo, 240}, {FieldId::Palavra1, 20}, {FieldId::Palavra2, 20}, {FieldId::Palavra3, 20}};
    // The project title alone may hold a line break, as a recovered one does.
    for (const auto& [id, size] : texts)
        if (r.given(id))
            v.insert(id,
                     r.capitals(id, size, id == FieldId::Titulo ? plat::sys::LineBreaks::Kept : plat::sys::LineBreaks::Refused));
    if (r.given(FieldId::Area))
        if (const QString area = areaOf(r, reg); !area.isEmpty())
            v.insert(FieldId::Area, area);
    advisorCode(r, v, FieldId::Pesquisador, simNaoCodes(), QStringLiteral("\"%1\" não é S (Sim) nem N (Não)"));
    if (v.value(FieldId::Pesquisador).toString() == u"N")
        v.insert(FieldId::Pesquisador, QStringLiteral(" "));
    if (const QString categoria = r.text(FieldId::Categoria).toUpper(); r.given(FieldId::Categoria)) {
        if (categoriaCodes().contains(categoria))
            v.insert(FieldId::Categoria, categoria);
        else
            r.problem(FieldId::Categoria,
                      QStringLiteral("\"%1\" não é uma categoria (%2)").arg(categoria, categoriaCodes().join(u',')));
    }
    return v;
}

// The registered advisor record a row names by its CPF and project title
// (in an update, by the CPF alone when that person has one project), and
// the rule that a sheet names each once; 0 for a new record.
qint64 registeredAdvisor(RowChecker& r, Checking& c, const QString& cpf, const QString& titulo)
{
    const QString project = foldHeading(titulo);
    const QList<AdvisorRecord> records = c.reg.advisorsByCpf.value(cpf);
    QList<AdvisorRecord> named;
    for (const AdvisorRecord& a : records)
        if (project.isEmpty() ? c.update && records.size() == 1 : foldHeading(a.titulo) == project)
            named.append(a);
    const QString key = cpf + u'\n' + (named.isEmpty() ? project : foldHeading(named.first().titulo));
    if (named.isEmpty() && project.isEmpty())
        return 0;
    if (c.firstRow.contains(key)) {
        r.problem(FieldId::Cpf,
                  QStringLiteral("orientador repetido com este projeto: já está na linha %1").arg(c.firstRow.value(key)));
        return 0;
    }
    c.firstRow.insert(key, r.row());
    if (named.isEmpty())
        return 0;
    if (!c.update) {
        r.problem(FieldId::Cpf, QStringLiteral("orientador já cadastrado com este projeto"));
        return 0;
    }
    for (const AdvisorRecord& a : named)
        if (named.size() == 1 || a.titulo.trimmed() == titulo)
            return a.codigo;
    r.problem(FieldId::Titulo, QStringLiteral("o orientador %1 tem %2 projetos com este título").arg(cpf).arg(named.size()));
    return 0;
}

// The record number a new advisor row asks for: the sheet's Código, when it
// is a number the register never gave and no row before asked for; 0 (the
// table's next number) otherwise.
qint64 askedNumber(RowChecker& r, Checking& c)
{
    bool whole = false;
    const qint64 n = r.text(FieldId::Codigo).toLongLong(&whole);
    if (!r.given(FieldId::Codigo) || !whole || n <= c.reg.lastCodigo || n >= 1'000'000'000 || c.numbers.contains(n))
        return 0;
    c.numbers.insert(n);
    return n;
}

FieldValues newAdvisor(const QString& cpf)
{
    return {{FieldId::Cpf, cpf},
            {FieldId::Nome, QString()},
            {FieldId::Titulacao, QString()},
            {FieldId::Titulo, QString()},
            {FieldId::Palavra1, QString()},
            {FieldId::Palavra2, QString()},
            {FieldId::Palavra3, QString()},
            {FieldId::Area, QString()},
            {FieldId::Pesquisador, QStringLiteral(" ")},
            {FieldId::Categoria, QStringLiteral("  ")}};
}

void checkAdvisor(RowChecker& r, Checking& c, ImportCheck& out)
{
    const QString cpf = r.cpf(FieldId::Cpf);
    if (!cpf.isEmpty()) {
        const CpfOwner owner = whoseCpf(c.owners, cpf);
        if (owner.found() && !owner.advisor())
            r.problem(FieldId::Cpf, advisorText::cpfOfHolder(owner.nome));
    }
    const FieldValues given = advisorGiven(r, c.reg);
    const qint64 registered = cpf.isEmpty() ? 0 : registeredAdvisor(r, c, cpf, given.value(FieldId::Titulo).toString());
    const FieldValues before = registered ? c.reg.advisor(registered) : newAdvisor(cpf);
    FieldValues after = before;
    for (auto it = given.cbegin(); it != given.cend(); ++it)
        after.insert(it.key(), it.value());
    // Only a researcher of the agency (Sim) has a category.
    if (after.value(FieldId::Pesquisador).toString() != u"S") {
        if (given.contains(FieldId::Categoria))
            r.problem(FieldId::Categoria, QStringLiteral("só um pesquisador do Orvu (Sim) tem categoria"));
        after.insert(FieldId::Pesquisador, QStringLiteral(" "));
        after.insert(FieldId::Categoria, QStringLiteral("  "));
    } else if (!categoriaCodes().contains(after.value(FieldId::Categoria).toString())) {
        after.insert(FieldId::Categoria, QStringLiteral("  "));
    }
    // The form's checks, every failing one (the form shows only the last).
    const auto text = [&](FieldId id) { return after.value(id).toString(); };
    const QString areaName = c.reg.areaNameByCode.value(areaCodeFromDigits(text(FieldId::Area)));
    const unsigned failures = advisorEntryFailures({text(FieldId::Nome), titulacaoItem(text(FieldId::Titulacao)),
                                                    text(FieldId::Titulo), text(FieldId::Palavra1), text(FieldId::Palavra2),
                                                    text(FieldId::Palavra3), areaName});
    const FieldId fields[] = {FieldId::Nome,     FieldId::Titulacao, FieldId::Titulo,   FieldId::Palavra1,
                              FieldId::Palavra2, FieldId::Palavra3,  FieldId::Palavra3, FieldId::Area};
    const QSet<FieldId> own = r.reported();
    for (AdvisorCheck check : kAdvisorChecks)
        if ((failures & (1u << unsigned(check))) && !own.contains(fields[int(check)]))
            r.problem(fields[int(check)], advisorCheckMessage(check).trimmed());
    if (!registered)
        out.numbers.append(askedNumber(r, c));
    putRecord(r, c, out, registered, before, after,
              {cpf, text(FieldId::Nome), text(FieldId::Titulacao), text(FieldId::Titulo), after.value(FieldId::Palavra1),
               after.value(FieldId::Palavra2), after.value(FieldId::Palavra3), after.value(FieldId::Area),
               text(FieldId::Pesquisador), text(FieldId::Categoria)});
}

// Rows that would take the holders counted against the quota beyond it are
// refused, in row order; a row that counts no more than the record it
// updates takes nothing.
void checkQuota(const Checking& c, ImportCheck& out)
{
    int total = c.reg.novoRenovado;
    const QString cotas = cotasText(c.reg.cotas);
    for (const auto& [row, change] : c.quota) {
        if (change > 0 && quotaFull(QString::number(total), cotas))
            out.problems.append({row, fieldLabel(ImportKind::Holders, FieldId::Situacao), holderText::quotaFullNovo()});
        else
            total += change;
    }
}

} // namespace

ImportCheck checkImport(const Database& db, ImportKind kind, const Sheet& sheet, const Mapping* mapping)
{
    ImportOptions options;
    options.mapping = mapping;
    return checkImport(db, kind, sheet, options);
}

ImportCheck checkImport(const Database& db, ImportKind kind, const Sheet& sheet, const ImportOptions& options)
{
    if (sheet.rows.isEmpty())
        throw plat::Error::input(QStringLiteral("A planilha \"%1\" está vazia").arg(sheet.name));
    ImportCheck out;
    out.kind = kind;
    out.update = options.update;
    out.mapping = options.mapping ? *options.mapping : matchHeadings(kind, sheet.rows.first(), options.hand);
    if (!out.mapping.contains(FieldId::Cpf))
        throw plat::Error::input(
            QStringLiteral("A planilha \"%1\" não traz na linha %2, a dos títulos das colunas, uma coluna de CPF")
                .arg(sheet.name)
                .arg(sheet.rows.first().number));
    Checking c(db, kind, options.update);
    for (qsizetype i = 1; i < sheet.rows.size(); ++i) {
        RowChecker r(kind, out.mapping, sheet.rows[i], out.problems);
        if (kind == ImportKind::Holders)
            checkHolder(r, c, out);
        else
            checkAdvisor(r, c, out);
    }
    if (kind == ImportKind::Holders)
        checkQuota(c, out);
    std::stable_sort(out.problems.begin(), out.problems.end(),
                     [](const RowProblem& a, const RowProblem& b) { return a.row < b.row; });
    return out;
}

} // namespace zelta::sheets
